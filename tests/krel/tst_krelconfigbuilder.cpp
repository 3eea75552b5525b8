// The configuration builder: document, destination names, OTP words, every
// validation message, and the enciphered "config.info".
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>

#include "krelcipher.h"
#include "krelconfigbuilder.h"
#include "krelotpinfo.h"
#include "testfiles.h"

// Spoils one field of a valid input; the argument is the test's folder.
using Spoil = std::function<void(KrelConfigInput&, const QString&)>;
Q_DECLARE_METATYPE(Spoil)

class TstKrelConfigBuilder : public QObject
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
    // from 1: the tab's write case); "info" lists them with their addresses as typed.
    void copyListNumbering()
    {
        const QStringList expected { "a_0.bin", "b_1.hex", "config.info" };
        KrelConfigInput in = baseInput();
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
    }

    void flashWordsKeepEmptyParts()
    {
        KrelConfigInput in = baseInput();
        in.flashWordText = QStringLiteral("0xfcf90001,,0x00000002");
        const KrelConfigResult r = KrelConfigBuilder::generate(in, m_out);
        QVERIFY(r.ok);
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

QTEST_GUILESS_MAIN(TstKrelConfigBuilder)
#include "tst_krelconfigbuilder.moc"
