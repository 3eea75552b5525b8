// udev records ("KEY=value" lines, as udevadm prints them): the instance id is
// always one "HID\VID_xxxx&PID_xxxx\<port>" in upper case with exactly two
// backslashes, and the ids it names are the record's own.
#include "fuzzsupport.h"
#include "udevhidrecord.h"

#include <QMap>

FUZZ_INIT

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QMap<QString, QString> props;
    const QList<QByteArray> lines = Fuzz::bytes(data, size).split('\n');
    for (const QByteArray& line : lines) {
        const int eq = line.indexOf('=');
        if (eq > 0)
            props.insert(QString::fromUtf8(line.left(eq)), QString::fromUtf8(line.mid(eq + 1)));
    }
    const UdevHid::Record r = UdevHid::recordFromProperties(props);
    const QString& id = r.facts.instanceId;
    FUZZ_CHECK(id.count(QLatin1Char('\\')) == 2, id);
    FUZZ_CHECK(id == id.toUpper(), id);
    const QString head = QStringLiteral("HID\\VID_%1&PID_%2\\")
                             .arg(r.facts.vendorId, 4, 16, QLatin1Char('0'))
                             .arg(r.facts.productId, 4, 16, QLatin1Char('0'))
                             .toUpper();
    FUZZ_CHECK(id.startsWith(head), id + QLatin1Char(' ') + head);
    if (!r.devicePath.isEmpty())
        FUZZ_CHECK(r.devicePath.startsWith(QLatin1Char('/')), r.devicePath);

    // The same facts through the event book: an arrival, then the removal.
    UdevHid::Book book;
    int notified = 0;
    const auto notify = [&notified](const DeviceChange&) { ++notified; };
    book.onEvent("add", "hidraw", r.devicePath.section(QLatin1Char('/'), -1), props, notify);
    book.onEvent("remove", "hidraw", r.devicePath.section(QLatin1Char('/'), -1), props, notify);
    FUZZ_CHECK(notified <= 2, QString::number(notified));
    return 0;
}
