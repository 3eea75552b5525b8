#include "records.h"

#include <QMetaType>


void registerMetaTypes()
{
    // qRegisterMetaType is idempotent and thread-safe.
    qRegisterMetaType<DownloadCommand>("DownloadCommand");
    qRegisterMetaType<QList<DownloadCommand>>("QList<DownloadCommand>");
    qRegisterMetaType<DownloadTaskInfo>("DownloadTaskInfo");
    qRegisterMetaType<EDeviceType>("EDeviceType");
    qRegisterMetaType<UsbInfo>("UsbInfo");
    qRegisterMetaType<SerialPortInfo>("SerialPortInfo");
    qRegisterMetaType<LogLevel>("LogLevel");
    qRegisterMetaType<LogLevel>("LogLevel&");
    qRegisterMetaType<EDownloadStageType>("EDownloadStageType");
    qRegisterMetaType<QVector<uint8_t>>("QVector<uint8_t>");
    qRegisterMetaType<quint32>("uint32_t");
}
