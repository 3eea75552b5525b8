// Collects the messages logged while it exists, so tests can assert on log-file lines.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

class LogCapture
{
public:
    struct Line
    {
        QtMsgType type;
        QString text;
    };

    LogCapture()
    {
        s_current = this;
        m_previous = qInstallMessageHandler(&LogCapture::handler);
    }
    ~LogCapture()
    {
        qInstallMessageHandler(m_previous);
        s_current = nullptr;
    }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    QStringList texts(QtMsgType type) const
    {
        QStringList out;
        for (const Line& l : lines) {
            if (l.type == type)
                out << l.text;
        }
        return out;
    }
    // Warnings, criticals and fatals.
    QStringList problems() const { return texts(QtWarningMsg) + texts(QtCriticalMsg) + texts(QtFatalMsg); }
    QStringList all() const
    {
        QStringList out;
        for (const Line& l : lines)
            out << l.text;
        return out;
    }

    QList<Line> lines;

private:
    static void handler(QtMsgType type, const QMessageLogContext&, const QString& msg)
    {
        if (s_current)
            s_current->lines.append({ type, msg });
    }
    inline static LogCapture* s_current = nullptr;
    QtMessageHandler m_previous = nullptr;
};
