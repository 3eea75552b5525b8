// Collects every log line of every thread while alive, with its type, so tests
// check the exact lines (and their absence) without the log file and keep them
// out of the test output.
#pragma once

#include <QMutex>
#include <QPair>
#include <QStringList>
#include <QtGlobal>

class LogCapture
{
public:
    LogCapture()
    {
        instance() = this;
        m_previous = qInstallMessageHandler(&LogCapture::handler);
    }
    ~LogCapture()
    {
        qInstallMessageHandler(m_previous);
        instance() = nullptr;
    }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    // Every line in order, or those of one type.
    QStringList lines() const { return select([](QtMsgType) { return true; }); }
    QStringList texts(QtMsgType type) const { return select([type](QtMsgType t) { return t == type; }); }
    // Warnings, criticals and fatals.
    QStringList problems() const
    {
        return select([](QtMsgType t) { return t == QtWarningMsg || t == QtCriticalMsg || t == QtFatalMsg; });
    }
    // Some line holds the text.
    bool contains(const QString& text) const { return !lines().filter(text).isEmpty(); }
    // A line of the type is exactly the text, or starts with the prefix.
    bool contains(QtMsgType type, const QString& line) const { return texts(type).contains(line); }
    bool anyStartsWith(QtMsgType type, const QString& prefix) const
    {
        for (const QString& line : texts(type))
            if (line.startsWith(prefix))
                return true;
        return false;
    }
    void clear()
    {
        QMutexLocker l(&m_mutex);
        m_lines.clear();
    }

private:
    template <typename Pick> QStringList select(Pick pick) const
    {
        QMutexLocker l(&m_mutex);
        QStringList out;
        for (const auto& line : m_lines)
            if (pick(line.first))
                out << line.second;
        return out;
    }
    static LogCapture*& instance()
    {
        static LogCapture* p = nullptr;
        return p;
    }
    static void handler(QtMsgType type, const QMessageLogContext&, const QString& msg)
    {
        if (LogCapture* c = instance()) {
            QMutexLocker l(&c->m_mutex);
            c->m_lines.append({ type, msg });
        }
    }

    mutable QMutex m_mutex; // guards m_lines: lines arrive from every thread
    QList<QPair<QtMsgType, QString>> m_lines;
    QtMessageHandler m_previous = nullptr;
};
