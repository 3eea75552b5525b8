#include "projectconfig.h"

#include "apppaths.h"
#include "constants.h"
#include "durablecopy.h"
#include "ids.h"

#include <QDebug>
#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>
#include <QXmlStreamWriter>

namespace {

const char kXorKey[] = "wQe7LPsBTN3xk-9R";

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

// XML cannot carry C0 control characters other than tab, line feed and carriage
// return, not even as references: the next save would drop them and change
// what the user sees. Empty when text is fine, else why not.
QString textProblem(const QString& field, const QString& text)
{
    for (const QChar c : text) {
        const ushort u = c.unicode();
        if (u < 0x20 && u != '\t' && u != '\n' && u != '\r')
            return QStringLiteral("%1 holds the control character U+%2, which the project file cannot carry")
                .arg(field, QStringLiteral("%1").arg(u, 4, 16, QLatin1Char('0')).toUpper());
    }
    return QString();
}

QString commandsProblem(const QString& stage, const QList<DownloadCommand>& list)
{
    for (const DownloadCommand& cmd : list) {
        for (auto it = cmd.params.cbegin(); it != cmd.params.cend(); ++it) {
            QString why = textProblem(stage + QStringLiteral(" command parameter key"), it.key());
            if (why.isEmpty())
                why = textProblem(stage + QStringLiteral(" command parameter ") + it.key(), it.value());
            if (!why.isEmpty())
                return why;
        }
    }
    return QString();
}

QString customSocsProblem(const QList<CustomSocInfo>& socs)
{
    for (const CustomSocInfo& soc : socs) {
        QString why = textProblem(QStringLiteral("CustomSoc name"), soc.name);
        if (why.isEmpty())
            why = textProblem(QStringLiteral("CustomSoc ref"), soc.ref);
        if (!why.isEmpty())
            return why;
    }
    return QString();
}

QString dataProblem(const ProjectData& d)
{
    const std::pair<const char*, const QString*> texts[] = { { "SocType", &d.socType },
        { "ImagePath", &d.imagePath }, { "FlashType", &d.flashType }, { "FlashAddress", &d.flashAddress },
        { "FlashWordAddress", &d.flashWordAddress }, { "FlashWord", &d.flashWord } };
    for (const auto& t : texts) {
        const QString why = textProblem(QLatin1String(t.first), *t.second);
        if (!why.isEmpty())
            return why;
    }
    QString why = commandsProblem(QStringLiteral("Open"), d.openCommands);
    if (why.isEmpty())
        why = commandsProblem(QStringLiteral("Close"), d.closeCommands);
    if (why.isEmpty())
        why = customSocsProblem(d.customSocs);
    return why;
}

// A change through the API that the file could not carry: nothing changes.
bool refuse(const QString& why)
{
    qWarning().noquote() << QStringLiteral("Project change refused: ") + why;
    return false;
}

bool unwrapDocument(const QByteArray& fileBytes, QDomDocument& doc, QString* errorText);
bool mergeDocument(const QDomDocument& doc, ProjectData& data, QString* errorText);

// A file name in bin/ that no other image of the package has taken: name,
// name_1, name_2, ... (compared without case: FAT and Windows do).
QString freeName(const QString& fileName, QSet<QString>& taken)
{
    const QFileInfo info(fileName);
    const QString base = info.completeBaseName();
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    QString name = fileName;
    for (int n = 1; taken.contains(name.toLower()); ++n)
        name = base + QLatin1Char('_') + QString::number(n) + suffix;
    taken.insert(name.toLower());
    return name;
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
    QDomDocument doc;
    return unwrapDocument(fileBytes, doc, errorText) && mergeDocument(doc, data, errorText);
}

namespace {

bool unwrapDocument(const QByteArray& fileBytes, QDomDocument& doc, QString* errorText)
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

    QString msg;
    int line = 0;
    int col = 0;
    if (!doc.setContent(QString::fromUtf8(inner), &msg, &line, &col)) {
        if (errorText)
            *errorText = msg + QStringLiteral(" line: ") + QString::number(line) + QStringLiteral(" col: ") + QString::number(col);
        return false;
    }
    return true;
}

// Merges into data only when the whole document can be taken.
bool mergeDocument(const QDomDocument& doc, ProjectData& data, QString* errorText)
{
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
    const QString why = dataProblem(d);
    if (!why.isEmpty()) {
        if (errorText)
            *errorText = why;
        return false;
    }
    data = d;
    return true;
}

} // namespace

// ---- file operations ----

bool ProjectConfig::readFile(const QString& path, QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qCritical().noquote() << "Cannot open configure file: ProjectConfigure.xml";
        return false;
    }
    bytes = file.readAll();
    return true;
}

