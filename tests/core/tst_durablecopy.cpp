// The durable copy: the target name holds the old or the new file, whole, and
// left-overs of a cut-off copy are cleared. Copies killed at random moments are
// tests/reliability's kill test.
#include "durablecopy.h"
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
};

QTEST_GUILESS_MAIN(TestDurableCopy)
#include "tst_durablecopy.moc"
