// Shared equipment of the detect tests: a detector over a test source with a
// spy on what it reports.
#pragma once

#include "detectdeviceswin.h"
#include "logcapture.h"

#include <QSignalSpy>
#include <memory>

template <class Source> struct DetectorRig
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
    // Every report so far, one line each: "+path id vid pid status product" ('-' for a removal).
    QStringList reports() const
    {
        QStringList out;
        for (int i = 0; i < spy->count(); ++i) {
            const UsbInfo u = info(i);
            out << QString("%1%2 %3 %4 %5 %6 %7")
                       .arg(arrival(i) ? '+' : '-')
                       .arg(u.devicePath, u.instanceId)
                       .arg(u.vendorId, 0, 16)
                       .arg(u.productId, 0, 16)
                       .arg(u.status)
                       .arg(u.productString);
        }
        return out;
    }

    Source* source = nullptr; // owned by the detector
    std::unique_ptr<DetectDevicesWin> detector;
    std::unique_ptr<QSignalSpy> spy;
};
