// The two-stage production list behind the command tree: item texts, moves
// across the stage boundary, where new and edited commands are stored.
#include "commandstages.h"
#include "commandstestenv.h"

#include <QtTest>

using CmdTest::setStages;
using CmdTest::stagesText;

class TstCommandStages : public QObject
{
    Q_OBJECT

    CmdTest::AppDir* m_env = nullptr;

private slots:
    void init() { m_env = new CmdTest::AppDir; }
    void cleanup() { delete m_env; }

    void texts_data()
    {
        QTest::addColumn<int>("nameId");
        QTest::addColumn<QString>("title");
        QTest::newRow("in table") << 4 << "write-memory";
        QTest::newRow("table's own zero") << 0 << "unknown command";
        QTest::newRow("past the table") << 12 << "Unknown Command";
        QTest::newRow("negative") << -1 << "Unknown Command";
    }
    void texts()
    {
        QFETCH(int, nameId);
        QFETCH(QString, title);
        const DownloadCommand cmd { QStringLiteral("x"), nameId,
            { { QStringLiteral("memoryId"), QStringLiteral("0x0") },
                { QStringLiteral("address"), QStringLiteral("0x1") } } };
        QCOMPARE(CommandStages::commandTitle(cmd), title);
        QCOMPARE(CommandStages::paramsText(cmd), QStringLiteral("address: 0x1; memoryId: 0x0; "));
    }

    void move_data()
    {
        QTest::addColumn<int>("stage");
        QTest::addColumn<QString>("id");
        QTest::addColumn<bool>("up");
        QTest::addColumn<bool>("moved");
        QTest::addColumn<QString>("after");
        QTest::newRow("down inside Open") << 1 << "a" << false << true << "b a | c d";
        QTest::newRow("last Open down into Close") << 1 << "b" << false << true << "a | b c d";
        QTest::newRow("first Close up into Open") << 2 << "c" << true << true << "a b c | d";
        QTest::newRow("up inside Close") << 2 << "d" << true << true << "a b | d c";
        QTest::newRow("first Open up") << 1 << "a" << true << false << "a b | c d";
        QTest::newRow("last Close down") << 2 << "d" << false << false << "a b | c d";
        QTest::newRow("wrong stage") << 2 << "a" << false << false << "a b | c d";
        QTest::newRow("unknown id") << 1 << "z" << false << false << "a b | c d";
    }
    void move()
    {
        QFETCH(int, stage);
        QFETCH(QString, id);
        QFETCH(bool, up);
        QFETCH(bool, moved);
        QFETCH(QString, after);
        setStages({ "a", "b" }, { "c", "d" });
        QCOMPARE(CommandStages::canMove(stage, id, up), moved);
        QCOMPARE(CommandStages::move(stage, id, up), moved);
        QCOMPARE(stagesText(), after);
    }

    // id "" is a new command placed at index; "a".."c" are stored ones edited.
    void store_data()
    {
        QTest::addColumn<int>("stage");
        QTest::addColumn<QString>("id");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("after");
        QTest::newRow("append") << 1 << "" << -1 << "a b n | c";
        QTest::newRow("insert before first") << 1 << "" << 0 << "n a b | c";
        QTest::newRow("insert after last Close") << 2 << "" << 1 << "a b | c n";
        QTest::newRow("index past the end") << 2 << "" << 7 << "a b | c n";
        QTest::newRow("edit in place") << 1 << "a" << -1 << "a b | c";
        QTest::newRow("edit into Close") << 2 << "a" << -1 << "b | c a";
        QTest::newRow("edit into Open") << 1 << "c" << -1 << "a b c | ";
        QTest::newRow("edited after deletion") << 2 << "gone" << -1 << "a b | c gone";
    }
    void store()
    {
        QFETCH(int, stage);
        QFETCH(QString, id);
        QFETCH(int, index);
        QFETCH(QString, after);
        setStages({ "a", "b" }, { "c" });
        DownloadCommand cmd = CmdTest::command(id, 9, QStringLiteral("2"));
        QVERIFY(CommandStages::store(stage, index, cmd, QStringLiteral("n")));
        QCOMPARE(stagesText(), after);
        QCOMPARE(cmd.id, id.isEmpty() ? QStringLiteral("n") : id);
        const QList<DownloadCommand> list = CommandStages::commands(stage);
        const auto it
            = std::find_if(list.cbegin(), list.cend(), [&](const DownloadCommand& c) { return c.id == cmd.id; });
        QVERIFY(it != list.cend());
        QCOMPARE(it->params.value(QStringLiteral("type")), QStringLiteral("2"));
    }

    void storeRefused()
    {
        setStages({ "a" }, {});
        DownloadCommand cmd = CmdTest::command(QStringLiteral("a"), 9, QStringLiteral("bad\x01"));
        QVERIFY(!CommandStages::store(EStageClose, -1, cmd, QStringLiteral("n")));
        QCOMPARE(stagesText(), QStringLiteral("a | "));
    }

    void insertAndRemove()
    {
        setStages({ "a", "b" }, { "c" });
        QCOMPARE(CommandStages::insertIndex(EStageOpen, QStringLiteral("b"), false), 1);
        QCOMPARE(CommandStages::insertIndex(EStageOpen, QStringLiteral("b"), true), 2);
        QCOMPARE(CommandStages::insertIndex(EStageClose, QStringLiteral("b"), true), -1);
        const QList<CommandStages::Ref> refs { { EStageClose, QStringLiteral("c") },
            { EStageOpen, QStringLiteral("a") } };
        QStringList ids;
        for (const DownloadCommand& c : CommandStages::inRunOrder(refs))
            ids << c.id;
        QCOMPARE(ids, QStringList({ "a", "c" }));
        QCOMPARE(CommandStages::remove(refs), 2);
        QCOMPARE(stagesText(), QStringLiteral("b | "));
    }
};

QTEST_GUILESS_MAIN(TstCommandStages)
#include "tst_commandstages.moc"
