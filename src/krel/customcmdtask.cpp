#include "customcmdtask.h"

#include "jobpool.h"

#include "hidio.h"
#include "krelcommand.h"

#include <QDebug>
#include <QThread>
#include <cstring>

namespace RomCmd {

namespace {
constexpr int ReportBytes = 64;
}

customcmdtask::customcmdtask(const QVariant& info, EDeviceType type)
    : m_type(type)
{
    registerMetaTypes();
    qRegisterMetaType<QList<QPair<int, QString>>>();
    const UsbInfo usb = recordFromVariant<UsbInfo>(info);
    // Kept before the type check so that the refusal below names the device.
    m_id = usb.devicePath;
    if (type != EDeviceTypeUsbHid) {
        qCritical().noquote() << QStringLiteral("Id: ") + m_id + QStringLiteral("\r\n")
                                     + QStringLiteral("Rom command device type error! Type: ")
                                     + QString::number(static_cast<int>(type));
        return;
    }
    m_io = std::make_unique<HidIO>(QVariant::fromValue(usb));
    m_io->setTimeout(ReplyWaitMs);
}

customcmdtask::~customcmdtask() = default;

void customcmdtask::setRunFlag(bool run)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_runFlag = run;
    }
    m_wake.notify_all();
}

bool customcmdtask::isRunning() const
{
    return m_busy;
}

bool customcmdtask::hasFinished() const
{
    return m_finished;
}

void customcmdtask::slotSendCmd(QList<QString> listCmd)
{
    if (listCmd.isEmpty())
        return;
    // A text cut to the report size could set a password nobody knows:
    // refuse the whole batch rather than send part of it.
    for (const QString& cmd : listCmd) {
        if (!Krel::KrelCommand::fitsReport(cmd)) {
            qCritical().noquote() << QStringLiteral("Id: ") + m_id + QStringLiteral("\r\n")
                                         + QStringLiteral("Krel command longer than %1 bytes, batch refused")
                                               .arg(Krel::MaxCommandBytes);
            return;
        }
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    m_queue.append(listCmd);
}

void customcmdtask::pause(unsigned long ms)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_wake.wait_for(lock, std::chrono::milliseconds(ms), [this] { return !m_runFlag; });
}

QPair<int, QString> customcmdtask::sendOne(const QString& command)
{
    const QByteArray utf8 = command.toUtf8();
    uint8_t out[ReportBytes] = {};
    uint8_t reply[ReportBytes] = {};
    const int len = qMin(utf8.size(), ReportBytes);
    std::memcpy(out, utf8.constData(), static_cast<size_t>(len));
    const int result = m_io ? m_io->transferReport(out, static_cast<uint16_t>(len), reply, ReportBytes)
                            : -1;
    if (result > 0) {
        const auto* text = reinterpret_cast<const char*>(reply);
        return {1, QString::fromUtf8(text, static_cast<int>(qstrnlen(text, ReportBytes)))};
    }
    return {result, command};
}

void customcmdtask::run()
{
    JobPool::jobStarted(this);
    m_busy = true;
    bool wasWorking = false;
    while (m_runFlag) {
        QList<QString> batch;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (!m_queue.isEmpty())
                batch = m_queue.first();
        }
        if (batch.isEmpty()) {
            if (wasWorking) {
                emit signalTaskStatus(0);
                wasWorking = false;
            }
        } else {
            wasWorking = true;
            emit signalTaskStatus(1);
            QList<QPair<int, QString>> ackList;
            for (const QString& cmd : batch) {
                ackList.append(sendOne(cmd));
                // The box needs this gap between commands.
                QThread::msleep(PauseMs);
            }
            emit signalRecvData(1, ackList);
            std::lock_guard<std::mutex> lock(m_mutex);
            m_queue.removeFirst();
        }
        pause(PauseMs);
    }
    emit signalTaskStatus(0);
    m_busy = false;
    m_finished = true; // last touch of this object by the worker
}

} // namespace RomCmd
