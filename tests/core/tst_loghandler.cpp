// The daily log: line format, day change, concurrency, lost folder, tags.
#include "loghandler.h"

#include <QDir>
#include <QFile>
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

    QStringList linesOf(const QDate& day)
    {
        QFile f(m_dir + '/' + day.toString("yyyy-MM-dd") + ".log");
        if (!f.open(QIODevice::ReadOnly))
            return {};
        const QString text = QString::fromUtf8(f.readAll());
        QStringList lines = text.split('\n');
        if (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast();
        return lines;
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
        QCOMPARE(linesOf(QDate(2026, 3, 14)), QStringList{"[14:03:27][Fatal] gone"});
    }

    void unwritableFolderDropsSilently()
    {
        LogHandler::setLogDir("/proc/krel-no-such-dir/logs");
        qCritical("nowhere to go"); // must neither crash nor hang
        QVERIFY(!QFile::exists("/proc/krel-no-such-dir"));
    }
};

QTEST_GUILESS_MAIN(TestLogHandler)
#include "tst_loghandler.moc"
