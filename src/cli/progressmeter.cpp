#include "progressmeter.h"

#include <QIODevice>
#include <cmath>

namespace RomCmd {

ProgressMeter::ProgressMeter(QIODevice* err, bool terminal, int columns, const QString& label)
    : m_err(err)
    , m_terminal(terminal)
    , m_columns(columns)
    , m_label(label)
{
    m_clock.start();
}

ProgressMeter::~ProgressMeter()
{
    finish();
}

QString ProgressMeter::byteText(qint64 bytes)
{
    if (bytes < 1024)
        return QStringLiteral("%1 B").arg(bytes);
    if (bytes < (qint64(1) << 20))
        return QStringLiteral("%1 KiB").arg(bytes / 1024.0, 0, 'f', 1);
    if (bytes < (qint64(1) << 30))
        return QStringLiteral("%1 MiB").arg(bytes / 1048576.0, 0, 'f', 1);
    return QStringLiteral("%1 GiB").arg(bytes / 1073741824.0, 0, 'f', 2);
}

QString ProgressMeter::durationText(double seconds)
{
    if (!std::isfinite(seconds) || seconds < 0 || seconds > 360000)
        return QStringLiteral("--:--");
    const qint64 s = qint64(seconds + 0.5);
    if (s >= 3600)
        return QStringLiteral("%1:%2:%3")
            .arg(s / 3600)
            .arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
            .arg(s % 60, 2, 10, QLatin1Char('0'));
    return QStringLiteral("%1:%2").arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0'));
}

namespace {
int percent(qint64 done, qint64 total)
{
    return total > 0 ? int(done * 100 / total) : 0;
}
double secondsLeft(qint64 done, qint64 total, double rate)
{
    return rate > 0 ? double(total - done) / rate : -1;
}
} // namespace

QString ProgressMeter::barLine(const QString& label, qint64 done, qint64 total, double bytesPerSecond, int columns)
{
    const QString tail = QStringLiteral(" %1%  %2/%3  %4/s  %5 left")
                             .arg(percent(done, total), 3)
                             .arg(byteText(done), byteText(total), byteText(qint64(bytesPerSecond)),
                                 durationText(secondsLeft(done, total, bytesPerSecond)));
    const int width = qBound(10, columns - label.size() - tail.size() - 4, 50);
    const int filled = total > 0 ? int(double(done) / double(total) * width) : 0;
    const QString bar = QString(filled, QLatin1Char('#')) + QString(width - filled, QLatin1Char('.'));
    return (label + QStringLiteral(" [") + bar + QLatin1Char(']') + tail).left(qMax(20, columns - 1));
}

QString ProgressMeter::plainLine(const QString& label, qint64 done, qint64 total, double bytesPerSecond)
{
    return QStringLiteral("%1: %2% %3/%4 bytes %5/s %6 left")
        .arg(label)
        .arg(percent(done, total))
        .arg(done)
        .arg(total)
        .arg(byteText(qint64(bytesPerSecond)), durationText(secondsLeft(done, total, bytesPerSecond)));
}

double ProgressMeter::rate(qint64 done) const
{
    const double s = m_clock.nsecsElapsed() / 1e9;
    return s > 0 ? double(done) / s : 0;
}

void ProgressMeter::update(qint64 done, qint64 total)
{
    if (m_finished || !m_err || total <= 0)
        return;
    m_done = done;
    m_total = total;
    if (m_terminal) {
        const qint64 now = m_clock.elapsed();
        if (now - m_lastDrawMs < 100 && done < total)
            return;
        m_lastDrawMs = now;
    } else {
        const int tenth = int(done * 10 / total);
        if (tenth == m_lastTenth)
            return;
        m_lastTenth = tenth;
    }
    draw(done, total);
}

void ProgressMeter::draw(qint64 done, qint64 total)
{
    m_drawn = true;
    if (m_terminal)
        m_err->write(('\r' + barLine(m_label, done, total, rate(done), m_columns) + QStringLiteral("\x1b[K")).toUtf8());
    else
        m_err->write((plainLine(m_label, done, total, rate(done)) + QLatin1Char('\n')).toUtf8());
}

void ProgressMeter::finish()
{
    if (m_finished)
        return;
    m_finished = true;
    if (!m_err || m_total <= 0 || (m_terminal && !m_drawn))
        return;
    if (m_terminal) {
        draw(m_done, m_total);
        m_err->write("\n");
    } else if (m_done < m_total) {
        // Where a stopped transfer ended, unless the last line already said so.
        m_err->write((plainLine(m_label, m_done, m_total, rate(m_done)) + QLatin1Char('\n')).toUtf8());
    }
}

} // namespace RomCmd
