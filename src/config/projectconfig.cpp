#include "projectconfig.h"

#include "apppaths.h"
#include "constants.h"
#include "ids.h"

#include <QDebug>
#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QXmlStreamWriter>

namespace {

const char kXorKey[] = "wQe7LPsBTN3xk-9R";

std::function<bool()>& beforeCommitHook()
{
    static std::function<bool()> hook;
    return hook;
}

QByteArray xorWithKey(QByteArray bytes)
{
    const int keyLen = int(sizeof(kXorKey)) - 1;
    for (int i = 0; i < bytes.size(); ++i)
        bytes[i] = char(bytes[i] ^ kXorKey[i % keyLen]);
    return bytes;
}

bool isSeparator(QChar c)
{
    return c == QLatin1Char('/') || c == QDir::separator();
}

// An image below the application directory is stored relative to it, so the
// folder can move together with the executable. "/opt/appX" is not inside "/opt/app".
QString toStoredPath(const QString& path)
{
    const QString app = AppPaths::appDir();
    if (app.isEmpty() || !path.startsWith(app))
        return path;
    if (isSeparator(app.back()))
        return path.size() > app.size() ? path.mid(app.size()) : path;
    if (path.size() > app.size() + 1 && isSeparator(path.at(app.size())))
        return path.mid(app.size() + 1);
    return path;
}

QString appRelative(const QString& text)
{
    return AppPaths::appDir() + QLatin1Char('/') + text;
}

QString commandNameText(int nameId)
{
    if (nameId >= 0 && nameId < Constants::commandNameCount())
        return Constants::commandName(nameId);
    return QString();
}

void writeText(QXmlStreamWriter& w, const QString& name, const QString& text)
{
    if (text.isEmpty())
        w.writeEmptyElement(name);
    else
        w.writeTextElement(name, text);
}

void writeCommands(QXmlStreamWriter& w, const QString& name, const QList<DownloadCommand>& list)
{
    w.writeStartElement(name);
    for (const DownloadCommand& cmd : list) {
        if (cmd.params.isEmpty())
            w.writeEmptyElement(QStringLiteral("cmd"));
        else
            w.writeStartElement(QStringLiteral("cmd"));
        w.writeAttribute(QStringLiteral("nameId"), QString::number(cmd.nameId));
        w.writeAttribute(QStringLiteral("name"), commandNameText(cmd.nameId));
        for (auto it = cmd.params.cbegin(); it != cmd.params.cend(); ++it) {
            QString value = it.value();
            if (it.key() == QLatin1String(ParamKey::ImagePath))
                value = toStoredPath(value);
            w.writeEmptyElement(QStringLiteral("param"));
            w.writeAttribute(QStringLiteral("key"), it.key());
            w.writeAttribute(QStringLiteral("value"), value);
        }
        if (!cmd.params.isEmpty())
            w.writeEndElement();
    }
    w.writeEndElement();
}

QList<DownloadCommand> readCommands(const QDomElement& list)
{
    QList<DownloadCommand> out;
    for (QDomElement c = list.firstChildElement(); !c.isNull(); c = c.nextSiblingElement()) {
        DownloadCommand cmd;
        cmd.id = Ids::newId();
        cmd.nameId = c.attribute(QStringLiteral("nameId")).toInt();
        for (QDomElement p = c.firstChildElement(); !p.isNull(); p = p.nextSiblingElement()) {
            const QString key = p.attribute(QStringLiteral("key"));
            QString value = p.attribute(QStringLiteral("value"));
            if (key == QLatin1String(ParamKey::ImagePath) && !value.isEmpty() && QDir::isRelativePath(value))
                value = appRelative(value);
            cmd.params.insert(key, value);
        }
        out.append(cmd);
    }
    return out;
}

bool failEnvelope(QString* errorText)
{
    if (errorText)
        *errorText = QStringLiteral("not a project file envelope line: 0 col: 0");
    return false;
}

void logReadFailure(const QString& what)
{
    qWarning().noquote() << QStringLiteral("settingconfig.vlxmfg read failed: ") + what;
}

} // namespace

ProjectConfig& ProjectConfig::instance()
{
    static ProjectConfig s_instance;
    return s_instance;
}

ProjectConfig::ProjectConfig()
    : m_filePath(AppPaths::configDir() + QLatin1Char('/') + QLatin1String(DefaultFileName))
{
}

void ProjectConfig::resetForTests()
{
    std::lock_guard<std::mutex> locker(m_lock);
    m_data = ProjectData();
    m_filePath = AppPaths::configDir() + QLatin1Char('/') + QLatin1String(DefaultFileName);
}

