// The in-memory model of one SoC of the SoC catalogue: memories, flash and
// eMMC configuration words and the OTP fuse map. Plain values, freely copied
// (the containers share their data until written).
#pragma once

#include <QMap>
#include <QMetaType>
#include <QString>
#include <QVariant>
#include <QVector>
#include <QList>
#include <cstdint>

// Kind of a configuration-word bit field.
enum EConfigParamType : qint32 {
    EConfigParamUnknown = 0, // a type text the editors do not know: kept, never edited
    EConfigParamValue = 1,   // fixed value given as element text
    EConfigParamSelect = 2,  // one of the item values
    EConfigParamInput = 3    // a number typed by the user
};

// Group of an OTP word.
enum EFuseWordType : qint32 {
    EFuseWordUnknown = 0,
    EFuseWordIdentify = 1,
    EFuseWordSecure = 2,
    EFuseWordSecret = 3,
    EFuseWordGeneral = 4
};

// Kind of an OTP word field.
enum EFuseFieldType : qint32 {
    EFuseFieldNone = 0, // "none" and every unknown type text
    EFuseFieldInput = 1,
    EFuseFieldCheck = 2,
    EFuseFieldSelect = 3
};

// Kind of a MemoryItemInfo.
enum EMemoryKind : qint32 { EMemoryKindFlash = 0, EMemoryKindEmmc = 1 };

struct ConfigItemInfo
{
    QString text; // label shown
    QString desc; // defaults to text
};

struct ConfigParamInfo
{
    QString name;
    qint32 type = EConfigParamUnknown;
    quint32 minBit = 0;
    quint32 maxBit = 0; // inclusive
    bool hide = false;
    QString desc;
    QString defaultValue;
    QString placeholder;
    QString placeholderValue;
    QString defaultItem;
    QString value;                       // type "value" only
    QMap<QString, ConfigItemInfo> items; // type "select" only, ordered by value text
    QString typeText;                    // the attribute as written, for unknown types
};

struct ConfigOptionInfo
{
    quint32 index = 0;
    quint32 bits = 0;
    QList<ConfigParamInfo> params;
};

struct FlashConfigInfo
{
    QString name;
    quint32 optionCount = 0;
    QList<ConfigOptionInfo> options;
};

struct MemoryItemInfo
{
    qint32 kind = EMemoryKindFlash;
    QString name;
    QString value;       // memory id as text
    QString address;     // memory-mapped base of a flash device
    QString sectorIndex; // eMMC only
};

struct MemoryViewItemInfo
{
    QString name;
    QString value; // memory id as text
    bool erasable = false;
};

struct FuseFieldInfo
{
    QString name;
    qint32 type = EFuseFieldNone;
    QString offset; // one bit offset, or several separated by ","
    quint32 width = 0;
    QString desc;
    QString defaultValue;
    QMap<QString, QString> items; // select only: value -> label
};

struct FuseWordInfo
{
    qint32 index = 0;
    qint32 type = EFuseWordUnknown;
    QString desc;
    QList<FuseFieldInfo> fields;
};

struct SocInfo
{
    QString name;
    // A record that names no SoC carries ids no device reports.
    quint32 vid = 0xFFFFFFFF;
    quint32 pid = 0xFFFFFFFF;
    QString minSocRevision = QStringLiteral("0.0.0");
    QMap<QString, QVariant> baseInfo;
    FlashConfigInfo flashConfig;
    QList<MemoryItemInfo> flashMemory;
    FlashConfigInfo emmcConfig;
    QList<MemoryItemInfo> emmcMemory;
    QList<MemoryViewItemInfo> memoryView;
    QVector<FuseWordInfo> fuseMap;
};

// A user-defined SoC stored in the project: another name and USB ids for a
// catalogue SoC (ref).
struct CustomSocInfo
{
    QString name;
    qint32 vid = 0;
    qint32 pid = 0;
    QString ref;

    bool operator==(const CustomSocInfo& o) const
    {
        return name == o.name && vid == o.vid && pid == o.pid && ref == o.ref;
    }
};

Q_DECLARE_METATYPE(MemoryItemInfo)
Q_DECLARE_METATYPE(MemoryViewItemInfo)
Q_DECLARE_METATYPE(SocInfo)

// Registers the records above under their names. Safe to call more than once.
void registerSocMetaTypes();
