// Shared equipment of the detect tests: a capture of the log-file lines and a
// detector over a test source with a spy on what it reports.
#pragma once

#include "detectdeviceswin.h"

#include <QList>
#include <QSignalSpy>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <memory>

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

template <class Source>
struct DetectorRig
{
    DetectorRig()
    {
        auto s = std::make_unique<Source>();
        source = s.get();
        detector = std::make_unique<DetectDevicesWin>(std::move(s));
        spy = std::make_unique<QSignalSpy>(detector.get(), &DetectDevicesWin::signalUpdateUsbDevice);
    }
    UsbInfo info(int i) const { return spy->at(i).at(0).value<UsbInfo>(); }
    bool arrival(int i) const { return spy->at(i).at(1).toBool(); }

    Source* source = nullptr; // owned by the detector
    std::unique_ptr<DetectDevicesWin> detector;
    std::unique_ptr<QSignalSpy> spy;
};
