// Collects the diagnostics a test provokes, so tests can check the exact log
// lines (and their absence) without the log file.
#pragma once

#include <QMutex>
#include <QPair>
#include <QStringList>
#include <QtGlobal>

class MessageCatcher
{
public:
    MessageCatcher()
    {
        QMutexLocker locker(&mutex());
        messages().clear();
        m_previous = qInstallMessageHandler(&MessageCatcher::handler);
    }
    ~MessageCatcher() { qInstallMessageHandler(m_previous); }

    // Messages of the given type, in order.
    QStringList of(QtMsgType type) const
    {
        QMutexLocker locker(&mutex());
        QStringList out;
        for (const auto& m : messages()) {
            if (m.first == type)
                out << m.second;
        }
        return out;
    }
    bool contains(QtMsgType type, const QString& text) const { return of(type).contains(text); }
    bool anyStartsWith(QtMsgType type, const QString& prefix) const
    {
        for (const QString& m : of(type)) {
            if (m.startsWith(prefix))
                return true;
        }
        return false;
    }

private:
    static void handler(QtMsgType type, const QMessageLogContext&, const QString& msg)
    {
        QMutexLocker locker(&mutex());
        messages().append(qMakePair(type, msg));
    }
    static QMutex& mutex()
    {
        static QMutex m;
        return m;
    }
    static QList<QPair<QtMsgType, QString>>& messages()
    {
        static QList<QPair<QtMsgType, QString>> list;
        return list;
    }

    QtMessageHandler m_previous = nullptr;
};