void ProjectConfig::setBeforeCommitHook(std::function<bool()> hook)
{
    beforeCommitHook() = std::move(hook);
}

QString ProjectConfig::filePath() const
{
    std::lock_guard<std::mutex> locker(m_lock);
    return m_filePath;
}

void ProjectConfig::reset()
{
    std::lock_guard<std::mutex> locker(m_lock);
    m_data = ProjectData();
}

// ---- file format ----

QString ProjectConfig::toXml(const ProjectData& d)
{
    // The declaration is written by hand: the writer would put a line break before it.
    QString xml = QStringLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?>");
    QXmlStreamWriter w(&xml);
    w.setAutoFormatting(true);
    w.setAutoFormattingIndent(4);
    w.writeStartElement(QStringLiteral("Settings"));

    w.writeStartElement(QStringLiteral("Base"));
    writeText(w, QStringLiteral("SocType"), d.socType);
    writeText(w, QStringLiteral("ShowOTPWriteViewTips"), d.showOtpWriteViewTips ? QStringLiteral("1") : QStringLiteral("0"));
    w.writeEndElement();

    w.writeStartElement(QStringLiteral("ImgProg"));
    writeText(w, QStringLiteral("ImagePath"), toStoredPath(d.imagePath));
    writeText(w, QStringLiteral("FlashType"), d.flashType);
    writeText(w, QStringLiteral("FlashAddress"), d.flashAddress);
    writeText(w, QStringLiteral("FlashWord"), d.flashWord);
    w.writeEndElement();

    w.writeStartElement(QStringLiteral("OTP"));
    for (auto it = d.otpWords.cbegin(); it != d.otpWords.cend(); ++it) {
        if (it.value().isEmpty())
            w.writeEmptyElement(QStringLiteral("Address"));
        else
            w.writeStartElement(QStringLiteral("Address"));
        w.writeAttribute(QStringLiteral("start"), QString::number(it.key()));
        for (quint32 v : it.value()) {
            w.writeEmptyElement(QStringLiteral("Item"));
            w.writeAttribute(QStringLiteral("value"), QString::number(v));
        }
        if (!it.value().isEmpty())
            w.writeEndElement();
    }
    w.writeEndElement();

    w.writeStartElement(QStringLiteral("BatchProd"));
    writeCommands(w, QStringLiteral("Open"), d.openCommands);
    writeCommands(w, QStringLiteral("Close"), d.closeCommands);
    w.writeEndElement();

    w.writeStartElement(QStringLiteral("CustomSoc"));
    for (const CustomSocInfo& soc : d.customSocs) {
        w.writeEmptyElement(QStringLiteral("soc"));
        w.writeAttribute(QStringLiteral("name"), soc.name);
        w.writeAttribute(QStringLiteral("vid"), QString::number(soc.vid));
        w.writeAttribute(QStringLiteral("pid"), QString::number(soc.pid));
        w.writeAttribute(QStringLiteral("ref"), soc.ref);
    }
    w.writeEndElement();

    w.writeEndElement(); // Settings
    w.writeEndDocument();
    return xml;
}

QByteArray ProjectConfig::wrap(const QString& xml)
{
    return xorWithKey(xml.toUtf8().toBase64()).toBase64();
}

