// OTP logic without widgets: the read plan over a device's region, write order and
// commands, runs added and deleted, the image helper's messages, field packing and
// the Custom page's checks.
#include "otpreadplan.h"
#include "otpwordruns.h"
#include "otpwordsinput.h"

#include <QtTest>

Q_DECLARE_METATYPE(OtpWordsInput::FieldSetting)

namespace {

QVector<FuseWordInfo> fuseMap(int words, const QList<int>& secret = {})
{
    QVector<FuseWordInfo> map;
    for (int i = 0; i < words; ++i) {
        FuseWordInfo w;
        w.index = i;
        w.type = secret.contains(i) ? EFuseWordSecret : EFuseWordGeneral;
        map.append(w);
    }
    return map;
}

QVector<uint8_t> chunk(quint32 w0, quint32 w1 = 0, quint32 w2 = 0, quint32 w3 = 0)
{
    QVector<uint8_t> out;
    for (quint32 w : { w0, w1, w2, w3 })
        for (int b = 0; b < 4; ++b)
            out.append(uint8_t(w >> (8 * b)));
    return out;
}

// Runs a whole read the way the view does: the words each group reads are taken
// from device; returns the addresses read.
QList<quint32> readAll(OtpReadPlan& plan, const QVector<FuseWordInfo>& map, const QVector<quint32>& device)
{
    QList<quint32> reads;
    quint32 address = plan.start();
    for (;;) {
        reads.append(address);
        const int i = int(address);
        OtpLogLines logs;
        if (!plan.takeChunk(address, chunk(device[i], device[i + 1], device[i + 2], device[i + 3]), logs))
            break;
        if (!plan.nextGroup(address, map, address))
            break;
    }
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
        QCOMPARE(readAll(plan, fuseMap(fuseWords), QVector<quint32>(int(size), 0x11u)).size(), reads);
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
        QVERIFY(!plan.takeChunk(address, chunk(1, 2, 3, 4).mid(0, bytes), logs));
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
        QTest::addColumn<quint32>("start");
        QTest::addColumn<QVector<quint32>>("values");
        QTest::addColumn<int>("result");
        QTest::addColumn<QList<quint32>>("starts");
        QTest::newRow("{0} deletes") << 3u << QVector<quint32> { 0 } << int(OtpRuns::AddResult::Deleted)
                                     << QList<quint32> { 8 };
        QTest::newRow("{0} elsewhere") << 5u << QVector<quint32> { 0 } << int(OtpRuns::AddResult::Unchanged)
                                       << QList<quint32> { 3, 8 };
        QTest::newRow("replace") << 3u << QVector<quint32> { 0, 0 } << int(OtpRuns::AddResult::Replaced)
                                 << QList<quint32> { 3, 8 };
        QTest::newRow("insert") << 5u << QVector<quint32> { 7 } << int(OtpRuns::AddResult::Inserted)
                                << QList<quint32> { 3, 5, 8 };
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

    void helperMessages_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("acts");
        QTest::addColumn<quint32>("word");
        QTest::addColumn<QVector<quint32>>("values");
        // Queued: word 0 = 0x1, word 40 = {0x10, 0x20}.
        QTest::newRow("run") << "add"
                             << "64;0x1,ff" << true << 64u << QVector<quint32> { 1, 0xff };
        QTest::newRow("run bad item") << "add"
                                      << "64;0x1,zz" << false << 0u << QVector<quint32> {};
        // An OTP of 128 words: runs past it, or wrapping round to word 0, are not taken.
        QTest::newRow("run past the OTP") << "add"
                                          << "127;1,2" << false << 0u << QVector<quint32> {};
        QTest::newRow("run wrapping to word 0") << "add"
                                                << "4294967295;1,2" << false << 0u << QVector<quint32> {};
        QTest::newRow("enable past the OTP") << "enable"
                                             << "1,128,4,x" << false << 0u << QVector<quint32> {};
        QTest::newRow("enable sets") << "enable"
                                     << "1,40,33,x" << true << 40u << QVector<quint32> { 0x12, 0x20 };
        QTest::newRow("disable clears") << "enable"
                                        << "0,40,4,x" << true << 40u << QVector<quint32> { 0x0, 0x20 };
        QTest::newRow("disable absent") << "enable"
                                        << "0,41,4,x" << false << 0u << QVector<quint32> {};
        QTest::newRow("enable 3 parts") << "enable"
                                        << "1,41,4" << false << 0u << QVector<quint32> {};
        QTest::newRow("lock 5 words at 8") << "lock"
                                           << "1,8,5" << true << 0u << QVector<quint32> { 0xd };
        QTest::newRow("lock past bit 31") << "lock"
                                          << "1,124,40" << true << 0u << QVector<quint32> { 0x80000001 };
    }
    void helperMessages()
    {
        QFETCH(QString, kind);
        QFETCH(QString, text);
        QFETCH(bool, acts);
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

    void custom_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("count");
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("refusal");
        QTest::addColumn<quint32>("first");
        QTest::addColumn<QVector<quint32>>("values");
        const QString two = "0x00000001,0x00000002";
        QTest::newRow("hex start") << "0x10"
                                   << "2" << two << QString() << 16u << QVector<quint32> { 1, 2 };
        QTest::newRow("decimal start") << "10"
                                       << "2"
                                       << "0x00000001, 0x0000000A\n"
                                       << QString() << 10u << QVector<quint32> { 1, 10 };
        QTest::newRow("no start") << ""
                                  << "2" << two << "Start address is empty!" << 0u << QVector<quint32> {};
        QTest::newRow("no count") << "1"
                                  << "" << two << "Word count is empty!" << 0u << QVector<quint32> {};
        QTest::newRow("bad start") << "0xZ"
                                   << "2" << two
                                   << "Start address format error! Please input decimal or hexadecimal number" << 0u
                                   << QVector<quint32> {};
        QTest::newRow("count 3") << "0x10"
                                 << "3" << two << "Word count is not match with the input words!" << 0u
                                 << QVector<quint32> {};
        QTest::newRow("empty list") << "0"
                                    << "1"
                                    << ""
                                    << "Word count is not match with the input words!" << 0u << QVector<quint32> {};
        QTest::newRow("G passes the pattern")
            << "0"
            << "1"
            << "0x0000000G"
            << "Word number cannot convert to hexadecimal number! Word: 0x0000000G" << 0u << QVector<quint32> {};
        QTest::newRow("short item") << "0"
                                    << "1"
                                    << "0x1"
                                    << "Word number format is error! Word: 0x1" << 0u << QVector<quint32> {};
        QTest::newRow("overlap at 22") << "22"
                                       << "1"
                                       << "0x00000001"
                                       << "The range is duplicated with start address: 20" << 0u << QVector<quint32> {};
        QTest::newRow("ends inside run") << "18"
                                         << "3"
                                         << "0x00000001,0x00000001,0x00000001"
                                         << "The range is duplicated with start address: 20" << 0u
                                         << QVector<quint32> {};
        QTest::newRow("same start replaces") << "20"
                                             << "1"
                                             << "0x00000001" << QString() << 20u << QVector<quint32> { 1 };
        QTest::newRow("past the OTP") << "127"
                                      << "2" << two << "The words exceed the OTP! The SoC has 128 OTP words." << 0u
                                      << QVector<quint32> {};
    }
    void custom()
    {
        QFETCH(QString, start);
        QFETCH(QString, count);
        QFETCH(QString, list);
        QFETCH(QString, refusal);
        QFETCH(quint32, first);
        QFETCH(QVector<quint32>, values);
        const OtpWordRuns queued { { 20, { 1, 2, 3, 4 } } };
        quint32 s = 0;
        QVector<quint32> v;
        OtpWordsInput::Refusal r;
        QCOMPARE(OtpWordsInput::parseCustom(start, count, list, queued, 128, s, v, r), refusal.isEmpty());
        QCOMPARE(r.text, refusal);
        if (refusal.startsWith("The range"))
            QCOMPARE(r.title, QStringLiteral("Error"));
        else if (!refusal.isEmpty())
            QCOMPARE(r.title, QStringLiteral("Warning"));
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
};

QTEST_GUILESS_MAIN(TestOtpLogic)
#include "tst_otplogic.moc"
