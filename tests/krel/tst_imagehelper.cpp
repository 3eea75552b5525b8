// The image helper's command line and the message lines it prints.
#include <QtTest>

#include "imagehelper.h"

using ImageHelper::Message;

Q_DECLARE_METATYPE(Message::Kind)

class TstImageHelper : public QObject
{
    Q_OBJECT
private slots:
    void arguments();
    void parse_data();
    void parse();
    void linesCutBetweenReads();
};

void TstImageHelper::arguments()
{
    QCOMPARE(ImageHelper::arguments("TSL1200", false, true, "/img/a b.bin"),
        QStringList({ "--soc", "TSL1200", "--language", "CN", "--type", "boot_image", "--path", "/img/a b.bin",
            "--station" }));
    QCOMPARE(ImageHelper::arguments("", true, false, "").mid(2, 4),
        QStringList({ "--language", "EN", "--type", "user_data" }));
}

void TstImageHelper::parse_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("counts");
    QTest::addColumn<Message::Kind>("kind");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("rest");
    QTest::newRow("file") << "MESSAGE#FILE#/tmp/ä b.bin#MESSAGE" << true << Message::File << "/tmp/ä b.bin" << "";
    QTest::newRow("text around") << "  saved MESSAGE#EXIPKEK#00112233#MESSAGE done " << true << Message::ExipKek
                                 << "00112233"
                                 << "saved  done";
    QTest::newRow("enable") << "MESSAGE#EXIPENABLE#1#MESSAGE" << true << Message::ExipEnable << "1" << "";
    QTest::newRow("lock") << "MESSAGE#EXIPLOCK#0#MESSAGE" << true << Message::ExipLock << "0" << "";
    QTest::newRow("srk") << "MESSAGE#SRKHASH#abcd#MESSAGE" << true << Message::SrkHash << "abcd" << "";
    QTest::newRow("otp view") << "MESSAGE#OpenOTPWriteView#MESSAGE" << true << Message::OpenOtpWriteView << ""
                              << "";
    QTest::newRow("no closing marker") << "MESSAGE#FILE#/tmp/x.bin" << false << Message::None << "" << "";
    QTest::newRow("markers overlap") << "#MESSAGE#" << false << Message::None << "" << "";
    QTest::newRow("unknown payload") << "MESSAGE#HELLO#MESSAGE" << true << Message::None << "" << "";
}

void TstImageHelper::parse()
{
    QFETCH(QString, line);
    QFETCH(bool, counts);
    QFETCH(Message::Kind, kind);
    QFETCH(QString, text);
    QFETCH(QString, rest);
    Message m;
    QCOMPARE(ImageHelper::parseLine(line, m), counts);
    if (!counts)
        return;
    QCOMPARE(m.kind, kind);
    QCOMPARE(m.text, text);
    QCOMPARE(m.rest, rest);
}

void TstImageHelper::linesCutBetweenReads()
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

QTEST_GUILESS_MAIN(TstImageHelper)
#include "tst_imagehelper.moc"