bool ProjectConfig::parseInto(const QByteArray& fileBytes, ProjectData& data, QString* errorText)
{
    // Strict decoding: a file that is not in the envelope (plain XML, a cut
    // copy) is refused here instead of being turned into garbage.
    const QByteArray outer = QString::fromUtf8(fileBytes).toUtf8().trimmed();
    QByteArray inner;
    const auto first = QByteArray::fromBase64Encoding(outer, QByteArray::AbortOnBase64DecodingErrors);
    if (first) {
        const auto second = QByteArray::fromBase64Encoding(xorWithKey(*first), QByteArray::AbortOnBase64DecodingErrors);
        if (second)
            inner = *second;
        else
            return failEnvelope(errorText);
    } else {
        return failEnvelope(errorText);
    }

    QDomDocument doc;
    QString msg;
    int line = 0;
    int col = 0;
    if (!doc.setContent(QString::fromUtf8(inner), &msg, &line, &col)) {
        if (errorText)
            *errorText = msg + QStringLiteral(" line: ") + QString::number(line) + QStringLiteral(" col: ") + QString::number(col);
        return false;
    }

    ProjectData d = data;
    const QDomElement root = doc.documentElement();
    for (QDomElement sec = root.firstChildElement(); !sec.isNull(); sec = sec.nextSiblingElement()) {
        const QString name = sec.tagName();
        if (name == QLatin1String("Base")) {
            for (QDomElement e = sec.firstChildElement(); !e.isNull(); e = e.nextSiblingElement()) {
                if (e.tagName() == QLatin1String("SocType"))
                    d.socType = e.text();
                else if (e.tagName() == QLatin1String("ShowOTPWriteViewTips"))
                    d.showOtpWriteViewTips = e.text().toInt() == 1;
            }
        } else if (name == QLatin1String("ImgProg")) {
            for (QDomElement e = sec.firstChildElement(); !e.isNull(); e = e.nextSiblingElement()) {
                const QString tag = e.tagName();
                if (tag == QLatin1String("ImagePath")) {
                    QString path = e.text();
                    // Only resolved when the image is really there; otherwise kept as read.
                    if (!path.isEmpty() && QDir::isRelativePath(path) && QFileInfo::exists(appRelative(path)))
                        path = appRelative(path);
                    d.imagePath = path;
                } else if (tag == QLatin1String("FlashType")) {
                    d.flashType = e.text();
                } else if (tag == QLatin1String("FlashAddress")) {
                    d.flashAddress = e.text();
                } else if (tag == QLatin1String("FlashWordAddress")) {
                    d.flashWordAddress = e.text();
                } else if (tag == QLatin1String("FlashWord")) {
                    d.flashWord = e.text();
                }
            }
        } else if (name == QLatin1String("OTP")) {
            for (QDomElement a = sec.firstChildElement(); !a.isNull(); a = a.nextSiblingElement()) {
                QVector<quint32> values;
                for (QDomElement it = a.firstChildElement(); !it.isNull(); it = it.nextSiblingElement())
                    values.append(it.attribute(QStringLiteral("value")).toUInt());
                d.otpWords.insert(a.attribute(QStringLiteral("start")).toUInt(), values);
            }
        } else if (name == QLatin1String("BatchProd")) {
            for (QDomElement e = sec.firstChildElement(); !e.isNull(); e = e.nextSiblingElement()) {
                if (e.tagName() == QLatin1String("Open"))
                    d.openCommands.append(readCommands(e));
                else if (e.tagName() == QLatin1String("Close"))
                    d.closeCommands.append(readCommands(e));
            }
        } else if (name == QLatin1String("CustomSoc")) {
            for (QDomElement s = sec.firstChildElement(); !s.isNull(); s = s.nextSiblingElement()) {
                CustomSocInfo soc;
                soc.name = s.attribute(QStringLiteral("name"));
                soc.vid = s.attribute(QStringLiteral("vid")).toInt();
                soc.pid = s.attribute(QStringLiteral("pid")).toInt();
                soc.ref = s.attribute(QStringLiteral("ref"));
                d.customSocs.append(soc);
            }
        }
    }
    data = d;
    return true;
}

// ---- file operations ----

bool ProjectConfig::load(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qCritical().noquote() << "Cannot open configure file: ProjectConfigure.xml";
        return false;
    }
    const QByteArray bytes = file.readAll();
    file.close();

    ProjectData d = data();
    QString error;
    if (!parseInto(bytes, d, &error)) {
        logReadFailure(error);
        return false;
    }
    setData(d);
    return true;
}

bool ProjectConfig::writeFile(const QString& path, const ProjectData& data)
{
    const QByteArray bytes = wrap(toXml(data));
    QSaveFile file(path);
    QString reason;
    if (!file.open(QIODevice::WriteOnly)) {
        reason = file.errorString();
    } else {
        if (file.write(bytes) != bytes.size())
            file.cancelWriting();
        const auto& hook = beforeCommitHook();
        if (hook && !hook())
            file.cancelWriting();
        if (!file.commit())
            reason = file.errorString().isEmpty() ? QStringLiteral("write abandoned") : file.errorString();
    }
    if (reason.isEmpty())
        return true;
    // QSaveFile left the previous file as it was.
    qCritical().noquote() << QStringLiteral("Cannot open configure file: ") + path;
    qCritical().noquote() << QStringLiteral("Reason: ") + reason;
    return false;
}

bool ProjectConfig::save(const QString& path) const
{
    // Snapshot and write under one lock, so concurrent saves reach the disk in
    // the order of their snapshots.
    std::lock_guard<std::mutex> locker(m_writeLock);
    return writeFile(path, data());
}

bool ProjectConfig::saveDefault() const
{
    // The user's config folder (used when the application folder is read-only)
    // may not exist yet.
    const QString path = filePath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    return save(path);
}

