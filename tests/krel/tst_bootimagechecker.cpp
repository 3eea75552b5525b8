// Boot image inspection on generated image files (which structures are found
// where, the program address, the flash words and the log lines), then the
// configuration builder: document, destination names, OTP words, every
// validation message, and the enciphered "config.info".
#include <QBuffer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>

#include "bootimagechecker.h"
#include "krelcipher.h"
#include "krelconfigbuilder.h"
#include "krelotpinfo.h"
#include "testfiles.h"

namespace {

struct Word
{
    quint32 offset;
    quint32 value;
};

QByteArray image(int size, const QList<Word>& words)
{
    QByteArray b(size, '\xEE');
    for (const Word& w : words)
        for (int i = 0; i < 4 && int(w.offset) + i < size; ++i)
            b[int(w.offset) + i] = char((w.value >> (8 * i)) & 0xFF);
    return b;
}

MemoryItemInfo flashMemory(const QString& address = QStringLiteral("0x80000000"))
{
    MemoryItemInfo m;
    m.kind = EMemoryKindFlash;
    m.name = QStringLiteral("XPI0 NOR");
    m.value = QStringLiteral("0x10000");
    m.address = address;
    return m;
}

QString opt(const std::optional<quint32>& v)
{
    return v ? QStringLiteral("0x%1").arg(*v, 0, 16) : QStringLiteral("none");
}

const quint32 BootTag = 0x000010BF; // b0 = 0xBF, b1 = 0x10
const QString ReadError = QStringLiteral("Read address length error! Address offset: 00000400");

// A device whose seeks fail from 0x400 on, as a file on a failing disk may.
class FailingSeek : public QBuffer
{
public:
    bool seek(qint64 pos) override { return pos < 0x400 && QBuffer::seek(pos); }
};

} // namespace

// Spoils one field of a valid input; the argument is the test's folder.
using Spoil = std::function<void(KrelConfigInput&, const QString&)>;
Q_DECLARE_METATYPE(Spoil)

class TstBootImageChecker : public QObject
{
    Q_OBJECT
    QScopedPointer<QTemporaryDir> m_dir;
    QString m_out;

    QString file(const QString& name, const QByteArray& bytes = "data")
    {
        const QString path = m_dir->filePath(name);
        return writeFile(path, bytes) ? path : QString();
    }
    QString otpFile(const QByteArray& json) { return file(QStringLiteral("otp.info"), KrelCipher::encipher(json)); }
    static KrelConfigInput baseInput()
    {
        KrelConfigInput in;
        in.socName = QStringLiteral("Model-A");
        in.modeIndex = 1;
        in.baudText = QStringLiteral("115200");
        in.beep = true;
        in.flashWordText = QStringLiteral("0xfcf90002,0x00000006,0x00000000,0x00000000");
        in.withBootImage = false;
        return in;
    }
    QString configPath() const { return QDir(m_out).absoluteFilePath(QStringLiteral("config.info")); }

private slots:
    void init()
    {
        m_dir.reset(new QTemporaryDir);
        QVERIFY(m_dir->isValid());
        m_out = m_dir->filePath(QStringLiteral("out"));
        QVERIFY(QDir().mkpath(m_out));
    }

    void detections_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("base"); // the flash memory's address
        QTest::addColumn<QString>("flashConfig");
        QTest::addColumn<QString>("bootHeader");
        QTest::addColumn<QString>("words"); // of the last block read whole
        QTest::addColumn<bool>("result");
        QTest::addColumn<QString>("address"); // "unchanged" when the field is left alone
        QTest::addColumn<int>("summaryLevel");
        QTest::addColumn<QString>("summary");

