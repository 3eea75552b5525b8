// The shared core helpers. The durable copy: the target name holds the old or the
// new file, whole, and left-overs of a cut-off copy are cleared (copies killed at
// random moments are tests/reliability's kill test). The one hexadecimal rule.
#include "durablecopy.h"
#include "hex.h"
#include "testfiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

class TestDurableCopy : public QObject
{
    Q_OBJECT
    QScopedPointer<QTemporaryDir> m_dir;
    QString path(const QString& name) const { return m_dir->filePath(name); }
    QStringList entries() const
    {
        return QDir(m_dir->path()).entryList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
    }

private slots:
    void init()
    {
        m_dir.reset(new QTemporaryDir);
        QVERIFY(m_dir->isValid());
    }

    void copies_data()
    {
        QTest::addColumn<QString>("source"); // name in the folder
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<bool>("flushed"); // the data reached the device before the end
        QTest::newRow("replaces the target") << "new.bin"
                                             << "t.bin" << true << true;
        QTest::newRow("missing source") << "gone.bin"
                                        << "t.bin" << false << false;
        QTest::newRow("target is a folder") << "new.bin"
                                            << "dir" << false << true;
        QTest::newRow("target folder missing") << "new.bin"
                                               << "nowhere/t.bin" << false << false;
    }
    void copies()
    {
        QFETCH(QString, source);
        QFETCH(QString, target);
        QFETCH(bool, ok);
        QFETCH(bool, flushed);
        QVERIFY(writeFile(path("new.bin"), "NEW"));
        QVERIFY(writeFile(path("t.bin"), "OLD"));
        QVERIFY(QDir().mkpath(path("dir")));
        const QStringList before = entries();
        const QByteArray old = readFile(path(target));

        QString error;
        bool wasFlushed = !flushed;
        QCOMPARE(DurableCopy::copyFile(path(source), path(target), &error, &wasFlushed), ok);
        QCOMPARE(wasFlushed, flushed);
        QCOMPARE(error.isEmpty(), ok);
        QCOMPARE(readFile(path(target)), ok ? QByteArray("NEW") : old);
        // No temporary file stays, whatever happened.
        QStringList after = entries();
        after.removeAll(target);
        QStringList expected = before;
        expected.removeAll(target);
        QCOMPARE(after, expected);
    }

    void staleTemporariesGo()
    {
        const QString stale = QLatin1String(DurableCopy::TempPrefix) + QStringLiteral("config.info");
        QVERIFY(writeFile(path(stale), "cut"));
        QVERIFY(writeFile(path("config.info"), "whole"));
        QVERIFY(QDir().mkpath(path("sub")));
        QVERIFY(writeFile(path("sub/") + stale, "deeper, not ours to judge"));
        QStringList removed;
        QVERIFY(DurableCopy::removeStaleTemporaries(m_dir->path(), &removed));
        QCOMPARE(removed, QStringList { stale });
        QCOMPARE(entries(), QStringList({ "config.info", "sub" }));
        QVERIFY(QFile::exists(path("sub/") + stale));
    }

    // The one hexadecimal rule and the eight-digit form.
    void parse_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("v32"); // -1: no value
        QTest::addColumn<qint64>("v64"); // -1: no value, -2: above 2^63
        QTest::newRow("prefix") << "0x10" << 16ll << 16ll;
        QTest::newRow("upper prefix, mixed digits") << "0XfF" << 255ll << 255ll;
        QTest::newRow("no prefix") << "34B7" << 0x34B7ll << 0x34B7ll;
        QTest::newRow("white space around") << " \t0x10 \n" << 16ll << 16ll;
        QTest::newRow("leading zeros do not count") << "0x0000000000000010" << 16ll << 16ll;
        QTest::newRow("largest 32-bit") << "FFFFFFFF" << 0xFFFFFFFFll << 0xFFFFFFFFll;
        QTest::newRow("33 bits") << "0x100000000" << -1ll << 0x100000000ll;
        QTest::newRow("largest 64-bit") << "FFFFFFFFFFFFFFFF" << -1ll << -2ll;
        QTest::newRow("65 bits") << "10000000000000000" << -1ll << -1ll;
        QTest::newRow("empty") << "" << -1ll << -1ll;
        QTest::newRow("prefix only") << " 0x " << -1ll << -1ll;
        QTest::newRow("sign") << "-1" << -1ll << -1ll;
        QTest::newRow("inner space") << "0x1 0" << -1ll << -1ll;
        QTest::newRow("not a digit") << "0x1g" << -1ll << -1ll;
        QTest::newRow("full-width digit") << QString::fromUtf8("\xEF\xBC\x91") << -1ll << -1ll;
    }
    void parse()
    {
        QFETCH(QString, text);
        QFETCH(qint64, v32);
        QFETCH(qint64, v64);
        const auto p32 = Hex::parse32(text);
        QCOMPARE(p32.has_value(), v32 >= 0);
        if (p32)
            QCOMPARE(qint64(*p32), v32);
        const auto p64 = Hex::parse64(text);
        QCOMPARE(p64.has_value(), v64 != -1);
        if (v64 == -2)
            QCOMPARE(*p64, ~quint64(0));
        else if (p64)
            QCOMPARE(qint64(*p64), v64);
    }

    void hex8_data()
    {
        QTest::addColumn<quint64>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("lower case, zero-filled") << quint64(0xC00) << "00000c00";
        QTest::newRow("wider when needed") << quint64(0x100000800) << "100000800";
    }
    void hex8()
    {
        QFETCH(quint64, value);
        QTEST(Hex::hex8(value), "text");
    }
};

QTEST_GUILESS_MAIN(TestDurableCopy)
#include "tst_durablecopy.moc"
