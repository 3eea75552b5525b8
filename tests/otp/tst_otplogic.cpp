// OTP logic without widgets: read plan, write order, runs, helper messages, field
// packing, the Custom page's checks, and the CSV and ".info" word files.
#include "krelcipher.h"
#include "otpfiles.h"
#include "otpreadplan.h"
#include "otpwordruns.h"
#include "otpwordsinput.h"

#include <QtTest>

Q_DECLARE_METATYPE(OtpWordsInput::FieldSetting)

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

// Runs a whole read the way the view does over general words that all read
// 0x11111111; returns the number of groups read.
int readAll(OtpReadPlan& plan, int fuseWords)
{
    QVector<FuseWordInfo> map(fuseWords);
    for (int i = 0; i < fuseWords; ++i)
        map[i] = FuseWordInfo { i, EFuseWordGeneral, {}, {} };
    int reads = 0;
    OtpLogLines logs;
    for (quint32 at = plan.start(); ++reads, plan.takeChunk(at, QVector<uint8_t>(16, 0x11), logs);)
        if (!plan.nextGroup(at, map, at))
            break;
    return reads;
}

} // namespace

class TestOtpLogic : public QObject
{
    Q_OBJECT

private slots:
    void region_data()
    {
        QTest::addColumn<quint32>("start");
        QTest::addColumn<quint32>("end");
        QTest::addColumn<quint32>("size");
        QTest::addColumn<int>("fuseWords");
        QTest::addColumn<int>("reads");
        QTest::addColumn<QString>("error");
        QTest::newRow("whole OTP") << 0u << 127u << 128u << 128 << 32 << QString();
        QTest::newRow("end short") << 0u << 126u << 128u << 128 << 0 << "MemorySize is not match with the address!";
        QTest::newRow("end before start")
            << 5u << 0u << 128u << 128 << 0 << "MemorySize is not match with the address!";
        QTest::newRow("other SoC") << 0u << 127u << 128u << 64 << 0 << "MemorySize is not match with the soc info!";
    }
    void region()
    {
        QFETCH(quint32, start);
        QFETCH(quint32, end);
        QFETCH(quint32, size);
        QFETCH(int, fuseWords);
        QFETCH(int, reads);
        QFETCH(QString, error);
        OtpReadPlan plan;
        OtpLogLines logs;
        const bool ok = plan.setRegion(start, end, 4, size, fuseWords, logs);
        QCOMPARE(ok, error.isEmpty());
        if (!ok) {
            QCOMPARE(logs, OtpLogLines({ { error, LogError } }));
            QVERIFY(plan.words().isEmpty());
            return;
        }
        QCOMPARE(readAll(plan, fuseWords), reads);
        for (const OtpReadWord& w : plan.words())
            QVERIFY(w.valid);
    }

    void badChunkStopsTheRead_data()
    {
        QTest::addColumn<quint32>("address");
        QTest::addColumn<int>("bytes");
        QTest::addColumn<QString>("error");
        QTest::newRow("12 bytes") << 0u << 12 << "The length of obtained data is not match with the word length!";
        QTest::newRow("past the end") << 126u << 16
                                      << "The address of obtained data is out of the OTP range! Address: 0x0000007e";
    }
    void badChunkStopsTheRead()
    {
        QFETCH(quint32, address);
        QFETCH(int, bytes);
        QFETCH(QString, error);
        OtpReadPlan plan;
        OtpLogLines logs;
        QVERIFY(plan.setRegion(0, 127, 4, 128, 128, logs));
        QVERIFY(!plan.takeChunk(address, QVector<uint8_t>(bytes, 1), logs));
        QCOMPARE(logs, OtpLogLines({ { error, LogError } }));
        for (const OtpReadWord& w : plan.words())
            QVERIFY(!w.valid);
    }

    void writeOrderPutsTheLockWordLast()
    {
        const OtpWordRuns runs { { 0, { 0x1 } }, { 16, { 0xA, 0xB } }, { 4, { 0xC } } };
        const QList<DownloadCommand> cmds = OtpRuns::writeCommands(runs, "0x20000");
        QStringList seen;
        for (const DownloadCommand& c : cmds) {
            QCOMPARE(c.nameId, 4);
            QCOMPARE(c.params.value("memoryId"), QStringLiteral("0x20000"));
            seen << c.params.value("address") + "=" + c.params.value("word");
        }
        QCOMPARE(seen,
            QStringList({ "0x00000004=0x0000000c", "0x00000010=0x0000000a", "0x00000011=0x0000000b",
                "0x00000000=0x00000001" }));
        QVERIFY(cmds[0].id != cmds[1].id);
    }