void ProjectConfig::loadIfExists()
{
    const QString path = filePath();
    if (!QFileInfo::exists(path))
        return;
    reset();
    if (load(path))
        return;
    // The next change would overwrite the unreadable file: keep it aside.
    const QString kept = path + QStringLiteral(".broken");
    QFile::remove(kept);
    if (QFile::copy(path, kept))
        qWarning().noquote() << QStringLiteral("Unreadable project file kept as ") + kept;
    else
        qWarning().noquote() << QStringLiteral("Cannot keep a copy of the unreadable project file as ") + kept;
}

int ProjectConfig::importFrom(const QString& path)
{
    const ProjectData kept = data();
    reset();
    if (!load(path)) {
        setData(kept);
        return ImportBroken;
    }
    saveDefault();
    return socType() == kept.socType ? ImportSameSoc : ImportSocChanged;
}

bool ProjectConfig::exportTo(const QString& path) const
{
    if (path.isEmpty())
        return false;
    return save(path);
}

QString ProjectConfig::exportFileName(const QString& chosen)
{
    if (chosen.endsWith(QLatin1String(".vlxmfg")) || chosen.endsWith(QLatin1String(".VLXMFG")))
        return chosen;
    return chosen + QStringLiteral(".vlxmfg");
}

bool ProjectConfig::exportPackage(const QString& dir) const
{
    if (dir.isEmpty())
        return false;
    ProjectData d = data();
    const QString binDir = dir + QStringLiteral("/bin");
    for (QList<DownloadCommand>* list : {&d.openCommands, &d.closeCommands}) {
        if (!QDir().mkpath(binDir))
            qWarning().noquote() << QStringLiteral("Cannot create folder ") + binDir;
        for (DownloadCommand& cmd : *list) {
            auto it = cmd.params.find(QLatin1String(ParamKey::ImagePath));
            if (it == cmd.params.end() || !QFileInfo::exists(it.value()))
                continue;
            const QString fileName = QFileInfo(it.value()).fileName();
            const QString target = binDir + QLatin1Char('/') + fileName;
            if (QFileInfo(it.value()).absoluteFilePath() != QFileInfo(target).absoluteFilePath()) {
                QFile::remove(target);
                if (!QFile::copy(it.value(), target))
                    qWarning().noquote() << QStringLiteral("Cannot copy ") + it.value() + QStringLiteral(" to ") + target;
            }
            it.value() = QStringLiteral("bin/") + fileName;
        }
    }
    std::lock_guard<std::mutex> locker(m_writeLock);
    return writeFile(dir + QLatin1Char('/') + QLatin1String(DefaultFileName), d);
}

// ---- commands ----

QList<DownloadCommand>* ProjectConfig::stageList(int stage)
{
    if (stage == EStageOpen)
        return &m_data.openCommands;
    if (stage == EStageClose)
        return &m_data.closeCommands;
    return nullptr;
}

bool ProjectConfig::hasCommands(int stage) const
{
    std::lock_guard<std::mutex> locker(m_lock);
    if (stage == EStageOpen)
        return !m_data.openCommands.isEmpty();
    if (stage == EStageClose)
        return !m_data.closeCommands.isEmpty();
    return !m_data.openCommands.isEmpty() || !m_data.closeCommands.isEmpty();
}

bool ProjectConfig::hasAnyCommands() const
{
    return hasCommands(EStageNone);
}

bool ProjectConfig::updateCommand(int stage, const QString& id, int index, const DownloadCommand& command)
{
    {
        std::lock_guard<std::mutex> locker(m_lock);
        if (!id.isEmpty()) {
            for (QList<DownloadCommand>* list : {&m_data.openCommands, &m_data.closeCommands}) {
                for (DownloadCommand& cmd : *list) {
                    if (cmd.id == id)
                        cmd = command;
                }
            }
        } else if (QList<DownloadCommand>* list = stageList(stage)) {
            if (index == -1)
                list->append(command);
            else if (index >= 0 && index <= list->size())
                list->insert(index, command);
        }
    }
    saveDefault();
    return true;
}

void ProjectConfig::setStageCommands(const QList<DownloadCommand>& commands, int stage, bool append)
{
    {
        std::lock_guard<std::mutex> locker(m_lock);
        if (QList<DownloadCommand>* list = stageList(stage)) {
            if (append)
                list->append(commands);
            else
                *list = commands;
        }
    }
    saveDefault();
}

