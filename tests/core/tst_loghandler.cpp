// The daily log (line format, day change, concurrency, lost folder, tags) and the
// folders the tool writes to.
#include "apppaths.h"
#include "loghandler.h"
#include "testfiles.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

class TestLogHandler : public QObject
{
    Q_OBJECT
    QTemporaryDir m_tmp;
    QString m_dir;
    QDateTime m_now;

    QStringList linesOf(const QDate& day) const
    {
        QStringList lines = QString::fromUtf8(readFile(m_dir + '/' + day.toString("yyyy-MM-dd") + ".log")).split('\n');
        if (lines.last().isEmpty())
            lines.removeLast();
        return lines;
    }
    static void setHome(const QTemporaryDir& home)
    {
        qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toUtf8());
        qputenv("XDG_DATA_HOME", (home.path() + "/data").toUtf8());
    }

private slots:
    void init()
    {
        m_dir = m_tmp.path() + "/logs/vlx_krel_tool";
        QDir(m_dir).removeRecursively();
        LogHandler::setLogDir(m_dir);
        m_now = QDateTime(QDate(2026, 3, 14), QTime(14, 3, 27));
        LogHandler::setClock([this] { return m_now; });
        qInstallMessageHandler(LogHandler::messageHandler);
    }
    void cleanup()
    {
        qInstallMessageHandler(nullptr);
        LogHandler::setClock({});
        LogHandler::setLogDir(QString());
        LogHandler::setFatalHook({});
    }

    void lineFormatAndTags_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("tag");
        QTest::newRow("debug") << int(QtDebugMsg) << "[Debug] ";
        QTest::newRow("critical") << int(QtCriticalMsg) << "[Critical] ";
        QTest::newRow("unknown") << 42 << "[Unknow Message Type] ";
    }
    void lineFormatAndTags()
    {
        QFETCH(int, type);
        QFETCH(QString, tag);
        LogHandler::messageHandler(QtMsgType(type), QMessageLogContext(), "Read ack error!");
        QFile f(m_dir + "/2026-03-14.log");
        QVERIFY(f.open(QIODevice::ReadOnly));
        // One line feed only: no text-mode translation.
        QCOMPARE(f.readAll(), ("[14:03:27]" + tag + "Read ack error!\n").toUtf8());
    }

    // A new day starts a new file; a deleted folder is made again for the next line.
    void dayFilesAndLostFolder()
    {
        m_now = QDateTime(QDate(2026, 3, 14), QTime(23, 59, 59));
        qWarning("before midnight");
        m_now = QDateTime(QDate(2026, 3, 15), QTime(0, 0, 1));
        qWarning("after midnight");
        QCOMPARE(linesOf(QDate(2026, 3, 14)), QStringList { "[23:59:59][Warning] before midnight" });
        QCOMPARE(linesOf(QDate(2026, 3, 15)), QStringList { "[00:00:01][Warning] after midnight" });
        QVERIFY(QDir(m_tmp.path() + "/logs").removeRecursively());
        qInfo("second");
        QCOMPARE(linesOf(QDate(2026, 3, 15)), QStringList { "[00:00:01][Info] second" });
    }

    void threadsNeverMixALine()
    {
        const int perThread = 1500;
        const QString longA(200, 'a');
        const QString longB(200, 'b');
        auto writer = [&](const QString& body) {
            return QThread::create([=] {
                for (int i = 0; i < perThread; ++i)
                    qInfo().noquote() << body << i;
            });
        };
        std::unique_ptr<QThread> a(writer(longA)), b(writer(longB));
        a->start();
        b->start();
        QVERIFY(a->wait(120000));
        QVERIFY(b->wait(120000));
        const QStringList lines = linesOf(QDate(2026, 3, 14));
        QCOMPARE(lines.size(), 2 * perThread);
        const QRegularExpression whole("^\\[14:03:27\\]\\[Info\\] (a{200}|b{200}) \\d+$");
        int as = 0;
        for (const QString& l : lines) {
            QVERIFY2(whole.match(l).hasMatch(), qPrintable(l.left(80)));
            as += l.contains("aaa");
        }
        QCOMPARE(as, perThread);
    }

    void fatalWritesBeforeAborting()
    {
        bool aborted = false;
        LogHandler::setFatalHook([&] {
            QVERIFY(QFile::exists(m_dir + "/2026-03-14.log"));
            aborted = true;
        });
        LogHandler::messageHandler(QtFatalMsg, QMessageLogContext(), "gone");
        QVERIFY(aborted);
        QCOMPARE(linesOf(QDate(2026, 3, 14)), QStringList { "[14:03:27][Fatal] gone" });
    }

    void unwritableFolderDropsSilently()
    {
        LogHandler::setLogDir("/proc/krel-no-such-dir/logs");
        qCritical("nowhere to go"); // must neither crash nor hang
        QVERIFY(!QFile::exists("/proc/krel-no-such-dir"));
    }

    // The folders the tool writes to.
    // An unwritable application folder sends every file to the user's folders
    // under one fixed name: the first log line and the rest of the run land in
    // the same place, whenever the application name is set.
    void userFoldersDoNotFollowTheApplicationName()
    {
        QTemporaryDir home;
        setHome(home);
        QTemporaryDir app;
        AppPaths::setAppDirOverride(app.path());
        QCOMPARE(AppPaths::configDir(), app.path());
        QCOMPARE(AppPaths::logDir(), app.path() + "/logs/vlx_krel_tool");

        QCoreApplication::setApplicationName(QString());
        AppPaths::setAppDirOverride("/dev/null/not-a-folder");
        const QString config = AppPaths::configDir(), log = AppPaths::logDir();
        QCoreApplication::setApplicationName("Veltirx Krel Tool");
        QCOMPARE(AppPaths::configDir(), config);
        QCOMPARE(AppPaths::logDir(), log);
        QCOMPARE(config, home.path() + "/config/vlx_krel_tool");
        QCOMPARE(log, home.path() + "/data/vlx_krel_tool/logs/vlx_krel_tool");
        AppPaths::setAppDirOverride(QString());
    }

    // An installed layout <prefix>/bin + <prefix>/share/vlx-krel-tool: read-only
    // data comes from beside the executable when it is there, else from the share
    // folder; writable files follow the writability of bin alone.
    void dataLookup_data()
    {
        QTest::addColumn<bool>("binWritable");
        QTest::addColumn<bool>("besideHasData");
        QTest::addColumn<bool>("shareHasData");
        QTest::addColumn<QString>("expected"); // "bin", "share"; "bin" also when neither has it
        QTest::newRow("installed, read-only bin") << false << false << true << "share";
        QTest::newRow("read-only bin, data beside preferred") << false << true << true << "bin";
        QTest::newRow("writable bin, data only in share") << true << false << true << "share";
        QTest::newRow("developer build") << true << true << false << "bin";
        QTest::newRow("nowhere: named beside") << true << false << false << "bin";
    }
    void dataLookup()
    {
        QFETCH(bool, binWritable);
        QFETCH(bool, besideHasData);
        QFETCH(bool, shareHasData);
        QFETCH(QString, expected);
        QTemporaryDir home, prefix;
        setHome(home);
        const QString bin = prefix.path() + "/bin", share = prefix.path() + "/share/vlx-krel-tool";
        const QStringList items { "bl_fw", "mcuimage", "doc/user_manual.html" };
        for (const QString& folder : { besideHasData ? bin : QString(), shareHasData ? share : QString() }) {
            if (!folder.isEmpty())
                QVERIFY(QDir().mkpath(folder + "/bl_fw") && QDir().mkpath(folder + "/mcuimage")
                    && writeFile(folder + "/doc/user_manual.html", QByteArray()));
        }
        QVERIFY(QDir().mkpath(bin));
        if (!binWritable) {
            QVERIFY(
                QFile::setPermissions(bin, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther));
            if (AppPaths::isWritableDir(bin)) {
                QFile::setPermissions(bin, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
                QSKIP("permissions do not bind this user (root): no read-only folder to test with");
            }
        }
        AppPaths::setAppDirOverride(bin);

        const QString base = expected == "bin" ? bin : share;
        for (const QString& item : items)
            QCOMPARE(AppPaths::dataPath(item), base + '/' + item);
        QCOMPARE(AppPaths::dataDir(), base);
        QCOMPARE(AppPaths::configDir(), binWritable ? bin : home.path() + "/config/vlx_krel_tool");
        QCOMPARE(AppPaths::logDir(), (binWritable ? bin : home.path() + "/data/vlx_krel_tool") + "/logs/vlx_krel_tool");

        AppPaths::setAppDirOverride(QString());
        QFile::setPermissions(bin, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
};

QTEST_GUILESS_MAIN(TestLogHandler)
#include "tst_loghandler.moc"
