// Reply interpretation: every row of the reply table and the VER rule, as the
// ordered steps the device panel applies.
#include "krelreply.h"

#include <QtTest>

using namespace Krel;

namespace {

QStringList describe(const QList<PanelAction>& actions)
{
    QStringList out;
    for (const PanelAction& a : actions)
        out << a.toString();
    return out;
}

const QString kOff = "disconnected";

QString warnBox(const QString& text)
{
    return "box warning|Error|" + text;
}
QString infoBox(const QString& text)
{
    return "box information|Info|" + text;
}
QString logLine(int level, const QString& text)
{
    return QString("log %1|%2").arg(level).arg(text);
}

} // namespace

class TestKrelReply : public QObject
{
    Q_OBJECT
private slots:
    void table_data();
    void table();
    void version_data();
    void version();
    void wholeBatchInOrder();
};

// One row per cell of the reply table: status != 1, a reply without "OK", a reply with "OK".
void TestKrelReply::table_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("RST no reply") << 0 << "Veltrix_Zindrake_RST" << QStringList { kOff };
    QTest::newRow("RST failed") << 1 << "Veltrix_Zindrake_RST FAIL"
                                << QStringList { kOff, warnBox("Reset failed. Please try again.") };
    QTest::newRow("RST ok") << 1 << "Veltrix_Zindrake_RST OK"
                            << QStringList { kOff, infoBox("Reset successful, please reconnect") };

    QTest::newRow("QUT failed") << 1 << "Veltrix_Zindrake_QUT ERR"
                                << QStringList { kOff, warnBox("Quit failed. Please try again.") };
    QTest::newRow("QUT ok") << 1 << "Veltrix_Zindrake_QUT OK" << QStringList { kOff };

    QTest::newRow("SEC no reply") << 0 << "Veltrix_Zindrake_SEC:2,pw" << QStringList {};
    QTest::newRow("SEC failed") << 1 << "Veltrix_Zindrake_SEC FAIL"
                                << QStringList { kOff,
                                       warnBox("Connection failed, please make sure the password is correct") };
    QTest::newRow("SEC lower-case ok is a failure")
        << 1 << "Veltrix_Zindrake_SEC ok"
        << QStringList { kOff, warnBox("Connection failed, please make sure the password is correct") };
    QTest::newRow("SEC ok") << 1 << "Veltrix_Zindrake_SEC OK" << QStringList {};

    QTest::newRow("SSS no reply") << -2 << "Veltrix_Zindrake_SSS:3,new" << QStringList {};
    QTest::newRow("SSS failed") << 1 << "Veltrix_Zindrake_SSS FAIL"
                                << QStringList { warnBox("Failed to change password, please try again") };
    QTest::newRow("SSS ok then quit") << 1 << "Veltrix_Zindrake_SSS OK"
                                      << QStringList { infoBox("Change password successfully, please reconnect"),
                                             "quit" };

    QTest::newRow("MSC failed") << 1 << "Veltrix_Zindrake_MSC FAIL"
                                << QStringList { kOff, logLine(3, "BAD, Failed to enter burn configuration mode.") };
    QTest::newRow("MSC ok") << 1 << "Veltrix_Zindrake_MSC OK"
                            << QStringList { logLine(1, "Entered burn configuration mode successfully") };

    QTest::newRow("OTA failed") << 1 << "Veltrix_Zindrake_OTA FAIL"
                                << QStringList { logLine(3, "BAD, Failed to enter OTA mode.") };
    QTest::newRow("OTA ok") << 1 << "Veltrix_Zindrake_OTA OK"
                            << QStringList { logLine(1, "Entered OTA mode successfully") };

    QTest::newRow("unknown reply") << 1 << "Veltrix_Zindrake_ERR unknown command"
                                   << QStringList { logLine(
                                          0, "This command is not supported: Veltrix_Zindrake_ERR unknown command") };
    QTest::newRow("prefix is case-sensitive")
        << 1 << "veltrix_zindrake_RST OK"
        << QStringList { logLine(0, "This command is not supported: veltrix_zindrake_RST OK") };
}

void TestKrelReply::table()
{
    QFETCH(int, status);
    QFETCH(QString, text);
    QFETCH(QStringList, expected);
    QCOMPARE(describe(KrelReply::interpret({ { status, text } }, "9.9.9")), expected);
}

void TestKrelReply::version_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("newest");
    QTest::addColumn<QStringList>("expected");

    const QString newer = logLine(2, "New firmware version detected");
    QTest::newRow("older box, upgrade offered") << 1 << "Veltrix_Zindrake_VER:1.2.0"
                                                << "1.3" << QStringList { "version|1.2.0", "upgrade on", newer };
    QTest::newRow("same version, 1.2 = 1.2.0") << 1 << "Veltrix_Zindrake_VER:1.2"
                                               << "1.2.0" << QStringList { "version|1.2", "upgrade off" };
    QTest::newRow("no colon leaves everything") << 1 << "Veltrix_Zindrake_VER 1.0"
                                                << "2.0" << QStringList {};
    // Any status; the text after the first colon.
    QTest::newRow("status 0, text after the first colon") << 0 << "Veltrix_Zindrake_VER:1.0:rc"
                                                << "2.0" << QStringList { "version|1.0:rc", "upgrade on", newer };
    QTest::newRow("sent text has no version") << 0 << "Veltrix_Zindrake_VER"
                                              << "2.0" << QStringList {};
}

void TestKrelReply::version()
{
    QFETCH(int, status);
    QFETCH(QString, text);
    QFETCH(QString, newest);
    QFETCH(QStringList, expected);
    QCOMPARE(describe(KrelReply::interpret({ { status, text } }, newest)), expected);
}

void TestKrelReply::wholeBatchInOrder()
{
    // A Connect batch with a wrong password: SEC fails, VER still answers, MSC is refused.
    const KrelReply::AckList acks { { 1, "Veltrix_Zindrake_SEC FAIL" }, { 1, "Veltrix_Zindrake_VER:1.0.0" },
        { 1, "Veltrix_Zindrake_MSC FAIL" } };
    QCOMPARE(describe(KrelReply::interpret(acks, "1.0.1")),
        (QStringList { kOff, warnBox("Connection failed, please make sure the password is correct"), "version|1.0.0",
            "upgrade on", logLine(2, "New firmware version detected"), kOff,
            logLine(3, "BAD, Failed to enter burn configuration mode.") }));
    QVERIFY(KrelReply::interpret({}, "1.0").isEmpty());
}

QTEST_GUILESS_MAIN(TestKrelReply)
#include "tst_krelreply.moc"
