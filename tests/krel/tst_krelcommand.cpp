// The Krel box protocol as plain code: command texts and the password limit,
// the identity test, version comparison, reply interpretation, the arrival
// and removal rules of the device panel, the login outcome and "new.json";
// then the plain parts of the Krel configuration tab: flash configuration words
// (field placement, the option-word count, the text form both ways), rebasing
// of additional-file addresses, and the image helper's command line and lines.
#include "apppaths.h"
#include "firmwareinfo.h"
#include "flashwords.h"
#include "imagehelper.h"
#include "krelarrival.h"
#include "krelcommand.h"
#include "krelreply.h"
#include "testfiles.h"

#include <QtTest>

using namespace Krel;
using AckList = QList<QPair<int, QString>>;

using FlashWords::FieldValue;
using ImageHelper::Message;

Q_DECLARE_METATYPE(ArrivalDecision::Action)
Q_DECLARE_METATYPE(FieldValue)
Q_DECLARE_METATYPE(Message::Kind)

namespace {

UsbInfo usb(const QString& id, const QString& product, quint32 vid = 0x34B7, quint32 pid = 0x1000, quint32 cls = 0)
{
    UsbInfo i;
    i.instanceId = id;
    i.devicePath = "/dev/hidraw-" + id;
    i.vendorId = vid;
    i.productId = pid;
    i.productString = product;
    i.classIndex = cls;
    return i;
}

QString lines(const KrelLogLines& l)
{
    QStringList out;
    for (const KrelLogLine& x : l)
        out << QString::number(x.level) + "|" + x.text;
    return out.join('\n');
}
QStringList describe(const QList<PanelAction>& actions)
{
    QStringList out;
    for (const PanelAction& a : actions)
        out << a.toString();
    return out;
}

const QString kOff = "disconnected";
const QString kNewer = "log 2|New firmware version detected";
const QString kWrongPassword = "box warning|Error|Connection failed, please make sure the password is correct";

const auto warnBox = [](const QString& text) { return "box warning|Error|" + text; };
const auto infoBox = [](const QString& text) { return "box information|Info|" + text; };
const auto logLine = [](int level, const QString& text) { return QString("log %1|%2").arg(level).arg(text); };

} // namespace

class TestKrelCommand : public QObject
{
    Q_OBJECT
private slots:
    void texts()
    {
        QCOMPARE(KrelCommand::login("abcd"), QString("Veltrix_Zindrake_SEC:4,abcd"));
        // UTF-16 units are counted, not bytes.
        QCOMPARE(KrelCommand::login(QString::fromUtf8("pä\xF0\x9F\x94\x91")),
            QString::fromUtf8("Veltrix_Zindrake_SEC:4,pä\xF0\x9F\x94\x91"));
        QString error;
        QCOMPARE(KrelCommand::connectBatch("pw", &error),
            (QList<QString> { "Veltrix_Zindrake_SEC:2,pw", "Veltrix_Zindrake_VER", "Veltrix_Zindrake_MSC" }));
        QVERIFY(error.isEmpty());
        QCOMPARE(KrelCommand::changePasswordBatch(""), QList<QString> { "Veltrix_Zindrake_SSS:0," });
    }

    // A password whose command would not fit one report queues nothing, with the refusal.
    void passwordLimit_data()
    {
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("fits");
        QTest::newRow("39 ASCII: SEC text is exactly 63 bytes") << QString(39, 'x') << true;
        QTest::newRow("40 ASCII: 64 bytes") << QString(40, 'x') << false;
        QTest::newRow("19 two-byte chars + 1 ASCII (39 bytes)") << QString::fromUtf8("é").repeated(19) + "x" << true;
        QTest::newRow("20 two-byte chars (40 bytes)") << QString::fromUtf8("é").repeated(20) << false;
    }
    void passwordLimit()
    {
        QFETCH(QString, password);
        QFETCH(bool, fits);
        QCOMPARE(KrelCommand::maxPasswordBytes(), 39);
        QCOMPARE(KrelCommand::passwordFits(password), fits);
        // The rule must agree with what a report can actually carry.
        QCOMPARE(KrelCommand::login(password).toUtf8().size() <= MaxCommandBytes, fits);
        QCOMPARE(KrelCommand::setPassword(password).toUtf8().size() <= MaxCommandBytes, fits);
        const QString refusal = fits ? QString() : KrelCommand::passwordTooLongMessage();
        QVERIFY(fits || refusal.contains("39"));
        QString error;
        QCOMPARE(KrelCommand::connectBatch(password, &error).isEmpty(), !fits);
        QCOMPARE(error, refusal);
        error.clear();
        QCOMPARE(KrelCommand::changePasswordBatch(password, &error).isEmpty(), !fits);
        QCOMPARE(error, refusal);
    }

