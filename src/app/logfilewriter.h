// Writes the log dock's lines to the daily log file on a thread of its own.
// The log handler opens and closes the file for every message, which costs far
// more than showing the line; a run that sends tens of thousands of lines would
// otherwise hold the window for seconds.
#pragma once

#include <QString>
#include <QThread>
#include <condition_variable>
#include <deque>
#include <mutex>

namespace DevelopViews {

class LogFileWriter : public QThread
{
public:
    LogFileWriter();
    // Writes whatever is still queued, then ends the thread.
    ~LogFileWriter() override;

    void enqueue(int level, const QString& log);
    // Returns once every line queued so far is in the file.
    void waitUntilWritten();

protected:
    void run() override;

private:
    struct Entry
    {
        int level;
        QString log;
    };
    std::mutex m_lock; // guards m_queue, m_busy and m_stop
    std::condition_variable m_wake; // lines queued or stop asked
    std::condition_variable m_idle; // queue drained
    std::deque<Entry> m_queue;
    bool m_busy = false;
    bool m_stop = false;
};

} // namespace DevelopViews
