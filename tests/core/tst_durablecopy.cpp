// The durable copy: the target name always holds a whole file, also when the
// copying process is killed, and left-overs of such a kill are cleared.
#include "durablecopy.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <cstdio>

namespace {

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// Distinct sizes and contents, so any cut or mix is told apart from each whole.
QByteArray pattern(char c, int mib)
{
    return QByteArray(mib << 20, c);
}

} // namespace

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

    // A child copies two files in turn onto one target and is killed at a
    // random moment: the target is always one of the files, whole.
    void killMidCopyLeavesAWholeFile()
    {
        const QByteArray old = pattern('o', 3), a = pattern('a', 4), b = pattern('b', 5);
        QVERIFY(writeFile(path("a.bin"), a));
        QVERIFY(writeFile(path("b.bin"), b));
        for (int run = 0; run < 5; ++run) {
            QVERIFY(writeFile(path("config.info"), old));
            QProcess child;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("KREL_DURABLE_COPY_CHILD"), m_dir->path());
            child.setProcessEnvironment(env);
            child.start(QCoreApplication::applicationFilePath(), {});
            QVERIFY(child.waitForReadyRead(30000)); // the child has begun copying
            QTest::qWait(int(QRandomGenerator::global()->bounded(5, 60)));
            ::kill(pid_t(child.processId()), SIGKILL);
            QVERIFY(child.waitForFinished(30000));

            const QByteArray left = readFile(path("config.info"));
            QVERIFY2(left == old || left == a || left == b,
                qPrintable(QStringLiteral("run %1: %2 bytes under the final name").arg(run).arg(left.size())));
            QVERIFY(DurableCopy::removeStaleTemporaries(m_dir->path()));
            QCOMPARE(entries(), QStringList({ "a.bin", "b.bin", "config.info" }));
        }
    }
};

// Child of killMidCopyLeavesAWholeFile: copies until it is killed.
static int copyUntilKilled(const QString& dir)
{
    const QString target = dir + QStringLiteral("/config.info");
    std::printf("copying\n");
    std::fflush(stdout);
    for (;;) {
        DurableCopy::copyFile(dir + QStringLiteral("/a.bin"), target);
        DurableCopy::copyFile(dir + QStringLiteral("/b.bin"), target);
    }
}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsSet("KREL_DURABLE_COPY_CHILD"))
        return copyUntilKilled(qEnvironmentVariable("KREL_DURABLE_COPY_CHILD"));
    QCoreApplication app(argc, argv);
    TestDurableCopy test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_durablecopy.moc"
