#include "logfilewriter.h"

#include "logline.h"

#include <vector>

namespace DevelopViews {

LogFileWriter::LogFileWriter()
{
    setObjectName(QStringLiteral("LogFileWriter"));
    start(QThread::LowPriority);
}

LogFileWriter::~LogFileWriter()
{
    {
        std::lock_guard<std::mutex> locker(m_lock);
        m_stop = true;
    }
    m_wake.notify_all();
    wait();
}

void LogFileWriter::enqueue(int level, const QString& log)
{
    {
        std::lock_guard<std::mutex> locker(m_lock);
        m_queue.push_back({level, log});
    }
    m_wake.notify_one();
}

void LogFileWriter::waitUntilWritten()
{
    std::unique_lock<std::mutex> locker(m_lock);
    m_idle.wait(locker, [this] { return m_queue.empty() && !m_busy; });
}

void LogFileWriter::run()
{
    std::vector<Entry> batch;
    for (;;) {
        {
            std::unique_lock<std::mutex> locker(m_lock);
            m_busy = false;
            if (m_queue.empty())
                m_idle.notify_all();
            m_wake.wait(locker, [this] { return m_stop || !m_queue.empty(); });
            if (m_queue.empty())
                return; // stop asked and nothing left
            batch.assign(std::make_move_iterator(m_queue.begin()), std::make_move_iterator(m_queue.end()));
            m_queue.clear();
            m_busy = true;
        }
        for (const Entry& e : batch)
            LogLine::writeToLogFile(e.level, e.log);
        batch.clear();
    }
}

} // namespace DevelopViews
