#include "socdatabase.h"

#include "globalsetting.h"
#include "hex.h"
#include "projectconfig.h"

#include <QDebug>
#include <QDomDocument>
#include <QFile>

// Static libraries do not register their resources by themselves.
static void initCatalogueResource()
{
    Q_INIT_RESOURCE(soccatalogue);
}

namespace {

quint32 hexNumber(const QString& text)
{
    return Hex::parse32(text).value_or(0);
}

quint32 decimalU(const QDomElement& e, const char* attr)
{
    return e.attribute(QLatin1String(attr)).toUInt();
}

template <typename Fn> void forEachChild(const QDomElement& parent, const char* name, Fn fn)
{
    for (QDomElement c = parent.firstChildElement(QLatin1String(name)); !c.isNull();
         c = c.nextSiblingElement(QLatin1String(name)))
        fn(c);
}

qint32 paramType(const QString& text)
{
    if (text == QLatin1String("value"))
        return EConfigParamValue;
    if (text == QLatin1String("select"))
        return EConfigParamSelect;
    if (text == QLatin1String("input"))
        return EConfigParamInput;
    return EConfigParamUnknown;
}

qint32 wordType(const QString& text)
{
    if (text == QLatin1String("IDENTIFY"))
        return EFuseWordIdentify;
    if (text == QLatin1String("SECURE"))
        return EFuseWordSecure;
    if (text == QLatin1String("SECRET"))
        return EFuseWordSecret;
    if (text == QLatin1String("GENERAL"))
        return EFuseWordGeneral;
    return EFuseWordUnknown;
}

qint32 fieldType(const QString& text)
{
    if (text == QLatin1String("input"))
        return EFuseFieldInput;
    if (text == QLatin1String("check"))
        return EFuseFieldCheck;
    if (text == QLatin1String("select"))
        return EFuseFieldSelect;
    return EFuseFieldNone;
}

ConfigParamInfo readParam(const QDomElement& e)
{
    ConfigParamInfo p;
    p.name = e.attribute(QStringLiteral("name"));
    p.typeText = e.attribute(QStringLiteral("type"));
    p.type = paramType(p.typeText);
    p.minBit = decimalU(e, "min-bit");
    p.maxBit = decimalU(e, "max-bit");
    p.hide = e.attribute(QStringLiteral("hide")) == QLatin1String("1");
    p.desc = e.hasAttribute(QStringLiteral("desc")) ? e.attribute(QStringLiteral("desc")) : p.name;
    p.defaultValue = e.attribute(QStringLiteral("default"));
    p.placeholder = e.attribute(QStringLiteral("placeholder"));
    p.placeholderValue = e.attribute(QStringLiteral("placeholderValue"));
    p.defaultItem = e.attribute(QStringLiteral("defaultItem"));
    if (p.type == EConfigParamValue)
        p.value = e.text();
    if (p.type == EConfigParamSelect) {
        forEachChild(e, "item", [&p](const QDomElement& item) {
            ConfigItemInfo info;
            info.text = item.text();
            info.desc = item.hasAttribute(QStringLiteral("desc")) ? item.attribute(QStringLiteral("desc")) : info.text;
            p.items.insert(item.attribute(QStringLiteral("value")), info);
        });
    }
    if (p.type == EConfigParamUnknown) {
        // Kept so the word layout stays complete; the editors leave it alone.
        qWarning().noquote() << QStringLiteral("Unknown param type: ") + p.typeText + QStringLiteral(" name: ") + p.name;
    }
    return p;
}

FlashConfigInfo readConfig(const QDomElement& e)
{
    FlashConfigInfo cfg;
    cfg.name = e.attribute(QStringLiteral("name"));
    cfg.optionCount = decimalU(e, "option-count");
    forEachChild(e, "option", [&cfg](const QDomElement& o) {
        ConfigOptionInfo option;
        option.index = decimalU(o, "index");
        option.bits = decimalU(o, "bits");
        forEachChild(o, "param", [&option](const QDomElement& p) { option.params.append(readParam(p)); });
        cfg.options.append(option);
    });
    return cfg;
}

QList<MemoryItemInfo> readMemories(const QDomElement& e, qint32 kind)
{
    QList<MemoryItemInfo> list;
    forEachChild(e, "memory", [&list, kind](const QDomElement& m) {
        MemoryItemInfo info;
        info.kind = kind;
        info.name = m.attribute(QStringLiteral("name"));
        info.value = m.attribute(QStringLiteral("value"));
        info.address = m.attribute(QStringLiteral("address"));
        info.sectorIndex = m.attribute(QStringLiteral("sector_index"));
        list.append(info);
    });
    return list;
}

QList<MemoryViewItemInfo> readMemoryView(const QDomElement& e)
{
    QList<MemoryViewItemInfo> list;
    forEachChild(e, "memory", [&list](const QDomElement& m) {
        MemoryViewItemInfo info;
        info.name = m.attribute(QStringLiteral("name"));
        info.value = m.attribute(QStringLiteral("value"));
        info.erasable = m.attribute(QStringLiteral("erasable")) == QLatin1String("1");
        list.append(info);
    });
    return list;
}

QVector<FuseWordInfo> readFuseMap(const QDomElement& e)
{
    QVector<FuseWordInfo> words;
    forEachChild(e, "word", [&words](const QDomElement& w) {
        FuseWordInfo word;
        word.index = w.attribute(QStringLiteral("index")).toInt();
        const QString typeText = w.attribute(QStringLiteral("type"));
        word.type = wordType(typeText);
        if (word.type == EFuseWordUnknown) {
            qCritical().noquote() << QStringLiteral("Parse word type error! index: ") + QString::number(word.index)
                                         + QStringLiteral(" type: ") + typeText;
        }
        word.desc = w.attribute(QStringLiteral("desc"));
        forEachChild(w, "field", [&word](const QDomElement& f) {
            FuseFieldInfo field;
            field.name = f.attribute(QStringLiteral("name"));
            field.type = fieldType(f.attribute(QStringLiteral("type")));
            field.offset = f.attribute(QStringLiteral("offset"));
            field.width = decimalU(f, "width");
            field.desc = f.attribute(QStringLiteral("desc"));
            field.defaultValue = f.attribute(QStringLiteral("default"));
            if (field.type == EFuseFieldSelect) {
                forEachChild(f, "item", [&field](const QDomElement& item) {
                    field.items.insert(item.attribute(QStringLiteral("value")), item.text());
                });
            }
            word.fields.append(field);
        });
        words.append(word);
    });
    return words;
}

SocInfo readSoc(const QDomElement& e)
{
    SocInfo soc;
    soc.name = e.attribute(QStringLiteral("name"));
    soc.vid = hexNumber(e.attribute(QStringLiteral("vid")));
    soc.pid = hexNumber(e.attribute(QStringLiteral("pid")));
    if (e.hasAttribute(QStringLiteral("minSocRevision")))
        soc.minSocRevision = e.attribute(QStringLiteral("minSocRevision"));
    for (QDomElement c = e.firstChildElement(); !c.isNull(); c = c.nextSiblingElement()) {
        const QString tag = c.tagName();
        if (tag == QLatin1String("baseInfo")) {
            forEachChild(c, "info", [&soc](const QDomElement& i) {
                soc.baseInfo.insert(i.attribute(QStringLiteral("name")), i.attribute(QStringLiteral("value")));
            });
        } else if (tag == QLatin1String("flashConfig")) {
            soc.flashConfig = readConfig(c);
        } else if (tag == QLatin1String("flashMemory")) {
            soc.flashMemory = readMemories(c, EMemoryKindFlash);
        } else if (tag == QLatin1String("emmcConfig")) {
            soc.emmcConfig = readConfig(c);
        } else if (tag == QLatin1String("emmcMemory")) {
            soc.emmcMemory = readMemories(c, EMemoryKindEmmc);
        } else if (tag == QLatin1String("memoryView")) {
            soc.memoryView = readMemoryView(c);
        } else if (tag == QLatin1String("fuseMap")) {
            soc.fuseMap = readFuseMap(c);
        }
    }
    return soc;
}

} // namespace