bool ProjectConfig::load(const QString& path)
{
    QByteArray bytes;
    if (!readFile(path, bytes))
        return false;
    QDomDocument doc;
    QString error;
    if (unwrapDocument(bytes, doc, &error)) {
        // Read, merge and write back under one hold of the lock: a change made
        // meanwhile by another thread is neither lost nor half merged.
        std::lock_guard<std::mutex> locker(m_lock);
        ProjectData d = m_data;
        if (mergeDocument(doc, d, &error)) {
            m_data = std::move(d);
            return true;
        }
    }
    logReadFailure(error);
    return false;
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
    QByteArray bytes;
    ProjectData fresh;
    QString error;
    const bool ok = readFile(path, bytes) && parseInto(bytes, fresh, &error);
    {
        std::lock_guard<std::mutex> locker(m_lock);
        m_data = ok ? fresh : ProjectData();
    }
    if (ok)
        return;
    if (!error.isEmpty())
        logReadFailure(error);
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
    QByteArray bytes;
    if (!readFile(path, bytes))
        return ImportBroken;
    ProjectData fresh;
    QString error;
    if (!parseInto(bytes, fresh, &error)) {
        logReadFailure(error);
        return ImportBroken;
    }
    QString keptSoc;
    {
        std::lock_guard<std::mutex> locker(m_lock);
        keptSoc = m_data.socType;
        m_data = fresh;
    }
    saveDefault();
    return fresh.socType == keptSoc ? ImportSameSoc : ImportSocChanged;
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

bool ProjectConfig::exportPackage(const QString& dir, QString* error) const
{
    auto fail = [error](const QString& why) {
        qWarning().noquote() << QStringLiteral("Package export failed: ") + why;
        if (error)
            *error = why;
        return false;
    };
    if (dir.isEmpty())
        return fail(QStringLiteral("no folder given"));
    ProjectData d = data();
    const QString binDir = dir + QStringLiteral("/bin");
    if (!QDir().mkpath(binDir))
        return fail(QStringLiteral("Cannot create folder ") + binDir);

    QMap<QString, QString> nameBySource; // one file per source image, however many commands use it
    QSet<QString> taken;
    for (QList<DownloadCommand>* list : { &d.openCommands, &d.closeCommands }) {
        for (DownloadCommand& cmd : *list) {
            auto it = cmd.params.find(QLatin1String(ParamKey::ImagePath));
            if (it == cmd.params.end() || !QFileInfo::exists(it.value()))
                continue;
            const QFileInfo source(it.value());
            QString name = nameBySource.value(source.canonicalFilePath());
            if (name.isEmpty()) {
                name = freeName(source.fileName(), taken);
                nameBySource.insert(source.canonicalFilePath(), name);
                const QString target = binDir + QLatin1Char('/') + name;
                QString why;
                if (source.canonicalFilePath() != QFileInfo(target).canonicalFilePath()
                    && !DurableCopy::copyFile(it.value(), target, &why))
                    return fail(QStringLiteral("Cannot copy ") + it.value() + QStringLiteral(" to ") + target
                        + QStringLiteral(": ") + why);
            }
            it.value() = QStringLiteral("bin/") + name;
        }
    }
    const QString file = dir + QLatin1Char('/') + QLatin1String(DefaultFileName);
    std::lock_guard<std::mutex> locker(m_writeLock);
    if (!writeFile(file, d))
        return fail(QStringLiteral("Cannot write ") + file);
    return true;
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

bool ProjectConfig::isStorableText(const QString& text)
{
    return textProblem(QString(), text).isEmpty();
}

bool ProjectConfig::updateCommand(int stage, const QString& id, int index, const DownloadCommand& command)
{
    const QString why = commandsProblem(QStringLiteral("The"), { command });
    if (!why.isEmpty())
        return refuse(why);
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

bool ProjectConfig::setStageCommands(const QList<DownloadCommand>& commands, int stage, bool append)
{
    const QString why = commandsProblem(QStringLiteral("The"), commands);
    if (!why.isEmpty())
        return refuse(why);
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
    return true;
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

bool ProjectConfig::setData(const ProjectData& data)
{
    const QString why = dataProblem(data);
    if (!why.isEmpty())
        return refuse(why);
    std::lock_guard<std::mutex> locker(m_lock);
    m_data = data;
    return true;
}

#define KREL_PROJECT_FIELD(Type, getter, setter, member, problem) \
    Type ProjectConfig::getter() const \
    { \
        std::lock_guard<std::mutex> locker(m_lock); \
        return m_data.member; \
    } \
    bool ProjectConfig::setter(const Type& value) \
    { \
        const QString why = problem; \
        if (!why.isEmpty()) \
            return refuse(why); \
        std::lock_guard<std::mutex> locker(m_lock); \
        m_data.member = value; \
        return true; \
    }

KREL_PROJECT_FIELD(QString, socType, setSocType, socType, textProblem(QStringLiteral("SocType"), value))
KREL_PROJECT_FIELD(QString, imagePath, setImagePath, imagePath, textProblem(QStringLiteral("ImagePath"), value))
KREL_PROJECT_FIELD(QString, flashType, setFlashType, flashType, textProblem(QStringLiteral("FlashType"), value))
KREL_PROJECT_FIELD(
    QString, flashAddress, setFlashAddress, flashAddress, textProblem(QStringLiteral("FlashAddress"), value))
KREL_PROJECT_FIELD(QString, flashWordAddress, setFlashWordAddress, flashWordAddress,
    textProblem(QStringLiteral("FlashWordAddress"), value))
KREL_PROJECT_FIELD(QString, flashWord, setFlashWord, flashWord, textProblem(QStringLiteral("FlashWord"), value))
KREL_PROJECT_FIELD(QList<CustomSocInfo>, customSocs, setCustomSocs, customSocs, customSocsProblem(value))
#undef KREL_PROJECT_FIELD

SocSelection ProjectConfig::socSelection() const
{
    std::lock_guard<std::mutex> locker(m_lock);
    return { m_data.socType, m_data.customSocs };
}

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