    void addRun_data()
    {
        using R = OtpRuns::AddResult;
        using V = QVector<quint32>;
        QTest::addColumn<quint32>("start");
        QTest::addColumn<V>("values");
        QTest::addColumn<int>("result");
        QTest::addColumn<QList<quint32>>("starts");
        QTest::newRow("{0} deletes") << 3u << V { 0 } << int(R::Deleted) << QList<quint32> { 8 };
        QTest::newRow("{0} elsewhere") << 5u << V { 0 } << int(R::Unchanged) << QList<quint32> { 3, 8 };
        QTest::newRow("replace") << 3u << V { 0, 0 } << int(R::Replaced) << QList<quint32> { 3, 8 };
        QTest::newRow("insert") << 5u << V { 7 } << int(R::Inserted) << QList<quint32> { 3, 5, 8 };
    }
    void addRun()
    {
        QFETCH(quint32, start);
        QFETCH(QVector<quint32>, values);
        QFETCH(int, result);
        QFETCH(QList<quint32>, starts);
        OtpWordRuns runs { { 3, { 1, 2 } }, { 8, { 4 } } };
        QCOMPARE(int(OtpRuns::addRun(runs, start, values)), result);
        QCOMPARE(runs.keys(), starts);
        if (runs.contains(start))
            QCOMPARE(runs.value(start), values);
    }

    // Queued: word 0 = 0x1, word 40 = {0x10, 0x20}. An OTP of 128 words: runs past
    // it, or wrapping round to word 0, are not taken.
    void helperMessages_data()
    {
        using V = QVector<quint32>;
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("acts");
        QTest::addColumn<QString>("text");
        QTest::addColumn<quint32>("word");
        QTest::addColumn<V>("values");
        QTest::newRow("run") << "add" << true << "64;0x1,ff" << 64u << V { 1, 0xff };
        QTest::newRow("run bad item") << "add" << false << "64;0x1,zz" << 0u << V {};
        QTest::newRow("run past the OTP") << "add" << false << "127;1,2" << 0u << V {};
        QTest::newRow("run wrapping to word 0") << "add" << false << "4294967295;1,2" << 0u << V {};
        QTest::newRow("enable past the OTP") << "enable" << false << "1,128,4,x" << 0u << V {};
        QTest::newRow("enable sets") << "enable" << true << "1,40,33,x" << 40u << V { 0x12, 0x20 };
        QTest::newRow("disable clears") << "enable" << true << "0,40,4,x" << 40u << V { 0x0, 0x20 };
        QTest::newRow("disable absent") << "enable" << false << "0,41,4,x" << 0u << V {};
        QTest::newRow("enable 3 parts") << "enable" << false << "1,41,4" << 0u << V {};
        QTest::newRow("lock 5 words at 8") << "lock" << true << "1,8,5" << 0u << V { 0xd };
        QTest::newRow("lock past bit 31") << "lock" << true << "1,124,40" << 0u << V { 0x80000001 };
    }
    void helperMessages()
    {
        QFETCH(QString, kind);
        QFETCH(bool, acts);
        QFETCH(QString, text);
        QFETCH(quint32, word);
        QFETCH(QVector<quint32>, values);
        const OtpWordRuns runs { { 0, { 0x1 } }, { 40, { 0x10, 0x20 } } };
        quint32 w = 0;
        QVector<quint32> v;
        bool result = false;
        if (kind == "add")
            result = OtpRuns::parseRunMessage(text, w, v) && OtpRuns::insideOtp(w, v.size(), 128);
        else if (kind == "enable")
            result = OtpRuns::enableMessageRun(runs, text, 128, w, v);
        else
            result = OtpRuns::lockMessageRun(runs, text, v);
        QCOMPARE(result, acts);
        if (acts) {
            QCOMPARE(w, word);
            QCOMPARE(v, values);
        }
    }

