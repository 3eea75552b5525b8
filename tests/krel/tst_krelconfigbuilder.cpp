// The configuration builder: document, destination names, OTP words, every
// validation message, and the enciphered "config.info".
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QtTest>

#include "krelcipher.h"
#include "krelconfigbuilder.h"
#include "krelotpinfo.h"
#include "testfiles.h"

namespace {

QStringList names(const KrelCopyList& list)
{
    QStringList out;
    for (const auto& p : list)
        out.append(p.second);
    return out;
}

} // namespace

class TstKrelConfigBuilder : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void destinationName_data();
    void destinationName();
    void documentAndCipherFile();
    void copyListNumbering_data();
    void copyListNumbering();
    void flashWordsKeepEmptyParts();
    void otpWordsOrdered();
    void otpFailures_data();
    void otpFailures();
    void validationMessages_data();
    void validationMessages();
    void unwritableOutput();
    void regenerationReplacesFile();

private:
    KrelConfigInput baseInput() const;
    QString file(const QString& name, const QByteArray& bytes = "data");
    QString otpFile(const QByteArray& json);

    QScopedPointer<QTemporaryDir> m_dir;
    QString m_out;
};

void TstKrelConfigBuilder::init()
{
    m_dir.reset(new QTemporaryDir);
    QVERIFY(m_dir->isValid());
    m_out = m_dir->filePath(QStringLiteral("out"));
    QVERIFY(QDir().mkpath(m_out));
}

QString TstKrelConfigBuilder::file(const QString& name, const QByteArray& bytes)
{
    const QString path = m_dir->filePath(name);
    QDir().mkpath(QFileInfo(path).absolutePath());
    return writeFile(path, bytes) ? path : QString();
}

QString TstKrelConfigBuilder::otpFile(const QByteArray& json)
{
    return file(QStringLiteral("otp.info"), KrelCipher::encipher(json));
}

KrelConfigInput TstKrelConfigBuilder::baseInput() const
{
    KrelConfigInput in;
    in.socName = QStringLiteral("Model-A");
    in.modeIndex = 1;
    in.baudText = QStringLiteral("115200");
    in.beep = true;
    in.fiveVolt = false;
    in.flashWordText = QStringLiteral("0xfcf90002,0x00000006,0x00000000,0x00000000");
    in.withBootImage = false;
    return in;
}

void TstKrelConfigBuilder::destinationName_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("name");
    QTest::newRow("app.bin") << "/x/app.bin" << 0 << "app_0.bin";
    QTest::newRow("fw.v2.bin") << "/x/fw.v2.bin" << 0 << "fw_0.bin";
    QTest::newRow("no suffix") << "/x/fw" << 0 << "fw_0";
    QTest::newRow("dotted folder") << "/x.y/fw" << 3 << "fw_3";
}

void TstKrelConfigBuilder::destinationName()
{
    QFETCH(QString, source);
    QFETCH(int, number);
    QFETCH(QString, name);
    QCOMPARE(KrelConfigBuilder::destinationName(source, number), name);
}

void TstKrelConfigBuilder::documentAndCipherFile()
{
    KrelConfigInput in = baseInput();
    in.withBootImage = true;
    in.imagePath = file(QStringLiteral("img/app.bin"));
    in.programAddress = QStringLiteral("0x80000400");
    const KrelConfigResult r = KrelConfigBuilder::generate(in, m_out);
    QVERIFY(r.ok);

    const QByteArray expected
        = R"({"5v_config":"off","beep_config":"on","flash_option":["0xfcf90002","0x00000006","0x00000000","0x00000000"],)"
          R"("info":[{"address":"0x80000400","filename":"app_0.bin"}],"mcu":"Model-A","name":"flash download config",)"
          R"("trigger_source":"auto","uart_config":"115200"})";
    QCOMPARE(r.json, expected);

    const QString configPath = QDir(m_out).absoluteFilePath(QStringLiteral("config.info"));
    QCOMPARE(r.configPath, configPath);
    const QByteArray bytes = readFile(configPath);
    QCOMPARE(bytes, r.cipherText);
    QCOMPARE(bytes.size() % 16, 0);
    QCOMPARE(KrelCipher::decipher(bytes), expected);

    QCOMPARE(r.copyList.size(), 2);
    QCOMPARE(r.copyList.last(), qMakePair(configPath, QStringLiteral("config.info")));
    QCOMPARE(r.copyList.first(), qMakePair(in.imagePath, QStringLiteral("app_0.bin")));
    QCOMPARE(r.logs.last(), (KrelLogLine { QStringLiteral("generate Krel config success!"), LogInfo }));
}

void TstKrelConfigBuilder::copyListNumbering_data()
{
    QTest::addColumn<bool>("withBootImage");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("with main image") << true << QStringList { "app_0.bin", "a_1.bin", "b_2.hex", "config.info" };
    QTest::newRow("without main image") << false << QStringList { "a_0.bin", "b_1.hex", "config.info" };
}

