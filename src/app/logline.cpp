#include "logline.h"

#include <QDebug>

namespace LogLine {

QString text(const QTime& time, const QString& log)
{
    return QLatin1Char('[') + time.toString(QStringLiteral("hh:mm:ss")) + QStringLiteral("] ") + log;
}

QColor colour(int level, const QColor& previous)
{
    switch (level) {
    case LogDebug: return QColor(200, 200, 200);
    case LogInfo: return QColor(Qt::green);
    case LogWarning: return QColor(240, 240, 50);
    case LogError: return QColor(Qt::red);
    default: return previous;
    }
}

void writeToLogFile(int level, const QString& log)
{
    switch (level) {
    case LogDebug: qDebug().noquote() << log; break;
    case LogInfo: qInfo().noquote() << log; break;
    case LogWarning: qWarning().noquote() << log; break;
    case LogError: qCritical().noquote() << log; break;
    default: break;
    }
}

} // namespace LogLine
