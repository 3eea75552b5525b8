// The OTP word files over bytes: CSV import with its line rules, export and
// template, and the Krel OTP ".info" file both ways, refused files included.
#include "krelcipher.h"
#include "otpfiles.h"

#include <QtTest>

using OtpFiles::ImportResult;

namespace {

const QString Path = QStringLiteral("/tmp/words.csv");

QString logText(const ImportResult& r)
{
    QStringList out;
    for (const OtpLogLine& l : r.logs)
        out << QString::number(int(l.level)) + ":" + l.text;
    return out.join('|');
}

} // namespace

class TestOtpFiles : public QObject
{
    Q_OBJECT

private slots:
    void csvImport_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("runs"); // "index=value ..." in key order
        QTest::addColumn<QString>("logs");
        const QString header = "3:File format is error! The first line must be word,value, and each line only has "
                               "'word' and 'value' two values.";
        QTest::newRow("later line wins") << QByteArray("word,value\n3,0x1\n3,0x2\n") << true << "3=2"
                                         << "";
        QTest::newRow("zero passed") << QByteArray("word,value\n5,0\n6,ff\n") << true << "6=255"
                                     << "2:Import configuration value is 0 and will be passed. Line: 1";
        QTest::newRow("index past the OTP")
            << QByteArray("word,value\n3,0x1\n200,0x1\n") << false << ""
            << "3:Import configuration index exceed range. Line: 2|3:" + Path + " import failed!";
        QTest::newRow("capital header") << QByteArray("Word,Value\n3,0x1\n") << false << "" << header;
        QTest::newRow("blanks in header, CRLF, BOM")
            << QByteArray("\xEF\xBB\xBF word , value \r\n3, 0x1\r\n\r\n") << true << "3=1"
            << "";
        QTest::newRow("three columns") << QByteArray("word,value,x\n") << false << "" << header;
        QTest::newRow("skips") << QByteArray("word,value\n\n1\n1,2,3\nx,0x1\n4,\n4, \n7,0x7") << true << "7=7"
                               << "2:Import configuration format error! Line: 2|"
                                  "2:Import configuration format error! Line: 3|"
                                  "2:Import configuration index parses error and will be passed. Line: 4|"
                                  "2:Import configuration value is empty and will be passed. Line: 5|"
                                  "2:Import configuration value is empty and will be passed. Line: 6";
        QTest::newRow("negative index") << QByteArray("word,value\n-1,0x1\n") << true << ""
                                        << "2:Import configuration index parses error and will be passed. Line: 1";
        QTest::newRow("bad value") << QByteArray("word,value\n1,0x1\n2,0x1FFFFFFFF\n") << false << ""
                                   << "3:Import configuration value parses error! Line: 2|3:" + Path
                + " import failed!";
        QTest::newRow("empty") << QByteArray() << false << ""
                               << "3:File content is empty! Path: " + Path;
        QTest::newRow("binary") << QByteArray("\x00\xff\xfe,\x80\n\x01", 7) << false << "" << header;
    }
    void csvImport()
    {
        QFETCH(QByteArray, file);
        QFETCH(bool, ok);
        QFETCH(QString, runs);
        QFETCH(QString, logs);
        const ImportResult r = OtpFiles::importCsv(file, 128, Path);
        QCOMPARE(r.ok, ok);
        QCOMPARE(logText(r), logs);
        QStringList seen;
        for (auto it = r.runs.cbegin(); it != r.runs.cend(); ++it) {
            QCOMPARE(it.value().size(), 1);
            seen << QString::number(it.key()) + "=" + QString::number(it.value().first());
        }
        QCOMPARE(seen.join(' '), runs);
    }

    void hugeCsvWarnsInBrief()
    {
        QByteArray file = "word,value\n";
        file.reserve(5 * 1000000 + 16);
        for (int i = 0; i < 1000000; ++i)
            file += "5,0\n";
        const ImportResult r = OtpFiles::importCsv(file, 128, Path);
        QVERIFY(r.ok);
        QVERIFY(r.runs.isEmpty());
        QCOMPARE(r.logs.size(), OtpFiles::MaxSkipWarnings + 1);
        QCOMPARE(
            r.logs.last().text, QStringLiteral("%1 more lines were passed.").arg(1000000 - OtpFiles::MaxSkipWarnings));
    }

    void csvExportAndTemplate()
    {
        QVector<OtpReadWord> words(3);
        words[0] = { 0xABCDEF01, true };
        words[2] = { 0, true };
        QCOMPARE(OtpFiles::exportCsv(words, 0), QByteArray("word,value\n0,0xabcdef01\n1,\n2,0x00000000\n"));
        QCOMPARE(OtpFiles::templateCsv(2), QByteArray("word,value\n0,0x00000000\n1,0x00000000\n"));
        // The template imports as nothing to write.
        const ImportResult r = OtpFiles::importCsv(OtpFiles::templateCsv(128), 128, Path);
        QVERIFY(r.ok);
        QVERIFY(r.runs.isEmpty());
    }

    void infoRoundTrip()
    {
        const OtpWordRuns runs { { 0, { 0x8 } }, { 16, { 0xA, 0xB } }, { 4, { 0xC } } };
        QCOMPARE(OtpFiles::infoJson(runs),
            QByteArray("{\"info\":[{\"address\":\"0x00000004\",\"value\":\"0x0000000c\"},"
                       "{\"address\":\"0x00000010\",\"value\":\"0x0000000a\"},"
                       "{\"address\":\"0x00000011\",\"value\":\"0x0000000b\"},"
                       "{\"address\":\"0x00000000\",\"value\":\"0x00000008\"}]}"));
        const QByteArray file = OtpFiles::exportInfo(runs);
        QCOMPARE(KrelCipher::decipher(file), OtpFiles::infoJson(runs));
        const ImportResult r = OtpFiles::importInfo(file, 128, "a.info");
        QVERIFY(r.ok);
        const OtpWordRuns words { { 0, { 0x8 } }, { 4, { 0xC } }, { 16, { 0xA } }, { 17, { 0xB } } };
        QCOMPARE(r.runs, words);
    }

    void infoImport_data()
    {
        QTest::addColumn<QByteArray>("json"); // enciphered by the test unless it starts with '!'
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QList<quint32>>("starts");
        QTest::addColumn<QString>("logs");
        QTest::newRow("second entry lacks value")
            << QByteArray(R"({"info":[{"address":"0x1","value":"0x5"},{"address":"0x2"},)"
                          R"({"address":"3","value":"0x00000007"},7]})")
            << true << QList<quint32> { 1, 3 } << "";
        QTest::newRow("bad address") << QByteArray(
            R"({"info":[{"address":"0x1","value":"1"},{"address":"q","value":"1"}]})")
                                     << false << QList<quint32> {} << "3:Parse OTP info error! Index: 1";
        QTest::newRow("address past the OTP") << QByteArray(R"({"info":[{"address":"0x80","value":"1"}]})") << false
                                              << QList<quint32> {} << "3:Parse OTP info error! Index: 0";
        QTest::newRow("number value") << QByteArray(R"({"info":[{"address":"0x1","value":5}]})") << false
                                      << QList<quint32> {} << "3:Parse OTP info value error! Index: 0";
        QTest::newRow("no info") << QByteArray(R"({"otp":[]})") << false << QList<quint32> {}
                                 << "3:Can not find OTP info in a.info";
        QTest::newRow("array document") << QByteArray(R"([{"info":[]}])") << false << QList<quint32> {}
                                        << "3:Can not find OTP info in a.info";
        QTest::newRow("not JSON") << QByteArray("{\"info\":[") << false << QList<quint32> {}
                                  << "3:Parse OTP info failed! Error: unterminated array";
        QTest::newRow("not enciphered") << QByteArray("!{\"info\":[]}") << false << QList<quint32> {}
                                        << "3:Parse OTP info failed! Error: illegal value";
        QTest::newRow("garbage blocks") << QByteArray("!0123456789abcdef0123456789abcdef") << false << QList<quint32> {}
                                        << "3:Parse OTP info failed! Error: ";
    }
    void infoImport()
    {
        QFETCH(QByteArray, json);
        QFETCH(bool, ok);
        QFETCH(QList<quint32>, starts);
        QFETCH(QString, logs);
        const QByteArray file = json.startsWith('!') ? json.mid(1) : KrelCipher::encipher(json);
        const ImportResult r = OtpFiles::importInfo(file, 128, "a.info");
        QCOMPARE(r.ok, ok);
        if (logs.isEmpty())
            QVERIFY(r.logs.isEmpty());
        else
            QVERIFY2(logText(r).startsWith(logs), qPrintable(logText(r)));
        QCOMPARE(r.runs.keys(), starts);
    }

    void files()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("w.csv");
        QVERIFY(OtpFiles::writeFile(path, "word,value\n"));
        QByteArray bytes;
        OtpLogLines logs;
        QVERIFY(OtpFiles::readFile(path, bytes, logs));
        QCOMPARE(bytes, QByteArray("word,value\n"));
        QVERIFY(!OtpFiles::readFile(dir.filePath("none.csv"), bytes, logs));
        QCOMPARE(logs, OtpLogLines({ { "Open file failed! Path: " + dir.filePath("none.csv"), LogError } }));
        QVERIFY(!OtpFiles::writeFile(dir.filePath("no/such/dir.csv"), "x"));
    }
};

QTEST_GUILESS_MAIN(TestOtpFiles)
#include "tst_otpfiles.moc"
