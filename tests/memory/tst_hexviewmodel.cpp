// The memory view without widgets: rows and address column of the viewer's
// model, appends that fill the last row first, the paired selection, the
// load/erase requests, the erasable rule of the shipped catalogue, and saving.
#include "hexselectionmodel.h"
#include "hexviewmodel.h"
#include "memorycommands.h"
#include "memorydump.h"
#include "socdatabase.h"

#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

using DevelopViews::HexSelectionModel;
using DevelopViews::HexViewModel;

namespace {

QByteArray pattern(int size, int seed = 0)
{
    QByteArray b(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        b[i] = char(i * 13 + seed);
    return b;
}

// Rows inserted and cells changed, in the order the model announced them.
struct ChangeLog
{
    QStringList events;
    QObject scope;
    explicit ChangeLog(HexViewModel& m)
    {
        QObject::connect(
            &m, &QAbstractItemModel::rowsInserted, &scope, [this](const QModelIndex&, int first, int last) {
                events.append(QStringLiteral("ins %1-%2").arg(first).arg(last));
            });
        QObject::connect(
            &m, &QAbstractItemModel::dataChanged, &scope, [this](const QModelIndex& a, const QModelIndex& b) {
                events.append(QStringLiteral("chg %1:%2-%3").arg(a.row()).arg(a.column()).arg(b.column()));
            });
    }
};

} // namespace

class TestHexViewModel : public QObject
{
    Q_OBJECT

private slots:
    void rowsAndAddressColumn_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("length");
        QTest::addColumn<QList<int>>("rowBytes");
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("lastRowAddress");
        QTest::newRow("40 bytes at 0x80000000") << "0x80000000"
                                                << "40" << QList<int> { 16, 16, 8 } << 8 << "0x80000020";
        QTest::newRow("small address, still 8 digits") << "10"
                                                       << "16" << QList<int> { 16 } << 8 << "0x00000010";
        QTest::newRow("end past 32 bits") << "0xFFFFFFF0"
                                          << "32" << QList<int> { 16, 16 } << 9 << "0x100000000";
        QTest::newRow("unreadable address is 0") << "xyz"
                                                 << "3" << QList<int> { 3 } << 8 << "0x00000000";
    }
    void rowsAndAddressColumn()
    {
        QFETCH(QString, address);
        QFETCH(QString, length);
        QFETCH(QList<int>, rowBytes);
        QFETCH(int, width);
        QFETCH(QString, lastRowAddress);
        HexViewModel m;
        m.setAddress(address, length);
        const QByteArray data = pattern(length.toInt());
        m.append(data);
        QCOMPARE(m.rowCount(), rowBytes.size());
        QCOMPARE(m.columnCount(), 32);
        QCOMPARE(m.addressWidth(), width);
        QCOMPARE(m.headerData(m.rowCount() - 1, Qt::Vertical).toString(), lastRowAddress);
        // The last row ends with the last byte's two cells; after them nothing can be selected.
        const int r = rowBytes.size() - 1, n = rowBytes.last();
        const uint8_t b = uint8_t(data.at(data.size() - 1));
        QCOMPARE(m.data(m.index(r, n - 1)).toString(), QString::number(b, 16).toUpper().rightJustified(2, '0'));
        QCOMPARE(m.data(m.index(r, 16 + n - 1)).toString(), QString(HexViewModel::displayChar(b)));
        QCOMPARE(m.flags(m.index(r, n % 16)) == Qt::NoItemFlags, n < 16);
    }

    void appendsFillTheLastRowFirst_data()
    {
        QTest::addColumn<QList<int>>("pieces");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("whole rows") << QList<int> { 32, 16 } << QStringList { "ins 0-1", "ins 2-2" };
        QTest::newRow("partial then across")
            << QList<int> { 5, 20, 7 } << QStringList { "ins 0-0", "chg 0:5-31", "ins 1-1", "chg 1:9-31" };
        QTest::newRow("inside one row") << QList<int> { 3, 4 } << QStringList { "ins 0-0", "chg 0:3-22" };
        QTest::newRow("fills exactly") << QList<int> { 10, 6, 1 }
                                       << QStringList { "ins 0-0", "chg 0:10-31", "ins 1-1" };
        QTest::newRow("empty piece") << QList<int> { 8, 0 } << QStringList { "ins 0-0" };
    }
    void appendsFillTheLastRowFirst()
    {
        QFETCH(QList<int>, pieces);
        QFETCH(QStringList, expected);
        HexViewModel m;
        ChangeLog log(m);
        QByteArray all;
        for (int n : pieces) {
            const QByteArray piece = pattern(n, all.size());
            QCOMPARE(m.append(piece), n);
            all += piece;
        }
        QCOMPARE(log.events, expected);
        QCOMPARE(m.bytes(), all);
        m.clear();
        QCOMPARE(m.rowCount(), 0);
    }

