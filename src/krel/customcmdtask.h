// The Krel custom command job: drains batches of text commands queued by the
// GUI thread and sends them to the box one HID report each, on a pool thread.
// One acknowledgement entry per command goes back with every batch.
#pragma once

#include "records.h"

#include <QList>
#include <QObject>
#include <QPair>
#include <QRunnable>
#include <QString>
#include <QVariant>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>

namespace RomCmd {

class HidIO;

class customcmdtask : public QObject, public QRunnable
{
    Q_OBJECT
public:
    // How long the box may take to answer one command.
    static constexpr uint32_t ReplyWaitMs = 200;
    // Pause after every command, and after every batch or idle poll.
    static constexpr unsigned long PauseMs = 100;

    customcmdtask(const QVariant& info, EDeviceType type);
    ~customcmdtask() override;

    void run() override;

    void setRunFlag(bool run);
    bool isRunning() const;
    // True once run() has returned for good. isRunning() is false both before
    // run() starts and after it ends; whoever deletes the job must tell these
    // apart (take a job that never started back from the pool, else wait for this).
    bool hasFinished() const;

    const QString& id() const { return m_id; }

public slots:
    void slotSendCmd(QList<QString> listCmd);

signals:
    // 1 when a batch starts; 0 once the queue has drained after work, and when the loop ends.
    void signalTaskStatus(int status);
    // After the last command of a batch: (1, reply) per answered command, else
    // (transfer status, command text). result is always 1.
    void signalRecvData(int result, QList<QPair<int, QString>> ackList);

private:
    QPair<int, QString> sendOne(const QString& command);
    void pause(unsigned long ms);

    // std primitives rather than Qt's so the thread sanitizer sees the hand-over.
    mutable std::mutex m_mutex;               // guards m_queue
    QList<QList<QString>> m_queue;            // pending batches, first in first out
    std::condition_variable m_wake;           // cuts a pause between batches short when the job is stopped
    EDeviceType m_type;
    std::atomic_bool m_runFlag{true};         // written by the GUI thread, read by the worker
    std::unique_ptr<HidIO> m_io;              // null for a device type other than USB-HID
    QString m_id;                             // device path, for log lines
    std::atomic_bool m_busy{false};           // true while run() executes
    std::atomic_bool m_finished{false};       // set as the very last step of run()
};

} // namespace RomCmd