        const QString base = QStringLiteral("0x80000000");
        const QString found = QStringLiteral("Check boot image finished!  Flash config address: 0x%1. Boot Header "
                                             "address: 0x%2");
        const QString noConfig = QStringLiteral("Check boot image finished!  Boot Header address: 0x%1. Flash config "
                                                "can not be located!");
        auto row = [](const char* name, const QByteArray& bytes, const QString& base, const QString& config,
                       const QString& header, const QString& words, bool result, const QString& address, int level,
                       const QString& summary) {
            QTest::newRow(name) << bytes << base << config << header << words << result << address << level << summary;
        };
        const QString words = QStringLiteral("0xfcf9000%1,0x000000%2,0x000000%3,0x00000000");
        row("config at 0, header at 0xC00",
            image(0x2000, { { 0, 0xFCF90002 }, { 4, 0x11 }, { 8, 0x22 }, { 0xC00, BootTag } }), base, "0x0", "0xc00",
            words.arg(2).arg(11).arg(22), true, "0x80000400", LogInfo, found.arg("00000000", "00000c00"));
        row("boot header only at 0", image(0x800, { { 0, BootTag } }), base, "none", "0x0", "", true, "0x80001000",
            LogWarning, noConfig.arg("00000000"));
        // The sum does not wrap at 32 bits (the base is read by the shared hexadecimal parser).
        row("sum past 32 bits", image(0x800, { { 0, BootTag } }), "0xFFFFF800", "none", "0x0", "", true, "0x100000800",
            LogWarning, noConfig.arg("00000000"));
        // 0xFCF9 at 0x800 is no flash configuration block; the boot tag test applies instead.
        row("0xFCF9 tag at 0x800 with boot tag", image(0x1000, { { 0x800, 0xFCF910BF } }), base, "none", "0x800", "",
            true, "0x80000000", LogWarning, noConfig.arg("00000800"));
        row("0xFCF9 tag at 0x800 only", image(0x1000, { { 0x800, 0xFCF90002 } }), base, "none", "none", "", false, "",
            LogError, "Check boot image finished!  Boot Header address and flash config can not be located!");
        row("config without header", image(0x2000, { { 0, 0xFCF90000 } }), base, "0x0", "none",
            words.arg(0).arg("00").arg("00"), false, "unchanged", LogError,
            "Check boot image finished!  Flash config address: 0x00000000. Boot Header can not be located!");
        // 0x1000 lies at the end of the file and is skipped, not a read error.
        row("file of 0x1000 bytes", image(0x1000, { { 0x400, 0xFCF90000 }, { 0xC00, BootTag } }), base, "0x400",
            "0xc00", words.arg(0).arg("00").arg("00"), true, "0x80000000", LogInfo, found.arg("00000400", "00000c00"));
        row("later block overrides the earlier",
            image(0x2000, { { 0, 0xFCF90001 }, { 4, 1 }, { 0x400, 0xFCF90001 }, { 0x404, 2 }, { 0x1000, BootTag } }),
            base, "0x400", "0x1000", words.arg(1).arg("02").arg("00"), true, "0x80000000", LogInfo,
            found.arg("00000400", "00001000"));
        row("read error at 0x400", image(0x402, { { 0, BootTag } }), base, "none", "0x0", "", false, "unchanged",
            LogDebug, ReadError);
        // The header announces three option words; only one fits in the file: no words taken.
        row("option words cut off", image(0x408, { { 0x400, 0xFCF90003 }, { 0x404, 1 } }), base, "0x400", "none", "",
            false, "unchanged", LogDebug, ReadError);
    }
    void detections()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, base);
        const QString path = m_dir->filePath(QStringLiteral("img.bin"));
        QVERIFY(writeFile(path, bytes));
        const BootImageReport r = BootImageChecker::check(path, flashMemory(base), true);
        QTEST(opt(r.flashConfigOffset), "flashConfig");
        QTEST(opt(r.bootHeaderOffset), "bootHeader");
        QTEST(r.flashWords.join(','), "words");
        QTEST(r.result, "result");
        QTEST(r.programAddress ? *r.programAddress : QStringLiteral("unchanged"), "address");
        QTEST(r.logs.last().text, "summary");
        QTEST(int(r.logs.last().level), "summaryLevel");
        QCOMPARE(r.logs.first(), (KrelLogLine { "Check boot image whether it is valid: " + path, LogDebug }));
    }

    void fullLogOfConfigAndHeader()
    {
        const QString path = m_dir->filePath(QStringLiteral("both.bin"));
        QVERIFY(writeFile(path, image(0x2000, { { 0, 0xFCF90002 }, { 4, 0xA1B2C3D4 }, { 8, 7 }, { 0xC00, BootTag } })));
        const KrelLogLines expected {
            { "Check boot image whether it is valid: " + path, LogDebug },
            { "Has detected XIP Flash configuration! address: 0x00000000 word number: 2", LogInfo },
            { "Detect flash configuration: 0xfcf90002,0xa1b2c3d4,0x00000007,0x00000000. The configuration will be "
              "replaced by this!",
                LogInfo },
            { "Has detected Boot Header! address: 0x00000c00", LogInfo },
            { "Check boot image finished!  Flash config address: 0x00000000. Boot Header address: 0x00000c00",
                LogInfo },
        };
        QCOMPARE(BootImageChecker::check(path, flashMemory(), true).logs, expected);
    }

    void optionWordCount_data()
    {
        QTest::addColumn<quint32>("header");
        QTest::addColumn<int>("count");
        QTest::newRow("0002") << quint32(0xFCF90002) << 2;
        // "0x" + "1" + "0" reads as 0x10, capped at 3.
        QTest::newRow("0100") << quint32(0xFCF90100) << 3;
        // "0x" + "0" + "16" reads as 0x016.
        QTest::newRow("0010") << quint32(0xFCF90010) << 3;
    }
    void optionWordCount()
    {
        QFETCH(quint32, header);
        QTEST(BootImageChecker::optionWordCount(header), "count");
    }

    void seekErrorEndsTheCheck()
    {
        FailingSeek device;
        device.setData(image(0x2000, { { 0, BootTag }, { 0xC00, BootTag } }));
        QVERIFY(device.open(QIODevice::ReadOnly));
        BootImageReport r;
        BootImageChecker::inspect(device, flashMemory(), true, r);
        QCOMPARE(r.result, false);
        QVERIFY(!r.programAddress);
        QCOMPARE(opt(r.bootHeaderOffset), QStringLiteral("0x0"));
        QCOMPARE(r.logs.last(), (KrelLogLine { QStringLiteral("Seek file error! Error: -1"), LogDebug }));
    }

    // No address for eMMC, nor when the caller does not ask for one.
    void addressOnlyForFlashWithUpdate()
    {
        const QString path = m_dir->filePath(QStringLiteral("hdr.bin"));
        QVERIFY(writeFile(path, image(0x800, { { 0, BootTag } })));
        MemoryItemInfo emmc;
        emmc.kind = EMemoryKindEmmc;
        emmc.sectorIndex = QStringLiteral("0");
        for (const BootImageReport& r :
            { BootImageChecker::check(path, emmc, true), BootImageChecker::check(path, flashMemory(), false) }) {
            QVERIFY(r.result);
            QVERIFY(!r.programAddress);
        }
    }

    void emptyAndMissingPath()
    {
        BootImageReport r = BootImageChecker::check(QString(), flashMemory(), true);
        QVERIFY(!r.result && !r.programAddress && r.logs.isEmpty());
        const QString missing = m_dir->filePath(QStringLiteral("missing.bin"));
        r = BootImageChecker::check(missing, flashMemory(), true);
        QVERIFY(!r.result && !r.programAddress);
        QCOMPARE(r.logs.last(), (KrelLogLine { "Open file failed: " + missing, LogDebug }));
    }
    void destinationName_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("name");
        QTest::newRow("fw.v2.bin") << "/x/fw.v2.bin" << 0 << "fw_0.bin";
        QTest::newRow("no suffix") << "/x/fw" << 0 << "fw_0";
        QTest::newRow("dotted folder") << "/x.y/fw" << 3 << "fw_3";
    }
    void destinationName()
    {
        QFETCH(QString, source);
        QFETCH(int, number);
        QTEST(KrelConfigBuilder::destinationName(source, number), "name");
    }

    // A longer "config.info" of an earlier run is replaced whole, not overwritten in place.
    void documentAndCipherFile()
    {
        QVERIFY(writeFile(configPath(), QByteArray(1000, 'x')));
        KrelConfigInput in = baseInput();
        in.withBootImage = true;
        in.imagePath = file(QStringLiteral("app.bin"));
        in.programAddress = QStringLiteral("0x80000400");
        const KrelConfigResult r = KrelConfigBuilder::generate(in, m_out);
        QVERIFY(r.ok);

        const QByteArray expected
            = R"({"5v_config":"off","beep_config":"on","flash_option":["0xfcf90002","0x00000006","0x00000000","0x00000000"],)"
              R"("info":[{"address":"0x80000400","filename":"app_0.bin"}],"mcu":"Model-A","name":"flash download config",)"
              R"("trigger_source":"auto","uart_config":"115200"})";
        QCOMPARE(r.json, expected);
        QCOMPARE(r.configPath, configPath());
        const QByteArray bytes = readFile(configPath());
        QCOMPARE(bytes, r.cipherText);
        QCOMPARE(bytes.size() % 16, 0);
        QCOMPARE(KrelCipher::decipher(bytes), expected);
        QCOMPARE(r.copyList, KrelCopyList({ { in.imagePath, "app_0.bin" }, { configPath(), "config.info" } }));
        QCOMPARE(r.logs.last(), (KrelLogLine { QStringLiteral("generate Krel config success!"), LogInfo }));
    }

    // Without the main image the additional files are numbered from 0 (after it,
    // from 1: the tab's write case); "info" lists them with their addresses as
    // typed; empty flash word parts are kept.
    void copyListNumbering()
    {
        const QStringList expected { "a_0.bin", "b_1.hex", "config.info" };
        KrelConfigInput in = baseInput();
        in.flashWordText = QStringLiteral("0xfcf90001,,0x00000002");
        in.imagePath = file(QStringLiteral("app.bin"));
        in.programAddress = QStringLiteral("0x80000000");
        in.additionalFiles = { { QStringLiteral("0x80100000"), file(QStringLiteral("a.bin")) },
            { QStringLiteral("0x90000000"), file(QStringLiteral("b.hex")) } };
        const KrelConfigResult r = KrelConfigBuilder::generate(in, m_out);
        QVERIFY(r.ok);
        QStringList names;
        for (const auto& p : r.copyList)
            names << p.second;
        QCOMPARE(names, expected);

        const QJsonArray info = r.document.value(QStringLiteral("info")).toArray();
        QCOMPARE(info.size(), expected.size() - 1);
        for (int i = 0; i < info.size(); ++i)
            QCOMPARE(info.at(i).toObject().value(QStringLiteral("filename")).toString(), expected.at(i));
        QCOMPARE(info.last().toObject().value(QStringLiteral("address")).toString(), QStringLiteral("0x90000000"));
        QVERIFY(!r.document.contains(QStringLiteral("otp_info")));
        QCOMPARE(r.document.value(QStringLiteral("flash_option")).toArray().toVariantList(),
            QVariantList({ "0xfcf90001", "", "0x00000002" }));
    }

    void otpWordsOrdered()
    {
        KrelConfigInput in = baseInput();
        in.otpEnabled = true;
        // With or without "0x", white space around allowed: the tool's one hexadecimal rule.
        in.otpPath = otpFile(R"({"info":[{"address":"0x0","value":"0x1"},{"address":"0x10","value":"ABCDEF"},)"
                             R"({"address":"8","value":" 0x3 "},{"address":"0x10","value":"0xFFFFFFFF"}]})");
        const KrelConfigResult r = KrelConfigBuilder::generate(in, m_out);
        QVERIFY(r.ok);
        const QByteArray otp
            = QJsonDocument(r.document.value(QStringLiteral("otp_info")).toArray()).toJson(QJsonDocument::Compact);
        QCOMPARE(otp,
            QByteArray(R"([{"address":"0x00000008","value":"0x00000003"},)"
                       R"({"address":"0x00000010","value":"0xffffffff"},)"
                       R"({"address":"0x00000000","value":"0x00000001"}])"));
        QCOMPARE(r.otpWords.size(), 3);
    }

    void otpFailures_data()
    {
        QTest::addColumn<QByteArray>("fileBytes"); // enciphered unless "raw:" prefixed
        QTest::addColumn<QString>("reason"); // the loader's line before "OTP info Parse fail!"
        QTest::newRow("not JSON") << QByteArray("{info") << "Parse OTP info failed! Error: ";
        QTest::newRow("no info") << QByteArray(R"({"words":[]})") << "Can not find OTP info";
        QTest::newRow("value missing at 1")
            << QByteArray(R"({"info":[{"address":"0x0","value":"0x1"},{"address":"0x4"}]})")
            << "Parse OTP info value error! Index: 1";
        QTest::newRow("address not hex") << QByteArray(R"({"info":[{"address":"0xZZ","value":"0x1"}]})")
                                         << "Parse OTP info error! Index: 0";
        QTest::newRow("number value") << QByteArray(R"({"info":[{"address":"0x0","value":16}]})")
                                      << "Parse OTP info error! Index: 0";
        QTest::newRow("not enciphered") << QByteArray("raw:plain text of 20 b") << "Parse OTP info failed! Error: ";
        QTest::newRow("larger than 1 MiB") << QByteArray("raw:") + QByteArray((1 << 20) + 1, 'x')
                                           << "OTP file is too large: 1048577 bytes, at most 1048576.";
    }
    void otpFailures()
    {
        QFETCH(QByteArray, fileBytes);
        QFETCH(QString, reason);
        KrelConfigInput in = baseInput();
        in.otpEnabled = true;
        in.otpPath
            = fileBytes.startsWith("raw:") ? file(QStringLiteral("otp.info"), fileBytes.mid(4)) : otpFile(fileBytes);
        const KrelConfigResult r = KrelConfigBuilder::generate(in, m_out);
        QVERIFY(!r.ok);
        QVERIFY(r.logs.size() >= 2);
        QCOMPARE(r.logs.last(), (KrelLogLine { QStringLiteral("OTP info Parse fail!"), LogError }));
        QVERIFY2(r.logs.at(r.logs.size() - 2).text.startsWith(reason), qPrintable(r.logs.at(r.logs.size() - 2).text));
        QVERIFY(!QFile::exists(configPath()));
    }

    void validationMessages_data()
    {
        QTest::addColumn<Spoil>("spoil");
        QTest::addColumn<QString>("message"); // %1: the test's folder
        using In = KrelConfigInput;
        using Dir = const QString&;
        QTest::newRow("mcu") << Spoil([](In& in, Dir) { in.socName.clear(); }) << "mcu is empty!";
        QTest::newRow("mode 3") << Spoil([](In& in, Dir) { in.modeIndex = 3; }) << "mode is error!";
        QTest::newRow("mode -1") << Spoil([](In& in, Dir) { in.modeIndex = -1; }) << "mode is error!";
        QTest::newRow("baud") << Spoil([](In& in, Dir) { in.baudText.clear(); }) << "uart baudrate is empty!";
        QTest::newRow("flash words") << Spoil([](In& in, Dir) { in.flashWordText.clear(); }) << "Flash Words is empty!";
        QTest::newRow("otp file missing")
            << Spoil([](In& in, Dir d) { in.otpEnabled = true, in.otpPath = d + "/no.info"; })
            << "OTP info Parse fail!";
        QTest::newRow("image missing") << Spoil([](In& in, Dir d) { in.imagePath = d + "/nothere.bin"; })
                                       << "Image File not found! Path: %1/nothere.bin";
        QTest::newRow("image is a folder")
            << Spoil([](In& in, Dir d) { in.imagePath = d; }) << "Image File not found! Path: %1";
        QTest::newRow("image address") << Spoil([](In& in, Dir) { in.programAddress.clear(); })
                                       << "Image File Base Address is empty! ";
        QTest::newRow("custom address") << Spoil([](In& in, Dir) { in.additionalFiles[1].first.clear(); })
                                        << "Custom File Program Address is empty!, the index:1";
        QTest::newRow("custom file") << Spoil([](In& in, Dir d) { in.additionalFiles[1].second = d + "/gone.bin"; })
                                     << "Custom File not found! Path: %1/gone.bin";
        QTest::newRow("empty image") << Spoil([](In& in, Dir d) { writeFile(in.imagePath = d + "/empty.bin", {}); })
                                     << "Image File is empty! Path: %1/empty.bin";
        QTest::newRow("bare 0x address") << Spoil([](In& in, Dir) { in.programAddress = "0x"; })
                                         << "Image File Base Address is invalid! Address: 0x";
        QTest::newRow("custom address wider than 32 bits")
            << Spoil([](In& in, Dir) { in.additionalFiles[0].first = "0x800000000"; })
            << "Custom File Program Address is invalid!, the index:0, address: 0x800000000";
    }
    void validationMessages()
    {
        QFETCH(Spoil, spoil);
        QFETCH(QString, message);
        KrelConfigInput in = baseInput();
        in.withBootImage = true;
        in.imagePath = file(QStringLiteral("app.bin"));
        in.programAddress = QStringLiteral("0x80000000");
        in.additionalFiles = { { QStringLiteral("0x80100000"), file(QStringLiteral("a.bin")) },
            { QStringLiteral("0x80200000"), file(QStringLiteral("b.bin")) } };
        spoil(in, m_dir->path());
        const KrelConfigResult r = KrelConfigBuilder::generate(in, m_out);
        QVERIFY(!r.ok);
        QCOMPARE(r.logs.last(), (KrelLogLine { message.arg(m_dir->path()), LogError }));
        QVERIFY(r.copyList.isEmpty());
        QVERIFY(!QFile::exists(configPath()));
    }

    void unwritableOutput()
    {
        const KrelConfigResult r = KrelConfigBuilder::generate(baseInput(), m_dir->filePath(QStringLiteral("no/such")));
        QVERIFY(!r.ok);
        QCOMPARE(r.logs.last(), (KrelLogLine { QStringLiteral("Open file failed! path: config.info"), LogError }));
        QVERIFY(r.copyList.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TstBootImageChecker)
#include "tst_bootimagechecker.moc"
