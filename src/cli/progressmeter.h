// Progress of one transfer on standard error: a bar with bytes, rate and time
// left on a terminal, plain lines (one per tenth) otherwise.
#pragma once

#include <QElapsedTimer>
#include <QString>

class QIODevice;

namespace RomCmd {

class ProgressMeter
{
public:
    ProgressMeter(QIODevice* err, bool terminal, int columns, const QString& label);
    ~ProgressMeter();

    // Cheap enough for every chunk: draws at most ten times a second.
    void update(qint64 done, qint64 total);
    // Ends the bar's line; a last plain line when the transfer stopped short.
    void finish();

    static QString byteText(qint64 bytes); // "512 B", "3.2 KiB", "16.0 MiB"
    static QString durationText(double seconds); // "0:07", "1:02:03", "--:--"
    // "label [#####.....]  50%  8.0 MiB/16.0 MiB  2.1 MiB/s  0:04 left" cut to columns.
    static QString barLine(const QString& label, qint64 done, qint64 total, double bytesPerSecond, int columns);
    // "label: 50% 8388608/16777216 bytes 2.1 MiB/s 0:04 left"
    static QString plainLine(const QString& label, qint64 done, qint64 total, double bytesPerSecond);

private:
    void draw(qint64 done, qint64 total);
    double rate(qint64 done) const;

    QIODevice* m_err;
    bool m_terminal;
    int m_columns;
    QString m_label;
    QElapsedTimer m_clock;
    qint64 m_lastDrawMs = -1000;
    int m_lastTenth = 0; // plain lines: the first comes at 10 %
    qint64 m_done = 0;
    qint64 m_total = 0;
    bool m_drawn = false;
    bool m_finished = false;
};

} // namespace RomCmd
