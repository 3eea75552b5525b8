// Plain value records that travel between views, the device layer and worker
// jobs, mostly inside QVariants and queued signals.
#pragma once

#include <QMap>
#include <QMetaType>
#include <QString>
#include <QVariant>
#include <QVector>
#include <cstdint>


// One command of a command list.
struct DownloadCommand
{
    QString id;                     // fresh UUID text without braces
    int nameId = 0;                 // see Constants::commandName()
    QMap<QString, QString> params;  // parameters by key, all values as text
};

// Parameter keys of DownloadCommand::params.
namespace ParamKey {
inline constexpr const char MemoryId[] = "memoryId";
inline constexpr const char Address[] = "address";
inline constexpr const char Length[] = "length";
inline constexpr const char Word[] = "word";
inline constexpr const char ImagePath[] = "imagePath";
inline constexpr const char Path[] = "path";
inline constexpr const char ShowReadMemoryLog[] = "showReadMemoryLog";
inline constexpr const char Memory[] = "memory";
inline constexpr const char BaudRate[] = "baudRate";
inline constexpr const char Type[] = "type";
} // namespace ParamKey

// Transport kind of a device.
enum EDeviceType : qint32 {
    EDeviceTypeUart = 1, // SerialPortInfo in the QVariant
    EDeviceTypeUsbHid = 2 // UsbInfo in the QVariant
};

// A detected USB-HID interface.
struct UsbInfo
{
    QString devicePath;     // opens the device and identifies it everywhere
    QString instanceId;     // device instance id derived from the path
    quint32 productId = 0;
    quint32 vendorId = 0;
    QString productString;
    quint32 classIndex = 0; // index in the detector's class table (0 = HID)
    quint32 status = 0;     // key of the status text table
};

// A serial port and its line settings.
struct SerialPortInfo
{
    QString portName;
    qint32 baudRate = 115200;
    qint32 dataBits = 8;
    qint32 parity = 0;   // 0 none, 2 even, 3 odd, 4 space, 5 mark
    qint32 stopBits = 1; // 1 one, 2 two, 3 one and a half
    qint32 status = 0;   // key of the status text table
};

// Progress record of a running command list.
struct DownloadTaskInfo
{
    qint32 deviceType = 0;
    qint32 cmdType = 0;
    qint32 status = 0;
    qint32 cmdIndex = 0; // 1-based
    qint32 cmdCount = 0;
    qint32 progress = 0;
    qint32 total = 0;
};

// Severity of a line for the log view.
enum LogLevel : qint32 { LogDebug = 0, LogInfo = 1, LogWarning = 2, LogError = 3 };

// Stage of a production command list.
enum EDownloadStageType : qint32 { EStageNone = 0, EStageOpen = 1, EStageClose = 2 };

// Record from a QVariant, or the defaults when it holds something unconvertible.
template <typename T> T recordFromVariant(const QVariant& v)
{
    if (v.canConvert<T>())
        return v.value<T>();
    return T();
}

Q_DECLARE_METATYPE(DownloadCommand)
Q_DECLARE_METATYPE(UsbInfo)
Q_DECLARE_METATYPE(SerialPortInfo)
Q_DECLARE_METATYPE(DownloadTaskInfo)
Q_DECLARE_METATYPE(EDeviceType)
Q_DECLARE_METATYPE(LogLevel)
Q_DECLARE_METATYPE(EDownloadStageType)
Q_DECLARE_METATYPE(QList<DownloadCommand>)
Q_DECLARE_METATYPE(QVector<uint8_t>)

// Registers every type above with the meta-type system under its exact name.
// Safe to call more than once and from any thread.
void registerMetaTypes();
