// The real udev source on this machine: listing what is there (often nothing) works,
// agrees with sysfs and reports no error.
#include "detectrig.h"

#include <QDir>
#include <QtTest>

class TestUdevSmoke : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { qRegisterMetaType<UsbInfo>("UsbInfo"); }
    void listsWhatIsPresent()
    {
        DetectDevicesWin detector;
        if (!detector.isRegistered())
            qInfo("hot-plug monitor not available here: %s", qPrintable(detector.errorString()));
        QSignalSpy spy(&detector, &DetectDevicesWin::signalUpdateUsbDevice);
        QStringList nodes = QDir("/sys/class/hidraw").entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        {
            LogCapture log;
            detector.loadUsbDevices();
            QVERIFY2(log.problems().isEmpty(), qPrintable(log.problems().join('\n')));
        }
        QStringList listed;
        for (const QList<QVariant>& args : qAsConst(spy)) {
            const UsbInfo info = args.at(0).value<UsbInfo>();
            QVERIFY(args.at(1).toBool());
            QVERIFY2(info.instanceId.startsWith("HID\\VID_"), qPrintable(info.instanceId));
            QCOMPARE(info.status, 1u);
            listed << info.devicePath.section('/', -1);
        }
        listed.sort();
        nodes.sort();
        QCOMPARE(listed, nodes);
        QTest::qWait(20); // lets the monitor's notifier run once; nothing is plugged here
    }
};

QTEST_GUILESS_MAIN(TestUdevSmoke)
#include "tst_udevsmoke.moc"
