// Flash configuration words: field placement, the option-word count, the
// text form both ways and rebasing of additional-file addresses.
#include <QtTest>

#include "flashwords.h"

using namespace FlashWords;

Q_DECLARE_METATYPE(FieldValue)

class TstFlashWords : public QObject
{
    Q_OBJECT
private slots:
    void compute_data();
    void compute();
    void parseText_data();
    void parseText();
    void rebase_data();
    void rebase();
};

void TstFlashWords::compute_data()
{
    QTest::addColumn<QList<FieldValue>>("fields");
    QTest::addColumn<QVector<quint32>>("start");
    QTest::addColumn<QString>("text");

    const FieldValue tag { 0, 16, 31, 0xfcf9 };
    QTest::newRow("words 1 and 3 set: count 2")
        << QList<FieldValue> { tag, { 1, 0, 3, 7 }, { 3, 8, 15, 0x20 } } << QVector<quint32>()
        << "0xfcf90002,0x00000007,0x00000000,0x00002000";
    // Five needs three bits: the word keeps what it held.
    QTest::newRow("too wide for one bit") << QList<FieldValue> { tag, { 1, 4, 4, 5 } }
                                          << QVector<quint32> { 0, 0x11, 0, 0 }
                                          << "0xfcf90001,0x00000011,0x00000000,0x00000000";
    QTest::newRow("field cleared before it is set")
        << QList<FieldValue> { { 2, 4, 7, 0x3 } } << QVector<quint32> { 0, 0, 0xffffffff, 0 }
        << "0x00000001,0x00000000,0xffffff3f,0x00000000";
    QTest::newRow("index outside the words") << QList<FieldValue> { { 7, 0, 3, 1 } } << QVector<quint32>()
                                             << "0x00000000,0x00000000,0x00000000,0x00000000";
}

void TstFlashWords::compute()
{
    QFETCH(QList<FieldValue>, fields);
    QFETCH(QVector<quint32>, start);
    QFETCH(QString, text);
    QCOMPARE(toText(FlashWords::compute(start, 4, fields, true)), text);
}

void TstFlashWords::parseText_data()
{
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QVector<quint32>>("words");
    QTest::newRow("detected words") << QStringList { "0xfcf90002", "0x00000007", "FFFFFFFF", "0x0" } << true
                                    << QVector<quint32> { 0xfcf90002, 7, 0xffffffff, 0 };
    QTest::newRow("not hex") << QStringList { "0xfcf90002", "0xzz" } << false << QVector<quint32> { 42 };
    QTest::newRow("wider than 32 bits") << QStringList { "0x100000000" } << false << QVector<quint32> { 42 };
    QTest::newRow("empty part") << QStringList { "0x1", "" } << false << QVector<quint32> { 42 };
}

void TstFlashWords::parseText()
{
    QFETCH(QStringList, texts);
    QFETCH(bool, ok);
    QFETCH(QVector<quint32>, words);
    QVector<quint32> out { 42 };
    QCOMPARE(parse(texts, out), ok);
    QCOMPARE(out, words);
    if (ok)
        QCOMPARE(toTextList(out).join(',').toLower(), QString("0xfcf90002,0x00000007,0xffffffff,0x00000000"));
}

void TstFlashWords::rebase_data()
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

void TstFlashWords::rebase()
{
    QFETCH(QString, address);
    QFETCH(quint64, base);
    QFETCH(QString, result);
    QCOMPARE(rebaseAddress(address, base), result);
}

QTEST_GUILESS_MAIN(TstFlashWords)
#include "tst_flashwords.moc"