void TstKrelConfigBuilder::copyListNumbering()
{
    QFETCH(bool, withBootImage);
    QFETCH(QStringList, expected);
    KrelConfigInput in = baseInput();
    in.withBootImage = withBootImage;
    in.imagePath = file(QStringLiteral("app.bin"));
    in.programAddress = QStringLiteral("0x80000000");
    in.additionalFiles = { { QStringLiteral("0x80100000"), file(QStringLiteral("a.bin")) },
        { QStringLiteral("0x90000000"), file(QStringLiteral("b.hex")) } };
    const KrelConfigResult r = KrelConfigBuilder::generate(in, m_out);
    QVERIFY(r.ok);
    QCOMPARE(names(r.copyList), expected);

    // "info" lists the images in copy order with their addresses as typed.
    const QJsonArray info = r.document.value(QStringLiteral("info")).toArray();
    QCOMPARE(info.size(), expected.size() - 1);
    for (int i = 0; i < info.size(); ++i)
        QCOMPARE(info.at(i).toObject().value(QStringLiteral("filename")).toString(), expected.at(i));
    QCOMPARE(info.last().toObject().value(QStringLiteral("address")).toString(), QStringLiteral("0x90000000"));
    QVERIFY(!r.document.contains(QStringLiteral("otp_info")));
}

void TstKrelConfigBuilder::flashWordsKeepEmptyParts()
{
    KrelConfigInput in = baseInput();
    in.flashWordText = QStringLiteral("0xfcf90001,,0x00000002");
    const KrelConfigResult r = KrelConfigBuilder::generate(in, m_out);
    QVERIFY(r.ok);
    QCOMPARE(r.document.value(QStringLiteral("flash_option")).toArray().toVariantList(),
        QVariantList({ "0xfcf90001", "", "0x00000002" }));
}

void TstKrelConfigBuilder::otpWordsOrdered()
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

void TstKrelConfigBuilder::otpFailures_data()
{
    QTest::addColumn<QByteArray>("fileBytes"); // enciphered unless "raw:" prefixed
    QTest::addColumn<QString>("reason"); // the loader's line before "OTP info Parse fail!"
    QTest::newRow("not JSON") << QByteArray("{info") << "Parse OTP info failed! Error: ";
    QTest::newRow("no info") << QByteArray(R"({"words":[]})") << "Can not find OTP info";
    QTest::newRow("value missing at 1") << QByteArray(R"({"info":[{"address":"0x0","value":"0x1"},{"address":"0x4"}]})")
                                        << "Parse OTP info value error! Index: 1";
    QTest::newRow("address not hex") << QByteArray(R"({"info":[{"address":"0xZZ","value":"0x1"}]})")
                                     << "Parse OTP info error! Index: 0";
    QTest::newRow("value too wide") << QByteArray(R"({"info":[{"address":"0x0","value":"0x100000000"}]})")
                                    << "Parse OTP info error! Index: 0";
    QTest::newRow("number value") << QByteArray(R"({"info":[{"address":"0x0","value":16}]})")
                                  << "Parse OTP info error! Index: 0";
    QTest::newRow("not enciphered") << QByteArray("raw:plain text of 20 b") << "Parse OTP info failed! Error: ";
    QTest::newRow("larger than 1 MiB") << QByteArray("raw:") + QByteArray((1 << 20) + 1, 'x')
                                       << "OTP file is too large: 1048577 bytes, at most 1048576.";
}

void TstKrelConfigBuilder::otpFailures()
{
    QFETCH(QByteArray, fileBytes);
    QFETCH(QString, reason);
    KrelConfigInput in = baseInput();
    in.otpEnabled = true;
    in.otpPath = fileBytes.startsWith("raw:") ? file(QStringLiteral("otp.info"), fileBytes.mid(4)) : otpFile(fileBytes);
    const KrelConfigResult r = KrelConfigBuilder::generate(in, m_out);
    QVERIFY(!r.ok);
    QVERIFY(r.logs.size() >= 2);
    QCOMPARE(r.logs.last(), (KrelLogLine { QStringLiteral("OTP info Parse fail!"), LogError }));
    QVERIFY2(r.logs.at(r.logs.size() - 2).text.startsWith(reason), qPrintable(r.logs.at(r.logs.size() - 2).text));
    QVERIFY(!QFile::exists(QDir(m_out).filePath(QStringLiteral("config.info"))));
}