    // A Krel only when vendor, product id, HID class and product string all match
    // (the three modes: the arrival rows).
    void notKrel_data()
    {
        QTest::addColumn<UsbInfo>("info");
        QTest::newRow("other product string") << usb("A", "Veltrix KREL");
        QTest::newRow("other vendor") << usb("A", "Veltrix KREL HID", 0x34B8);
        QTest::newRow("other product id") << usb("A", "Veltrix KREL HID", 0x34B7, 0x1001);
        QTest::newRow("not the HID class") << usb("A", "Veltrix KREL HID", 0x34B7, 0x1000, 1);
    }
    void notKrel()
    {
        QFETCH(UsbInfo, info);
        QCOMPARE(int(krelMode(info)), int(KrelMode::NotKrel));
        QVERIFY(!isKrel(info));
    }

    void compare_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<int>("result");
        auto row
            = [](const char* name, const QString& a, const QString& b, int r) { QTest::newRow(name) << a << b << r; };
        row("1.10 > 1.9, numeric not textual", "1.10", "1.9", 1);
        row("1.x < 1.1", "1.x", "1.1", -1);
        row("empty part counts 0, 1..2 = 1.0.2", "1..2", "1.0.2", 0);
        row("empty vs 0", "", "0", 0);
    }
    void compare()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QTEST(compareVersion(a, b), "result");
    }

    // One row per cell of the reply table (status != 1, a reply without "OK", a
    // reply with "OK") and the VER rule, against a newest firmware of 9.9.9.
    void reply_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("expected");

        auto row = [](const char* name, int status, const QString& text, const QStringList& expected) {
            QTest::newRow(name) << status << text << expected;
        };
        // SEC, MSC and an older box's VER failing in one batch: wholeBatchInOrder.
        row("RST no reply", 0, "Veltrix_Zindrake_RST", { kOff });
        row("RST failed", 1, "Veltrix_Zindrake_RST FAIL", { kOff, warnBox("Reset failed. Please try again.") });
        row("RST ok", 1, "Veltrix_Zindrake_RST OK", { kOff, infoBox("Reset successful, please reconnect") });
        row("QUT failed", 1, "Veltrix_Zindrake_QUT ERR", { kOff, warnBox("Quit failed. Please try again.") });
        row("QUT ok", 1, "Veltrix_Zindrake_QUT OK", { kOff });
        row("SEC no reply", 0, "Veltrix_Zindrake_SEC:2,pw", {});
        row("SEC lower-case ok is a failure", 1, "Veltrix_Zindrake_SEC ok", { kOff, kWrongPassword });
        row("SEC ok", 1, "Veltrix_Zindrake_SEC OK", {});
        row("SSS no reply", -2, "Veltrix_Zindrake_SSS:3,new", {});
        row("SSS failed", 1, "Veltrix_Zindrake_SSS FAIL", { warnBox("Failed to change password, please try again") });
        row("SSS ok then quit", 1, "Veltrix_Zindrake_SSS OK",
            { infoBox("Change password successfully, please reconnect"), "quit" });
        row("MSC ok", 1, "Veltrix_Zindrake_MSC OK", { logLine(1, "Entered burn configuration mode successfully") });
        row("OTA failed", 1, "Veltrix_Zindrake_OTA FAIL", { logLine(3, "BAD, Failed to enter OTA mode.") });
        row("OTA ok", 1, "Veltrix_Zindrake_OTA OK", { logLine(1, "Entered OTA mode successfully") });
        row("unknown reply", 1, "Veltrix_Zindrake_ERR unknown command",
            { logLine(0, "This command is not supported: Veltrix_Zindrake_ERR unknown command") });
        row("prefix is case-sensitive", 1, "veltrix_zindrake_RST OK",
            { logLine(0, "This command is not supported: veltrix_zindrake_RST OK") });
        row("VER same version, 9.9.9.0 = 9.9.9", 1, "Veltrix_Zindrake_VER:9.9.9.0",
            { "version|9.9.9.0", "upgrade off" });
        row("VER no colon leaves everything", 1, "Veltrix_Zindrake_VER 1.0", {});
        // Any status; the text after the first colon.
        row("VER status 0, text after the first colon", 0, "Veltrix_Zindrake_VER:1.0:rc",
            { "version|1.0:rc", "upgrade on", kNewer });
        row("VER sent text has no version", 0, "Veltrix_Zindrake_VER", {});
    }
    void reply()
    {
        QFETCH(int, status);
        QFETCH(QString, text);
        QTEST(describe(KrelReply::interpret({ { status, text } }, "9.9.9")), "expected");
    }

    void wholeBatchInOrder()
    {
        // A Connect batch with a wrong password: SEC fails, VER still answers, MSC is refused.
        const KrelReply::AckList acks { { 1, "Veltrix_Zindrake_SEC FAIL" }, { 1, "Veltrix_Zindrake_VER:1.0.0" },
            { 1, "Veltrix_Zindrake_MSC FAIL" } };
        QCOMPARE(describe(KrelReply::interpret(acks, "1.0.1")),
            (QStringList { kOff, kWrongPassword, "version|1.0.0", "upgrade on", kNewer, kOff,
                logLine(3, "BAD, Failed to enter burn configuration mode.") }));
        QVERIFY(KrelReply::interpret({}, "1.0").isEmpty());
    }

    void arrival_data()
    {
        QTest::addColumn<UsbInfo>("info");
        QTest::addColumn<QStringList>("listed");
        QTest::addColumn<ArrivalDecision::Action>("action");
        QTest::addColumn<bool>("append");
        QTest::addColumn<bool>("select");
        QTest::addColumn<QString>("log");

        const QString detect = "1|Detect Usb: %1, vid: 0x34b7, pid: 0x1000, productString: Veltrix KREL %2";
        const QString connected = "\n1|Device connected successfully";
        QTest::newRow("drive alone connects")
            << usb("A", "Veltrix KREL MSC") << QStringList() << ArrivalDecision::ConnectDrive << true << true
            << detect.arg("A", "MSC") + connected;
        QTest::newRow("command mode drops the job")
            << usb("A", "Veltrix KREL HID") << QStringList() << ArrivalDecision::DropCommand << true << true
            << detect.arg("A", "HID");
        QTest::newRow("update mode warns")
            << usb("A", "Veltrix KREL UF2") << QStringList() << ArrivalDecision::DropUpdate << true << true
            << detect.arg("A", "UF2") + "\n2|Device enters UF2 upgrade mode";
        QTest::newRow("second box is refused")
            << usb("B", "Veltrix KREL HID") << QStringList { "A" } << ArrivalDecision::ListOnly << true << false
            << detect.arg("B", "HID") + "\n3|Multiple devices are not supported, please access only one offline burner";
        QTest::newRow("same id again keeps one entry")
            << usb("A", "Veltrix KREL MSC") << QStringList { "A" } << ArrivalDecision::ConnectDrive << false << true
            << detect.arg("A", "MSC") + connected;
        // Not a Krel: noted at debug level, ids as four hexadecimal digits.
        QTest::newRow("other ids, padded hex")
            << usb("X", "Veltrix KREL HID", 0x1a, 0xb) << QStringList() << ArrivalDecision::Ignore << false << false
            << "0|Detect Usb: X, vid: 0x001a, pid: 0x000b, productString: Veltrix KREL HID";
    }
    void arrival()
    {
        QFETCH(UsbInfo, info);
        QFETCH(QStringList, listed);
        const ArrivalDecision d = KrelArrival::arrival(info, listed);
        QTEST(d.action, "action");
        QTEST(d.append, "append");
        QTEST(d.select, "select");
        QTEST(lines(d.logs), "log");
    }

    void removal_data()
    {
        QTest::addColumn<UsbInfo>("info");
        QTest::addColumn<QStringList>("listed");
        QTest::addColumn<ArrivalDecision::Action>("action");
        QTest::addColumn<QString>("log");
        QTest::newRow("listed box") << usb("A", "Veltrix KREL HID") << QStringList { "A" } << ArrivalDecision::Removed
                                    << "2|Remove USB: A";
        QTest::newRow("unlisted device") << usb("Z", "Mouse", 1, 2) << QStringList { "A" } << ArrivalDecision::Ignore
                                         << QString();
        QTest::newRow("empty id never matches")
            << usb("", "Veltrix KREL HID") << QStringList { "" } << ArrivalDecision::Ignore << QString();
    }
    void removal()
    {
        QFETCH(UsbInfo, info);
        QFETCH(QStringList, listed);
        const ArrivalDecision d = KrelArrival::removal(info, listed);
        QTEST(d.action, "action");
        QTEST(lines(d.logs), "log");
    }

    void login_data()
    {
        QTest::addColumn<AckList>("acks");
        QTest::addColumn<int>("outcome");
        const QString sec = "Veltrix_Zindrake_SEC:2,pw", ver = "Veltrix_Zindrake_VER", msc = "Veltrix_Zindrake_MSC";
        QTest::newRow("entered") << AckList { { 1, "Veltrix_Zindrake_SEC OK" }, { 1, ver + ":1.2" },
            { 1, msc + " OK" } } << int(LoginOutcome::Entered);
        // A refused SEC is handled even when MSC is never answered.
        QTest::newRow("wrong password") << AckList { { 1, "Veltrix_Zindrake_SEC ok" }, { 1, ver + ":1.2" }, { 0, msc } }
                                        << int(LoginOutcome::Handled);
        QTest::newRow("msc refused") << AckList { { 1, "Veltrix_Zindrake_SEC OK" }, { 1, ver + ":1.2" },
            { 1, msc + " BAD" } } << int(LoginOutcome::Handled);
        QTest::newRow("all timed out") << AckList { { 0, sec }, { 0, ver }, { 0, msc } } << int(LoginOutcome::NoAnswer);
        QTest::newRow("no device") << AckList { { -1, sec }, { -1, ver }, { -1, msc } } << int(LoginOutcome::NoAnswer);
        QTest::newRow("garbage") << AckList { { 1, "\x01zz" }, { 1, "OK" }, { 1, "hello" } }
                                 << int(LoginOutcome::NoAnswer);
        QTest::newRow("msc lost") << AckList { { 1, "Veltrix_Zindrake_SEC OK" }, { 1, ver + ":1.2" }, { 0, msc } }
                                  << int(LoginOutcome::Unconfirmed);
    }
    void login()
    {
        QFETCH(AckList, acks);
        QTEST(int(loginOutcome(acks)), "outcome");
    }

    void firmwareInfo_data()
    {
        QTest::addColumn<QByteArray>("content"); // null: no file
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("name"); // expected path = folder + name, or empty
        QTest::newRow("both members") << QByteArray(R"({"firmware_name":"krel_1.3.0.uf2","version":"1.3.0"})")
                                      << "1.3.0"
                                      << "krel_1.3.0.uf2";
        QTest::newRow("version only") << QByteArray(R"({"version":"1.1"})") << "1.1" << QString();
        QTest::newRow("empty name is no path")
            << QByteArray(R"({"firmware_name":"","version":"1.1"})") << "1.1" << QString();
        QTest::newRow("not JSON") << QByteArray("version=1.3.0") << QString() << QString();
        QTest::newRow("non-string version")
            << QByteArray(R"({"firmware_name":"f.uf2","version":1.3})") << QString() << "f.uf2";
        QTest::newRow("no file") << QByteArray() << QString() << QString();
    }
    void firmwareInfo()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, name);
        QTemporaryDir dir;
        const QString folder = dir.path() + "/mcuimage/";
        QVERIFY(content.isNull() || writeFile(folder + "new.json", content));
        const FirmwareInfo info = readFirmwareInfo(folder);
        QTEST(info.version, "version");
        QCOMPARE(info.path, name.isEmpty() ? QString() : folder + name);
        QCOMPARE(info.logText(), "newVersion:" + info.version + ",firmwarePath:" + info.path);
    }

    // The default folder lies below the application directory, whatever the
    // current directory is (a program started from a menu runs in $HOME or "/").
    void firmwareFolderIsBelowAppDir()
    {
        QTemporaryDir app, elsewhere;
        QVERIFY(writeFile(app.path() + "/mcuimage/new.json", R"({"firmware_name":"fw.uf2","version":"1.2"})"));
        QVERIFY(writeFile(elsewhere.path() + "/mcuimage/new.json", R"({"firmware_name":"cwd.uf2","version":"9.9"})"));
        const QString old = QDir::currentPath();
        AppPaths::setAppDirOverride(app.path());
        QVERIFY(QDir::setCurrent(elsewhere.path()));
        const FirmwareInfo info = readFirmwareInfo();
        QDir::setCurrent(old);
        AppPaths::setAppDirOverride(QString());
        QCOMPARE(info.path, app.path() + "/mcuimage/fw.uf2");
        QCOMPARE(info.version, QString("1.2"));
    }

    void compute_data()
    {
        QTest::addColumn<QList<FieldValue>>("fields");
        QTest::addColumn<QVector<quint32>>("start");
        QTest::addColumn<QString>("text");

        const FieldValue tag { 0, 16, 31, 0xfcf9 };
        QTest::newRow("words 1 and 3 set: count 2")
            << QList<FieldValue> { tag, { 1, 0, 3, 7 }, { 3, 8, 15, 0x20 } } << QVector<quint32>()
            << "0xfcf90002,0x00000007,0x00000000,0x00002000";
        // Five needs three bits: the word keeps what it held.
        QTest::newRow("too wide for one bit")
            << QList<FieldValue> { tag, { 1, 4, 4, 5 } } << QVector<quint32> { 0, 0x11, 0, 0 }
            << "0xfcf90001,0x00000011,0x00000000,0x00000000";
        QTest::newRow("field cleared before it is set")
            << QList<FieldValue> { { 2, 4, 7, 0x3 } } << QVector<quint32> { 0, 0, 0xffffffff, 0 }
            << "0x00000001,0x00000000,0xffffff3f,0x00000000";
        QTest::newRow("index outside the words") << QList<FieldValue> { { 7, 0, 3, 1 } } << QVector<quint32>()
                                                 << "0x00000000,0x00000000,0x00000000,0x00000000";
    }
    void compute()
    {
        QFETCH(QList<FieldValue>, fields);
        QFETCH(QVector<quint32>, start);
        QTEST(FlashWords::toText(FlashWords::compute(start, 4, fields, true)), "text");
    }

    void parseText_data()
    {
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QVector<quint32>>("words");
        QTest::newRow("detected words") << QStringList { "0xfcf90002", "0x00000007", "FFFFFFFF", "0x0" } << true
                                        << QVector<quint32> { 0xfcf90002, 7, 0xffffffff, 0 };
        QTest::newRow("not hex") << QStringList { "0xfcf90002", "0xzz" } << false << QVector<quint32> { 42 };
        QTest::newRow("empty part") << QStringList { "0x1", "" } << false << QVector<quint32> { 42 };
    }
    void parseText()
    {
        QFETCH(QStringList, texts);
        QFETCH(bool, ok);
        QVector<quint32> out { 42 };
        QCOMPARE(FlashWords::parse(texts, out), ok);
        QTEST(out, "words");
        if (ok)
            QCOMPARE(FlashWords::toTextList(out).join(',').toLower(),
                QString("0xfcf90002,0x00000007,0xffffffff,0x00000000"));
    }

    void rebase_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<quint64>("base");
        QTest::addColumn<QString>("result");
        QTest::newRow("to the next flash") << "0x80010000" << quint64(0x90000000) << "0x90010000";
        QTest::newRow("to eMMC keeps the offset") << "0x80010000" << quint64(0) << "0x00010000";
        QTest::newRow("upper case in, lower case out") << "0x8FFFFFFF" << quint64(0x80000000) << "0x8fffffff";
        QTest::newRow("empty stays empty") << "" << quint64(0x80000000) << "";
        QTest::newRow("unfinished typing stays") << "0x" << quint64(0x80000000) << "0x";
    }
    void rebase()
    {
        QFETCH(QString, address);
        QFETCH(quint64, base);
        QTEST(FlashWords::rebaseAddress(address, base), "result");
    }

    void helperArguments()
    {
        QCOMPARE(ImageHelper::arguments("TSL1200", false, true, "/img/a b.bin"),
            QStringList({ "--soc", "TSL1200", "--language", "CN", "--type", "boot_image", "--path", "/img/a b.bin",
                "--station" }));
        QCOMPARE(ImageHelper::arguments("", true, false, "").mid(2, 4),
            QStringList({ "--language", "EN", "--type", "user_data" }));
    }

    void helperLine_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("counts");
        QTest::addColumn<Message::Kind>("kind");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("rest");
        auto row = [](const char* name, const QString& line, bool counts, Message::Kind kind, const QString& text,
                       const QString& rest) { QTest::newRow(name) << line << counts << kind << text << rest; };
        row("file", "MESSAGE#FILE#/tmp/ä b.bin#MESSAGE", true, Message::File, "/tmp/ä b.bin", "");
        row("text around", "  saved MESSAGE#EXIPKEK#00112233#MESSAGE done ", true, Message::ExipKek, "00112233",
            "saved  done");
        row("enable", "MESSAGE#EXIPENABLE#1#MESSAGE", true, Message::ExipEnable, "1", "");
        row("lock", "MESSAGE#EXIPLOCK#0#MESSAGE", true, Message::ExipLock, "0", "");
        row("srk", "MESSAGE#SRKHASH#abcd#MESSAGE", true, Message::SrkHash, "abcd", "");
        row("otp view", "MESSAGE#OpenOTPWriteView#MESSAGE", true, Message::OpenOtpWriteView, "", "");
        row("no closing marker", "MESSAGE#FILE#/tmp/x.bin", false, Message::None, "", "");
        row("markers overlap", "#MESSAGE#", false, Message::None, "", "");
        row("unknown payload", "MESSAGE#HELLO#MESSAGE", true, Message::None, "", "");
    }
    void helperLine()
    {
        QFETCH(QString, line);
        QFETCH(bool, counts);
        Message m;
        QCOMPARE(ImageHelper::parseLine(line, m), counts);
        if (!counts)
            return;
        QTEST(m.kind, "kind");
        QTEST(m.text, "text");
        QTEST(m.rest, "rest");
    }

    void helperLinesCutBetweenReads()
    {
        ImageHelper::LineReader reader;
        QCOMPARE(reader.feed("first\r\nMESSAGE#FILE#/a/very/"), QStringList({ "first" }));
        QCOMPARE(reader.feed("long.bin#MESSAGE\nlast"), QStringList({ "MESSAGE#FILE#/a/very/long.bin#MESSAGE" }));
        QCOMPARE(reader.finish(), QStringList({ "last" }));
        QCOMPARE(reader.finish(), QStringList());
        // A NUL byte the helper prints is a character of its line, not the line's end.
        const QByteArray nul("x\0MESSAGE#FILE#/a.bin#MESSAGE\r\n\0\r\n", 34);
        QCOMPARE(reader.feed(nul), QStringList({ QString::fromLatin1(nul.constData(), 29), QString(QChar(0)) }));
    }
};

QTEST_GUILESS_MAIN(TestKrelCommand)
#include "tst_krelcommand.moc"