SocDatabase& SocDatabase::instance()
{
    static SocDatabase s_instance;
    return s_instance;
}

SocDatabase::SocDatabase()
{
    registerSocMetaTypes();
}

void SocDatabase::resetForTests()
{
    std::lock_guard<std::mutex> locker(m_lock);
    m_socs.clear();
    m_emptySoc = SocInfo();
    m_customSlot = SocInfo();
    m_excludedNames.clear();
}

QStringList SocDatabase::parseExcludeList(const QByteArray& content)
{
    const QString text = QString::fromUtf8(content).trimmed();
    qInfo().noquote() << QStringLiteral("Exclude Soc Name List: ") + text;
    QStringList names = text.split(QLatin1Char(','));
    for (QString& n : names)
        n = n.trimmed();
    return names;
}

bool SocDatabase::parseDocument(const QByteArray& xml, const QStringList& excluded, QList<SocInfo>& socs)
{
    QDomDocument doc;
    QString msg;
    int line = 0;
    int col = 0;
    if (!doc.setContent(xml, &msg, &line, &col)) {
        qCritical().noquote() << QStringLiteral("read common.xml failed: ") + msg + QStringLiteral(" line: ")
                                     + QString::number(line) + QStringLiteral(" col: ") + QString::number(col);
        return false;
    }
    const QDomElement root = doc.documentElement();
    forEachChild(root, "socs", [&](const QDomElement& group) {
        forEachChild(group, "soc", [&](const QDomElement& e) {
            // Excluded SoCs are dropped before anything else of them is read.
            if (excluded.contains(e.attribute(QStringLiteral("name"))))
                return;
            socs.append(readSoc(e));
        });
    });
    return true;
}