void TstKrelConfigBuilder::validationMessages_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("message");
    QTest::newRow("mcu") << "mcu"
                         << "mcu is empty!";
    QTest::newRow("mode 3") << "mode3"
                            << "mode is error!";
    QTest::newRow("mode -1") << "mode-1"
                             << "mode is error!";
    QTest::newRow("baud") << "baud"
                          << "uart baudrate is empty!";
    QTest::newRow("flash words") << "flash"
                                 << "Flash Words is empty!";
    QTest::newRow("otp file missing") << "otpMissing"
                                      << "OTP info Parse fail!";
    QTest::newRow("image missing") << "image"
                                   << "Image File not found! Path: %1/nothere.bin";
    QTest::newRow("image is a folder") << "imageFolder"
                                       << "Image File not found! Path: %1";
    QTest::newRow("image address") << "address"
                                   << "Image File Base Address is empty! ";
    QTest::newRow("custom address") << "customAddress"
                                    << "Custom File Program Address is empty!, the index:1";
    QTest::newRow("custom file") << "customFile"
                                 << "Custom File not found! Path: %1/gone.bin";
    QTest::newRow("empty image") << "emptyImage"
                                 << "Image File is empty! Path: %1/empty.bin";
    QTest::newRow("bare 0x address") << "bareAddress"
                                     << "Image File Base Address is invalid! Address: 0x";
    QTest::newRow("custom address wider than 32 bits")
        << "wideCustom"
        << "Custom File Program Address is invalid!, the index:0, address: 0x800000000";
}

void TstKrelConfigBuilder::validationMessages()
{
    QFETCH(QString, field);
    QFETCH(QString, message);
    KrelConfigInput in = baseInput();
    in.withBootImage = true;
    in.imagePath = file(QStringLiteral("app.bin"));
    in.programAddress = QStringLiteral("0x80000000");
    in.additionalFiles = { { QStringLiteral("0x80100000"), file(QStringLiteral("a.bin")) },
        { QStringLiteral("0x80200000"), file(QStringLiteral("b.bin")) } };

    if (field == "mcu")
        in.socName.clear();
    else if (field == "mode3")
        in.modeIndex = 3;
    else if (field == "mode-1")
        in.modeIndex = -1;
    else if (field == "baud")
        in.baudText.clear();
    else if (field == "flash")
        in.flashWordText.clear();
    else if (field == "otpMissing") {
        in.otpEnabled = true;
        in.otpPath = m_dir->filePath(QStringLiteral("none.info"));
    } else if (field == "image")
        in.imagePath = m_dir->filePath(QStringLiteral("nothere.bin"));
    else if (field == "imageFolder")
        in.imagePath = m_dir->path();
    else if (field == "address")
        in.programAddress.clear();
    else if (field == "customAddress")
        in.additionalFiles[1].first.clear();
    else if (field == "customFile")
        in.additionalFiles[1].second = m_dir->filePath(QStringLiteral("gone.bin"));
    else if (field == "emptyImage") {
        in.imagePath = m_dir->filePath(QStringLiteral("empty.bin"));
        QVERIFY(writeFile(in.imagePath, QByteArray()));
    } else if (field == "bareAddress")
        in.programAddress = QStringLiteral("0x");
    else if (field == "wideCustom")
        in.additionalFiles[0].first = QStringLiteral("0x800000000");

    const KrelConfigResult r = KrelConfigBuilder::generate(in, m_out);
    QVERIFY(!r.ok);
    QCOMPARE(r.logs.last().text, message.arg(m_dir->path()));
    QCOMPARE(r.logs.last().level, LogError);
    QVERIFY(r.copyList.isEmpty());
    QVERIFY(!QFile::exists(QDir(m_out).filePath(QStringLiteral("config.info"))));
}

void TstKrelConfigBuilder::unwritableOutput()
{
    const KrelConfigResult r = KrelConfigBuilder::generate(baseInput(), m_dir->filePath(QStringLiteral("no/such/dir")));
    QVERIFY(!r.ok);
    QCOMPARE(r.logs.last(), (KrelLogLine { QStringLiteral("Open file failed! path: config.info"), LogError }));
    QVERIFY(r.copyList.isEmpty());
}

void TstKrelConfigBuilder::regenerationReplacesFile()
{
    const QString configPath = QDir(m_out).filePath(QStringLiteral("config.info"));
    QVERIFY(writeFile(configPath, QByteArray(1000, 'x')));
    KrelConfigInput in = baseInput();
    KrelConfigResult r = KrelConfigBuilder::generate(in, m_out);
    QVERIFY(r.ok);
    QCOMPARE(KrelCipher::decipher(readFile(configPath)), r.json);
    in.modeIndex = 2;
    r = KrelConfigBuilder::generate(in, m_out);
    QVERIFY(r.ok);
    QCOMPARE(KrelCipher::decipher(readFile(configPath)), r.json);
    QVERIFY(r.json.contains(R"("trigger_source":"machine")"));
}

QTEST_GUILESS_MAIN(TstKrelConfigBuilder)
#include "tst_krelconfigbuilder.moc"