    // With the length announced the buffer holds no more than the data (its
    // capacity would otherwise double as it grows).
    void memoryStaysNearTheData()
    {
        HexViewModel m;
        m.setAddress(QStringLiteral("0x80000000"), QStringLiteral("1048576"));
        const QByteArray piece = pattern(512);
        for (int i = 0; i < 2048; ++i)
            m.append(piece);
        QCOMPARE(m.bytes().size(), 1 << 20);
        QVERIFY2(m.bytesHeld() <= (3 << 20) / 2, qPrintable(QString::number(m.bytesHeld())));
    }

    void pairedSelection_data()
    {
        QTest::addColumn<QRect>("cells"); // x = column, y = row
        QTest::addColumn<int>("count");
        QTest::addColumn<QList<QPoint>>("mustHave");
        QTest::newRow("hex cell") << QRect(3, 0, 1, 1) << 2 << QList<QPoint> { { 3, 0 }, { 19, 0 } };
        QTest::newRow("character cell") << QRect(20, 1, 1, 1) << 2 << QList<QPoint> { { 4, 1 }, { 20, 1 } };
        QTest::newRow("block of hex cells") << QRect(0, 0, 2, 2) << 8 << QList<QPoint> { { 17, 1 }, { 16, 0 } };
        QTest::newRow("across the halves")
            << QRect(14, 0, 4, 1) << 8 << QList<QPoint> { { 0, 0 }, { 1, 0 }, { 30, 0 }, { 31, 0 } };
        QTest::newRow("whole row") << QRect(0, 2, 32, 1) << 32 << QList<QPoint> { { 31, 2 } };
    }
    void pairedSelection()
    {
        QFETCH(QRect, cells);
        QFETCH(int, count);
        QFETCH(QList<QPoint>, mustHave);
        HexViewModel m;
        m.append(pattern(48));
        HexSelectionModel sel(&m);
        sel.select(QItemSelection(m.index(cells.top(), cells.left()), m.index(cells.bottom(), cells.right())),
            QItemSelectionModel::ClearAndSelect);
        const QModelIndexList got = sel.selectedIndexes();
        QSet<QPair<int, int>> unique;
        for (const QModelIndex& i : got)
            unique.insert({ i.column(), i.row() });
        QCOMPARE(got.size(), count);
        QCOMPARE(unique.size(), count);
        for (const QPoint& p : mustHave)
            QVERIFY2(unique.contains({ p.x(), p.y() }), qPrintable(QStringLiteral("%1,%2").arg(p.x()).arg(p.y())));

        // A toggle of one cell toggles its partner too.
        sel.select(m.index(cells.top(), cells.left()), QItemSelectionModel::Toggle);
        QVERIFY(!sel.isSelected(m.index(cells.top(), cells.left())));
        QVERIFY(!sel.isSelected(m.index(cells.top(), (cells.left() + 16) % 32)));
    }