void SocDatabase::load()
{
    initCatalogueResource();
    loadFrom(QStringLiteral(":/config/common.xml"), QStringLiteral(":/config/exclude_soc_list"));
}

void SocDatabase::loadFrom(const QString& documentPath, const QString& excludeListPath)
{
    registerSocMetaTypes();
    ProjectConfig::instance().loadIfExists();

    QStringList excluded;
    if (!GlobalSetting::instance().enableAllSoCs()) {
        QFile list(excludeListPath);
        if (list.open(QIODevice::ReadOnly))
            excluded = parseExcludeList(list.readAll());
        else
            qCritical().noquote() << "Cannot open configure file: exclude_soc_list";
    }

    QList<SocInfo> socs;
    QFile doc(documentPath);
    if (!doc.open(QIODevice::ReadOnly)) {
        qCritical().noquote() << "Cannot open configure file: /config/common.xml";
    } else if (!parseDocument(doc.readAll(), excluded, socs)) {
        socs.clear();
    }

    std::lock_guard<std::mutex> locker(m_lock);
    m_excludedNames = excluded;
    m_socs = socs;
}

QList<SocInfo> SocDatabase::socList() const
{
    std::lock_guard<std::mutex> locker(m_lock);
    return m_socs;
}

SocInfo SocDatabase::socByName(const QString& name) const
{
    std::lock_guard<std::mutex> locker(m_lock);
    for (const SocInfo& soc : m_socs) {
        if (soc.name == name)
            return soc;
    }
    return m_emptySoc;
}

SocInfo SocDatabase::currentSoc() const
{
    // Both from one moment of the project: an import between two reads could
    // pair a new name with the old custom SoCs.
    const SocSelection selection = ProjectConfig::instance().socSelection();
    const QString& selected = selection.socType;
    const QList<CustomSocInfo>& customs = selection.customSocs;

    std::lock_guard<std::mutex> locker(m_lock);
    for (const SocInfo& soc : m_socs) {
        if (soc.name == selected)
            return soc;
    }
    for (const CustomSocInfo& custom : customs) {
        if (custom.name != selected)
            continue;
        for (const SocInfo& soc : m_socs) {
            if (soc.name == custom.ref) {
                m_customSlot = soc;
                m_customSlot.vid = quint32(custom.vid);
                m_customSlot.pid = quint32(custom.pid);
                return m_customSlot;
            }
        }
    }
    return m_emptySoc;
}

QString SocDatabase::currentSocBaseName() const
{
    // Both from one moment of the project: an import between two reads could
    // pair a new name with the old custom SoCs.
    const SocSelection selection = ProjectConfig::instance().socSelection();
    const QString& selected = selection.socType;
    const QList<CustomSocInfo>& customs = selection.customSocs;

    std::lock_guard<std::mutex> locker(m_lock);
    for (const SocInfo& soc : m_socs) {
        if (soc.name == selected)
            return selected;
    }
    for (const CustomSocInfo& custom : customs) {
        if (custom.name == selected)
            return custom.ref;
    }
    return QString();
}

QStringList SocDatabase::excludedNames() const
{
    std::lock_guard<std::mutex> locker(m_lock);
    return m_excludedNames;
}
