// A pseudo-terminal pair standing in for a serial cable: the tool opens the
// slave by path with the real serial transport, a simulator drives the master.
#pragma once

#include <QByteArray>
#include <QString>

class PtyLink
{
public:
    // Opens the pair, both ends raw (8 bits, no echo, no line discipline).
    PtyLink();
    ~PtyLink();
    PtyLink(const PtyLink&) = delete;
    PtyLink& operator=(const PtyLink&) = delete;

    bool isOpen() const { return m_master >= 0; }
    // Slave path the tool opens as its port name, e.g. "/dev/pts/5".
    QString toolPath() const { return m_slavePath; }
    // Device-side (master) descriptor, non-blocking.
    int deviceFd() const { return m_master; }

    // Device side: up to maxBytes bytes, waiting at most timeoutMs for the first
    // (-1 waits for ever); empty on time-out or error.
    QByteArray read(int maxBytes, int timeoutMs);
    // Device side: exactly n bytes unless timeoutMs passes without progress.
    QByteArray readExact(int n, int timeoutMs);
    // Device side: writes every byte; false when the tool side stops draining
    // for timeoutMs or the link fails.
    bool writeAll(const QByteArray& bytes, int timeoutMs = 5000);
    // Line speed the tool has set on its side (from the slave's termios); 0 when
    // unknown or not a standard rate.
    int toolBaudRate() const;
    // Drops bytes queued in both directions.
    void flush();
    // Closes both ends; reads on the tool side then fail.
    void close();

private:
    int m_master = -1;
    int m_slave = -1; // kept open so the master never sees a hang-up between tool opens
    QString m_slavePath;
};
