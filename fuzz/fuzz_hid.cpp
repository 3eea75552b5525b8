// HID receive over the fake hidapi: the real HidIO reads the reports a device
// sends. A frame report is taken only when its length field fits the report,
// the payload handed over is the report's, and an acknowledgement follows
// only a frame taken; text replies never overrun the caller's buffer.
#include "fakehid.h"
#include "fuzzsupport.h"
#include "hidio.h"
#include "iostatus.h"

#include <cstring>

using namespace RomCmd;

FUZZ_INIT

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // First byte: what is read (0 frame, 1 acknowledgement, else text reply);
    // the rest: one input report as the device sends it.
    if (size == 0 || size > 2048)
        return 0;
    const int what = data[0] % 3;
    const QByteArray report = Fuzz::bytes(data + 1, size - 1);

    static const QString path = QStringLiteral("fuzz-hid");
    auto dev = std::make_shared<FakeHid::RecordingDevice>();
    FakeHid::Identity id;
    id.path = path;
    id.vendorId = 0x34B7;
    id.productId = 0x0001;
    FakeHid::addDevice(dev, id);
    {
        UsbInfo info;
        info.devicePath = path;
        info.vendorId = 0x34B7;
        info.productId = 0x0001;
        HidIO io { QVariant::fromValue(info) };
        FUZZ_CHECK(io.status() == IoOk, QString::number(io.status()));
        io.setTimeout(1);
        if (!report.isEmpty())
            dev->queueInput(report);
        // What the transport receives: the report, cut to its read size.
        const QByteArray r = report.left(MaxFrameBuffer);
        if (what == 0) {
            uint8_t buffer[MaxFrameBuffer + 16];
            std::memset(buffer, 0xEE, sizeof buffer);
            uint16_t length = 0xBEEF;
            const int status = io.readPacket(buffer, &length);
            const int n = r.size();
            const int declared = n >= 4 ? (uchar(r[2]) | uchar(r[3]) << 8) : -1;
            const bool take = n >= 4 && declared <= n - 4;
            FUZZ_CHECK((status == IoOk) == take, QString::number(status));
            if (take) {
                FUZZ_CHECK(length == declared && std::memcmp(buffer, r.constData() + 4, length) == 0, QString());
                FUZZ_CHECK(dev->writes().size() == 1 && dev->writes().first().startsWith(QByteArray("\x01\xA1", 2)),
                           QString());
            } else {
                FUZZ_CHECK(length == 0xBEEF && dev->writes().isEmpty(), QString::number(length));
            }
            for (int i = MaxFrameBuffer; i < int(sizeof buffer); ++i)
                FUZZ_CHECK(buffer[i] == 0xEE, QString::number(i));
        } else if (what == 1) {
            const int status = io.readAck();
            FUZZ_CHECK(status >= 0 && status <= 18, QString::number(status));
        } else {
            uint8_t reply[80];
            std::memset(reply, 0xEE, sizeof reply);
            const int n = io.transferReport(reinterpret_cast<const uint8_t*>("Q"), 1, reply, 64);
            FUZZ_CHECK(n <= 64, QString::number(n));
            for (int i = 64; i < int(sizeof reply); ++i)
                FUZZ_CHECK(reply[i] == 0xEE, QString::number(i));
        }
    }
    FakeHid::reset();
    return 0;
}