    void requests_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("memoryId");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("length");
        QTest::addColumn<QString>("error");
        QTest::addColumn<int>("nameId");
        QTest::addColumn<QStringList>("params"); // key=value, in key order
        QTest::newRow("read") << "read"
                              << "0x10000"
                              << "0x80000000"
                              << "40"
                              << "" << 5
                              << QStringList { "address=0x80000000", "length=40", "memoryId=0x10000",
                                     "showReadMemoryLog=false" };
        QTest::newRow("read as typed") << "read"
                                       << "0"
                                       << " 80000000"
                                       << "040"
                                       << "" << 5
                                       << QStringList { "address= 80000000", "length=040", "memoryId=0",
                                              "showReadMemoryLog=false" };
        QTest::newRow("read, empty address") << "read"
                                             << "0"
                                             << ""
                                             << "40"
                                             << "Address is empty!" << 0 << QStringList();
        QTest::newRow("read, empty length") << "read"
                                            << "0"
                                            << "0x0"
                                            << ""
                                            << "Length is empty!" << 0 << QStringList();
        QTest::newRow("read, both empty") << "read"
                                          << "0"
                                          << ""
                                          << ""
                                          << "Address is empty!" << 0 << QStringList();
        QTest::newRow("read, blank length") << "read"
                                            << "0"
                                            << "0x0"
                                            << "  "
                                            << "Length is empty!" << 0 << QStringList();
        QTest::newRow("read, no memory") << "read"
                                         << ""
                                         << "0x0"
                                         << "4"
                                         << "No memory is chosen!" << 0 << QStringList();
        QTest::newRow("erase") << "erase"
                               << "0x10000"
                               << "0x80001000"
                               << "4096"
                               << "" << 7 << QStringList { "address=0x80001000", "length=4096", "memoryId=0x10000" };
        QTest::newRow("erase, empty length") << "erase"
                                             << "0x10000"
                                             << "0x80001000"
                                             << ""
                                             << "Length is empty!" << 0 << QStringList();
        QTest::newRow("erase all") << "eraseAll"
                                   << "0x10000"
                                   << ""
                                   << ""
                                   << "" << 8 << QStringList { "memoryId=0x10000" };
        QTest::newRow("erase all, no memory") << "eraseAll"
                                              << ""
                                              << ""
                                              << ""
                                              << "No memory is chosen!" << 0 << QStringList();
    }
    void requests()
    {
        QFETCH(QString, kind);
        QFETCH(QString, memoryId);
        QFETCH(QString, address);
        QFETCH(QString, length);
        QFETCH(QString, error);
        QFETCH(int, nameId);
        QFETCH(QStringList, params);
        MemoryViewItemInfo memory;
        memory.name = QStringLiteral("M");
        memory.value = memoryId;
        const MemoryRequest r = kind == "read" ? MemoryCommands::read(memory, address, length)
            : kind == "erase"                  ? MemoryCommands::erase(memory, address, length)
                                               : MemoryCommands::eraseAll(memory);
        QCOMPARE(r.ok, error.isEmpty());
        QCOMPARE(r.error, error);
        if (!r.ok)
            return;
        QCOMPARE(r.command.nameId, nameId);
        QVERIFY(!r.command.id.isEmpty() && !r.command.id.startsWith('{'));
        QStringList got;
        for (auto it = r.command.params.cbegin(); it != r.command.params.cend(); ++it)
            got.append(it.key() + '=' + it.value());
        QCOMPARE(got, params);
    }

    // The shipped catalogue: every SoC's XPI0 NOR can be erased, ILM and OTP not.
    void erasableRule_data()
    {
        QTest::addColumn<QString>("memory");
        QTest::addColumn<bool>("erasable");
        QTest::newRow("XPI0 NOR") << "XPI0 NOR" << true;
        QTest::newRow("ILM") << "ILM" << false;
        QTest::newRow("OTP") << "OTP" << false;
    }
    void erasableRule()
    {
        QFETCH(QString, memory);
        QFETCH(bool, erasable);
        Q_INIT_RESOURCE(soccatalogue);
        QFile f(QStringLiteral(":/config/common.xml"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QList<SocInfo> socs;
        QVERIFY(SocDatabase::parseDocument(f.readAll(), {}, socs));
        QVERIFY(!socs.isEmpty());
        for (const SocInfo& soc : socs) {
            int found = 0;
            for (const MemoryViewItemInfo& m : soc.memoryView) {
                if (m.name != memory)
                    continue;
                ++found;
                QCOMPARE(MemoryCommands::isErasable(QVariant::fromValue(m)), erasable);
            }
            QVERIFY2(found == 1, qPrintable(soc.name));
        }
        QVERIFY(!MemoryCommands::isErasable(QVariant()));
    }

    void saveRoundTrip_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("firstLine");
        QTest::newRow("raw") << "dump.bin" << QByteArray();
        QTest::newRow("text") << "dump.TXT"
                              << QByteArray(
                                     "0x80000000  00 0D 1A 27 34 41 4E 5B 68 75 82 8F 9C A9 B6 C3  ...'4AN[hu......");
    }
    void saveRoundTrip()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, firstLine);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        const QByteArray data = pattern(40);
        QString error;
        QVERIFY(MemoryDump::save(path, data, 0x80000000u, 8, &error));
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray content = f.readAll();
        if (firstLine.isEmpty()) {
            QCOMPARE(content, data);
        } else {
            const QList<QByteArray> lines = content.split('\n');
            QCOMPARE(lines.size(), 4); // three rows and the final newline
            QCOMPARE(lines[0], firstLine);
            QCOMPARE(lines[2], QByteArray("0x80000020  A0 AD BA C7 D4 E1 EE FB                          ........"));
        }
        // An unwritable place: false with a reason, nothing left behind.
        QVERIFY(!MemoryDump::save(dir.filePath("missing/x.bin"), data, 0, 8, &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(!QFile::exists(dir.filePath("missing/x.bin")));
    }
};

QTEST_GUILESS_MAIN(TestHexViewModel)
#include "tst_hexviewmodel.moc"
