// Krel command texts, the password limit, the identity test and version comparison.
#include "krelcommand.h"

#include <QtTest>

using namespace Krel;

class TestKrelCommand : public QObject
{
    Q_OBJECT
private slots:
    void texts_data();
    void texts();
    void passwordLimit_data();
    void passwordLimit();
    void tooLongPasswordQueuesNothing();
    void batches();
    void identity_data();
    void identity();
    void compare_data();
    void compare();
};

void TestKrelCommand::texts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("SEC four chars") << KrelCommand::login("abcd") << "Veltrix_Zindrake_SEC:4,abcd";
    QTest::newRow("SEC empty keeps count and comma") << KrelCommand::login("") << "Veltrix_Zindrake_SEC:0,";
    QTest::newRow("SEC counts UTF-16 units, not bytes") << KrelCommand::login(
        QString::fromUtf8("pä\xF0\x9F\x94\x91")) << QString::fromUtf8("Veltrix_Zindrake_SEC:4,pä\xF0\x9F\x94\x91");
}

void TestKrelCommand::texts()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(text, expected);
}

void TestKrelCommand::passwordLimit_data()
{
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("fits");
    QTest::newRow("39 ASCII: SEC text is exactly 63 bytes") << QString(39, 'x') << true;
    QTest::newRow("40 ASCII: 64 bytes") << QString(40, 'x') << false;
    QTest::newRow("19 two-byte chars + 1 ASCII (39 bytes)") << QString::fromUtf8("é").repeated(19) + "x" << true;
    QTest::newRow("20 two-byte chars (40 bytes)") << QString::fromUtf8("é").repeated(20) << false;
}

void TestKrelCommand::passwordLimit()
{
    QFETCH(QString, password);
    QFETCH(bool, fits);
    QCOMPARE(KrelCommand::maxPasswordBytes(), 39);
    QCOMPARE(KrelCommand::passwordFits(password), fits);
    // The rule must agree with what a report can actually carry.
    QCOMPARE(KrelCommand::login(password).toUtf8().size() <= MaxCommandBytes, fits);
    QCOMPARE(KrelCommand::setPassword(password).toUtf8().size() <= MaxCommandBytes, fits);
}

void TestKrelCommand::tooLongPasswordQueuesNothing()
{
    QString error;
    QVERIFY(KrelCommand::connectBatch(QString(40, 'p'), &error).isEmpty());
    QVERIFY(error.contains("39"));
    QCOMPARE(error, KrelCommand::passwordTooLongMessage());
    error.clear();
    QVERIFY(KrelCommand::changePasswordBatch(QString(40, 'p'), &error).isEmpty());
    QCOMPARE(error, KrelCommand::passwordTooLongMessage());
}

void TestKrelCommand::batches()
{
    QString error;
    QCOMPARE(KrelCommand::connectBatch("pw", &error),
        (QList<QString> { "Veltrix_Zindrake_SEC:2,pw", "Veltrix_Zindrake_VER", "Veltrix_Zindrake_MSC" }));
    QVERIFY(error.isEmpty());
    QCOMPARE(KrelCommand::changePasswordBatch(""), QList<QString> { "Veltrix_Zindrake_SSS:0," });
}

void TestKrelCommand::identity_data()
{
    QTest::addColumn<quint32>("classIndex");
    QTest::addColumn<quint32>("vid");
    QTest::addColumn<quint32>("pid");
    QTest::addColumn<QString>("product");
    QTest::addColumn<int>("mode");
    const quint32 v = 0x34B7, p = 0x1000;
    QTest::newRow("command mode") << 0u << v << p << "Veltrix KREL HID" << int(KrelMode::Command);
    QTest::newRow("drive mode") << 0u << v << p << "Veltrix KREL MSC" << int(KrelMode::Drive);
    QTest::newRow("update mode") << 0u << v << p << "Veltrix KREL UF2" << int(KrelMode::Update);
    QTest::newRow("other product string") << 0u << v << p << "Veltrix KREL" << int(KrelMode::NotKrel);
    QTest::newRow("other vendor") << 0u << 0x34B8u << p << "Veltrix KREL HID" << int(KrelMode::NotKrel);
    QTest::newRow("other product id") << 0u << v << 0x1001u << "Veltrix KREL HID" << int(KrelMode::NotKrel);
    QTest::newRow("not the HID class") << 1u << v << p << "Veltrix KREL HID" << int(KrelMode::NotKrel);
}

void TestKrelCommand::identity()
{
    QFETCH(quint32, classIndex);
    QFETCH(quint32, vid);
    QFETCH(quint32, pid);
    QFETCH(QString, product);
    QFETCH(int, mode);
    UsbInfo info;
    info.classIndex = classIndex;
    info.vendorId = vid;
    info.productId = pid;
    info.productString = product;
    QCOMPARE(int(krelMode(info)), mode);
    QCOMPARE(isKrel(info), mode != int(KrelMode::NotKrel));
}

void TestKrelCommand::compare_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<int>("result");
    QTest::newRow("1.2 = 1.2.0") << "1.2"
                                 << "1.2.0" << 0;
    QTest::newRow("1.10 > 1.9, numeric not textual") << "1.10"
                                                     << "1.9" << 1;
    QTest::newRow("1.x < 1.1") << "1.x"
                               << "1.1" << -1;
    QTest::newRow("empty part counts 0") << "1..2"
                                         << "1.0.2" << 0;
    QTest::newRow("empty vs 0") << ""
                                << "0" << 0;
}

void TestKrelCommand::compare()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(int, result);
    QCOMPARE(compareVersion(a, b), result);
}

QTEST_GUILESS_MAIN(TestKrelCommand)
#include "tst_krelcommand.moc"
