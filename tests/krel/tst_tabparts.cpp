// Plain parts of the Krel configuration tab: flash configuration words (field
// placement, the option-word count, the text form both ways), rebasing of
// additional-file addresses, and the image helper's command line and lines.
#include <QtTest>

#include "flashwords.h"
#include "imagehelper.h"

using namespace FlashWords;
using ImageHelper::Message;

Q_DECLARE_METATYPE(FieldValue)
Q_DECLARE_METATYPE(Message::Kind)

class TstTabParts : public QObject
{
    Q_OBJECT
private slots:
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
        QTEST(toText(FlashWords::compute(start, 4, fields, true)), "text");
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
        QCOMPARE(parse(texts, out), ok);
        QTEST(out, "words");
        if (ok)
            QCOMPARE(toTextList(out).join(',').toLower(), QString("0xfcf90002,0x00000007,0xffffffff,0x00000000"));
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
        QTEST(rebaseAddress(address, base), "result");
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

QTEST_GUILESS_MAIN(TstTabParts)
#include "tst_tabparts.moc"