    void packFields_data()
    {
        using F = OtpWordsInput::FieldSetting;
        QTest::addColumn<QList<F>>("fields");
        QTest::addColumn<QString>("refusal");
        QTest::addColumn<QList<quint32>>("words"); // index, value, index, value...
        const F life { 1, "LIFE_CYCLE", "0,28", 4, EFuseFieldSelect, 3 };
        const F jtag { 1, "JTAG_DISABLE", "16", 1, EFuseFieldCheck, 1 };
        const F debug { 1, "DEBUG_DISABLE", "17", 1, EFuseFieldCheck, 1 };
        const F key15 { 2, "KEY_REVOKE", "4", 4, EFuseFieldInput, 15 };
        F key16 = key15;
        key16.value = 16;
        F life5 = life;
        life5.value = 17;
        QTest::newRow("replicated offsets") << QList<F> { life } << QString() << QList<quint32> { 1, 0x30000003 };
        QTest::newRow("two fields, one word") << QList<F> { jtag, debug } << QString() << QList<quint32> { 1, 0x30000 };
        QTest::newRow("two words") << QList<F> { key15, life } << QString()
                                   << QList<quint32> { 1, 0x30000003, 2, 0xf0 };
        QTest::newRow("input above") << QList<F> { key16 }
                                     << "Input value greater than the threshold! key: KEY_REVOKE bit width: 4"
                                     << QList<quint32> {};
        QTest::newRow("select above") << QList<F> { life5 }
                                      << "Select value greater than the threshold! key: LIFE_CYCLE bit width: 4"
                                      << QList<quint32> {};
        QTest::newRow("zero value still a word")
            << QList<F> { F { 5, "X", "0", 8, EFuseFieldInput, 0 } } << QString() << QList<quint32> { 5, 0 };
    }
    void packFields()
    {
        QFETCH(QList<OtpWordsInput::FieldSetting>, fields);
        QFETCH(QString, refusal);
        QFETCH(QList<quint32>, words);
        QMap<quint32, quint32> out;
        OtpWordsInput::Refusal r;
        QCOMPARE(OtpWordsInput::packFields(fields, out, r), refusal.isEmpty());
        QCOMPARE(r.text, refusal);
        if (!refusal.isEmpty())
            QCOMPARE(r.title, QStringLiteral("Error"));
        QMap<quint32, quint32> expected;
        for (int i = 0; i + 1 < words.size(); i += 2)
            expected.insert(words[i], words[i + 1]);
        QCOMPARE(out, expected);
    }

    // "start|count|list" against a queued run at 20..23 in an OTP of 128 words.
    void custom_data()
    {
        using V = QVector<quint32>;
        QTest::addColumn<QString>("input");
        QTest::addColumn<quint32>("first");
        QTest::addColumn<V>("values");
        QTest::addColumn<QString>("refusal");
        const QString two = "|0x00000001,0x00000002";
        const QString overlap = "The range is duplicated with start address: 20";
        const QString mismatch = "Word count is not match with the input words!";
        QTest::newRow("hex start") << "0x10|2" + two << 16u << V { 1, 2 } << "";
        QTest::newRow("decimal start") << "10|2|0x00000001, 0x0000000A\n" << 10u << V { 1, 10 } << "";
        QTest::newRow("no start") << "|2" + two << 0u << V {} << "Start address is empty!";
        QTest::newRow("no count") << "1|" + two << 0u << V {} << "Word count is empty!";
        QTest::newRow("bad start") << "0xZ|2" + two << 0u << V {}
                                   << "Start address format error! Please input decimal or hexadecimal number";
        QTest::newRow("count 3") << "0x10|3" + two << 0u << V {} << mismatch;
        QTest::newRow("empty list") << "0|1|" << 0u << V {} << mismatch;
        QTest::newRow("G passes the pattern")
            << "0|1|0x0000000G" << 0u << V {} << "Word number cannot convert to hexadecimal number! Word: 0x0000000G";
        QTest::newRow("short item") << "0|1|0x1" << 0u << V {} << "Word number format is error! Word: 0x1";
        QTest::newRow("overlap at 22") << "22|1|0x00000001" << 0u << V {} << overlap;
        QTest::newRow("ends inside run") << "18|3|0x00000001,0x00000001,0x00000001" << 0u << V {} << overlap;
        QTest::newRow("same start replaces") << "20|1|0x00000001" << 20u << V { 1 } << "";
        QTest::newRow("past the OTP") << "127|2" + two << 0u << V {}
                                      << "The words exceed the OTP! The SoC has 128 OTP words.";
    }
    void custom()
    {
        QFETCH(QString, input);
        QFETCH(quint32, first);
        QFETCH(QVector<quint32>, values);
        QFETCH(QString, refusal);
        const QStringList in = input.split('|');
        const OtpWordRuns queued { { 20, { 1, 2, 3, 4 } } };
        quint32 s = 0;
        QVector<quint32> v;
        OtpWordsInput::Refusal r;
        QCOMPARE(OtpWordsInput::parseCustom(in[0], in[1], in[2], queued, 128, s, v, r), refusal.isEmpty());
        QCOMPARE(r.text, refusal);
        if (!refusal.isEmpty())
            QCOMPARE(r.title, refusal.startsWith("The range") ? QStringLiteral("Error") : QStringLiteral("Warning"));
        QCOMPARE(s, first);
        QCOMPARE(v, values);
    }