bool ProjectConfig::removeCommand(int stage, const QString& id)
{
    {
        std::lock_guard<std::mutex> locker(m_lock);
        QList<DownloadCommand>* list = stageList(stage);
        if (!list)
            return false;
        int found = -1;
        for (int i = 0; i < list->size() && found < 0; ++i) {
            if (list->at(i).id == id)
                found = i;
        }
        if (found < 0)
            return false;
        list->removeAt(found);
    }
    saveDefault();
    return true;
}

bool ProjectConfig::moveCommand(int stage, const QString& id, bool up)
{
    {
        std::lock_guard<std::mutex> locker(m_lock);
        QList<DownloadCommand>* list = stageList(stage);
        if (!list)
            return false;
        int i = -1;
        for (int k = 0; k < list->size() && i < 0; ++k) {
            if (list->at(k).id == id)
                i = k;
        }
        if (i < 0)
            return false;
        const int last = list->size() - 1;
        // The two stages form one sequence: the Open list flows into the Close list.
        if (up && i == 0) {
            if (stage != EStageClose)
                return false;
            m_data.openCommands.append(m_data.closeCommands.takeFirst());
        } else if (!up && i == last) {
            if (stage != EStageOpen)
                return false;
            m_data.closeCommands.prepend(m_data.openCommands.takeLast());
        } else {
            list->swapItemsAt(i, up ? i - 1 : i + 1);
        }
    }
    saveDefault();
    return true;
}

bool ProjectConfig::checkImageFiles(QString& missing) const
{
    const ProjectData d = data();
    for (const QList<DownloadCommand>* list : {&d.openCommands, &d.closeCommands}) {
        for (const DownloadCommand& cmd : *list) {
            auto it = cmd.params.constFind(QLatin1String(ParamKey::ImagePath));
            if (it != cmd.params.cend() && !QFileInfo::exists(it.value())) {
                missing = it.value();
                return false;
            }
        }
    }
    return true;
}

// ---- plain fields ----

ProjectData ProjectConfig::data() const
{
    std::lock_guard<std::mutex> locker(m_lock);
    return m_data;
}

void ProjectConfig::setData(const ProjectData& data)
{
    std::lock_guard<std::mutex> locker(m_lock);
    m_data = data;
}

#define KREL_PROJECT_FIELD(Type, getter, setter, member) \
    Type ProjectConfig::getter() const \
    { \
        std::lock_guard<std::mutex> locker(m_lock); \
        return m_data.member; \
    } \
    void ProjectConfig::setter(const Type& value) \
    { \
        std::lock_guard<std::mutex> locker(m_lock); \
        m_data.member = value; \
    }

KREL_PROJECT_FIELD(QString, socType, setSocType, socType)
KREL_PROJECT_FIELD(QString, imagePath, setImagePath, imagePath)
KREL_PROJECT_FIELD(QString, flashType, setFlashType, flashType)
KREL_PROJECT_FIELD(QString, flashAddress, setFlashAddress, flashAddress)
KREL_PROJECT_FIELD(QString, flashWordAddress, setFlashWordAddress, flashWordAddress)
KREL_PROJECT_FIELD(QString, flashWord, setFlashWord, flashWord)
KREL_PROJECT_FIELD(QList<CustomSocInfo>, customSocs, setCustomSocs, customSocs)
#undef KREL_PROJECT_FIELD

QMap<quint32, QVector<quint32>> ProjectConfig::otpWords() const
{
    std::lock_guard<std::mutex> locker(m_lock);
    return m_data.otpWords;
}

void ProjectConfig::setOtpWords(const QMap<quint32, QVector<quint32>>& words)
{
    std::lock_guard<std::mutex> locker(m_lock);
    m_data.otpWords = words;
}

bool ProjectConfig::showOtpWriteViewTips() const
{
    std::lock_guard<std::mutex> locker(m_lock);
    return m_data.showOtpWriteViewTips;
}

void ProjectConfig::setShowOtpWriteViewTips(bool show)
{
    {
        std::lock_guard<std::mutex> locker(m_lock);
        m_data.showOtpWriteViewTips = show;
    }
    saveDefault();
}

QList<DownloadCommand> ProjectConfig::openCommands() const
{
    std::lock_guard<std::mutex> locker(m_lock);
    return m_data.openCommands;
}

QList<DownloadCommand> ProjectConfig::closeCommands() const
{
    std::lock_guard<std::mutex> locker(m_lock);
    return m_data.closeCommands;
}

QList<DownloadCommand> ProjectConfig::commands(int stage) const
{
    std::lock_guard<std::mutex> locker(m_lock);
    if (stage == EStageOpen)
        return m_data.openCommands;
    if (stage == EStageClose)
        return m_data.closeCommands;
    return QList<DownloadCommand>();
}