    void tooltip()
    {
        FuseWordInfo fuse;
        fuse.index = 1;
        fuse.fields.append(FuseFieldInfo { "LIFE_CYCLE", EFuseFieldSelect, "0,28", 4, "", "", {} });
        fuse.fields.append(FuseFieldInfo { "A<B", EFuseFieldCheck, "16", 1, "", "", {} });
        const QString read = OtpText::wordTooltip(1, OtpReadWord { 0x30010003, true }, fuse);
        QVERIFY(read.startsWith("<div>Word Index: <font color=\"#ffffff\">1</font></div><div>Hex: <font "
                                "color=\"#ffffff\">0x30010003</font></div><div style='white-space:pre'>Binary: <font "
                                "color=\"#ffffff\"> 0011 0000 0000 0001 0000 0000 0000 0011</font></div><table"));
        QVERIFY(read.contains("<tr><td style='text-align:left; padding-right:10px;'>LIFE_CYCLE</td><td "
                              "style='text-align:left; padding-right:10px;'>0,28</td><td style='text-align:left; "
                              "padding-right:10px;'>4</td><td style='text-align:left; "
                              "padding-right:10px;'>(0011)</td></tr>\n"));
        QVERIFY(read.contains(">A&lt;B<"));
        QVERIFY(read.contains(">(1)<"));
        const QString unread = OtpText::wordTooltip(1, OtpReadWord {}, FuseWordInfo {});
        QCOMPARE(unread,
            QStringLiteral("<div>Word Index: <font color=\"#ffffff\">1</font></div><div>Hex: <font "
                           "color=\"#ffffff\">0x--</font></div><div style='white-space:pre'>Binary: <font "
                           "color=\"#ffffff\">--</font></div>"));
    }

    void csvImport_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("runs"); // "index=value ..." in key order
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("logs");
        const QString header = "3:File format is error! The first line must be word,value, and each line only has "
                               "'word' and 'value' two values.";
        const QString failed = "|3:" + Path + " import failed!";
        QTest::newRow("later line wins") << QByteArray("word,value\n3,0x1\n3,0x2\n") << "3=2" << true << "";
        QTest::newRow("zero passed") << QByteArray("word,value\n5,0\n6,ff\n") << "6=255" << true
                                     << "2:Import configuration value is 0 and will be passed. Line: 1";
        QTest::newRow("index past the OTP") << QByteArray("word,value\n3,0x1\n200,0x1\n") << "" << false
                                            << "3:Import configuration index exceed range. Line: 2" + failed;
        QTest::newRow("capital header") << QByteArray("Word,Value\n3,0x1\n") << "" << false << header;
        QTest::newRow("blanks in header, CRLF, BOM")
            << QByteArray("\xEF\xBB\xBF word , value \r\n3, 0x1\r\n\r\n") << "3=1" << true << "";
        QTest::newRow("three columns") << QByteArray("word,value,x\n") << "" << false << header;
        QTest::newRow("skips") << QByteArray("word,value\n\n1\n1,2,3\nx,0x1\n4,\n4, \n7,0x7") << "7=7" << true
                               << "2:Import configuration format error! Line: 2|"
                                  "2:Import configuration format error! Line: 3|"
                                  "2:Import configuration index parses error and will be passed. Line: 4|"
                                  "2:Import configuration value is empty and will be passed. Line: 5|"
                                  "2:Import configuration value is empty and will be passed. Line: 6";
        QTest::newRow("negative index") << QByteArray("word,value\n-1,0x1\n") << "" << true
                                        << "2:Import configuration index parses error and will be passed. Line: 1";
        QTest::newRow("bad value") << QByteArray("word,value\n1,0x1\n2,0x1FFFFFFFF\n") << "" << false
                                   << "3:Import configuration value parses error! Line: 2" + failed;
        QTest::newRow("empty") << QByteArray() << "" << false << "3:File content is empty! Path: " + Path;
        QTest::newRow("binary") << QByteArray("\x00\xff\xfe,\x80\n\x01", 7) << "" << false << header;
    }
    void csvImport()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, runs);
        QFETCH(bool, ok);
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
};

QTEST_GUILESS_MAIN(TestOtpLogic)
#include "tst_otplogic.moc"
