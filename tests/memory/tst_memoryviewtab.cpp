// The memory view: its model, selection, requests and saving without widgets; the tab
// offscreen; and an OTP load run by the orchestrator against the ROM simulator.
#include "hexselectionmodel.h"
#include "hexviewmodel.h"
#include "hexviewwidget.h"
#include "memorycommands.h"
#include "memorydump.h"
#include "memoryviewtab.h"
#include "poolwait.h"
#include "romrig.h"
#include "romuimode.h"
#include "scriptedhotplugsource.h"
#include "socdatabase.h"
#include "tempappdir.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QSet>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using DevelopViews::HexSelectionModel;
using DevelopViews::HexViewModel;
using RomCmd::RomUiMode;

namespace MemTest {

// A temporary application directory with a one-SoC catalogue (ILM, an erasable
// XPI0 NOR, OTP with 32 fuse words), an empty project selecting it, and a tab
// whose questions and file dialog are answered by script.
QByteArray catalogue()
{
    QByteArray xml = "<?xml version=\"1.0\" encoding=\"utf-8\"?><configuration><socs>"
                     "<soc name=\"M1\" vid=\"0x34B7\" pid=\"0x0009\"><memoryView>"
                     "<memory name=\"ILM\" value=\"0\"/><memory name=\"XPI0 NOR\" value=\"0x10000\" erasable=\"1\"/>"
                     "<memory name=\"OTP\" value=\"0x20000\"/></memoryView><fuseMap>";
    for (int i = 0; i < 32; ++i)
        xml += QStringLiteral("<word index=\"%1\" type=\"GENERAL\" desc=\"W\"><field name=\"F%1\" offset=\"0\" "
                              "width=\"32\" type=\"none\"/></word>")
                   .arg(i)
                   .toLatin1();
    return xml + "</fuseMap></soc></socs></configuration>";
}

struct AppDir : TempAppDir
{
    AppDir()
        : TempAppDir(catalogue(), QStringLiteral("M1"))
    { }
};

// The tab with scripted answers: every question gets `answer`, the file dialog `savePath`.
class Tab : public DevelopViews::MemoryViewTab
{
public:
    int answer = 0;
    QString savePath;
    QStringList questions;
    QList<QPair<QString, int>> logs;

    Tab()
    {
        connect(this, &MemoryViewTab::signalAddLogs, this, [this](const QString& text, LogLevel level) {
            logs.append({ text, int(level) });
        });
    }
    void choose(const QString& memory) { memoryChooser()->setCurrentIndex(memoryChooser()->findText(memory)); }
    // Fills the fields and presses Load, as a user does.
    void load(const QString& address, const QString& length)
    {
        addressEdit()->setText(address);
        lengthEdit()->setText(length);
        loadButton()->click();
    }

protected:
    int ask(QMessageBox::Icon, const QString&, const QString& text, const QStringList&) override
    {
        questions.append(text);
        return answer;
    }
    QString saveFileName(const QString&, const QString&, const QString&) override { return savePath; }
};

} // namespace MemTest

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

QVector<uint8_t> bytes(int size, int seed)
{
    QVector<uint8_t> v(size);
    for (int i = 0; i < size; ++i)
        v[i] = uint8_t(i + seed);
    return v;
}

} // namespace

class TestMemoryViewTab : public QObject
{
    Q_OBJECT

private slots:
    void rowsAndAddressColumn_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<int>("length");
        QTest::addColumn<QList<int>>("rowBytes");
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("lastRowAddress");
        QTest::newRow("40 bytes at 0x80000000") << "0x80000000" << 40 << QList<int> { 16, 16, 8 } << 8 << "0x80000020";
        QTest::newRow("small address, still 8 digits") << "10" << 16 << QList<int> { 16 } << 8 << "0x00000010";
        QTest::newRow("end past 32 bits") << "0xFFFFFFF0" << 32 << QList<int> { 16, 16 } << 9 << "0x100000000";
        QTest::newRow("unreadable address is 0") << "xyz" << 3 << QList<int> { 3 } << 8 << "0x00000000";
    }
    void rowsAndAddressColumn()
    {
        QFETCH(QString, address);
        QFETCH(int, length);
        QFETCH(QList<int>, rowBytes);
        QFETCH(int, width);
        QFETCH(QString, lastRowAddress);
        HexViewModel m;
        m.setAddress(address, QString::number(length));
        const QByteArray data = pattern(length);
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

    // "kind|memoryId|address|length"; expected: the keys in order, or the refusal.
    void requests_data()
    {
        QTest::addColumn<QString>("request");
        QTest::addColumn<int>("nameId"); // 0: refused
        QTest::addColumn<QString>("expected");
        const QString readKeys = "address=0x80000000;length=40;memoryId=0x10000;showReadMemoryLog=false";
        QTest::newRow("read") << "read|0x10000|0x80000000|40" << 5 << readKeys;
        QTest::newRow("read as typed") << "read|0| 80000000|040" << 5
                                       << "address= 80000000;length=040;memoryId=0;showReadMemoryLog=false";
        QTest::newRow("read, empty address") << "read|0||40" << 0 << "Address is empty!";
        QTest::newRow("read, empty length") << "read|0|0x0|" << 0 << "Length is empty!";
        QTest::newRow("read, blank length") << "read|0|0x0|  " << 0 << "Length is empty!";
        QTest::newRow("read, no memory") << "read||0x0|4" << 0 << "No memory is chosen!";
        QTest::newRow("erase") << "erase|0x10000|0x80001000|4096" << 7
                               << "address=0x80001000;length=4096;memoryId=0x10000";
        QTest::newRow("erase, empty length") << "erase|0x10000|0x80001000|" << 0 << "Length is empty!";
        QTest::newRow("erase all") << "eraseAll|0x10000||" << 8 << "memoryId=0x10000";
        QTest::newRow("erase all, no memory") << "eraseAll|||" << 0 << "No memory is chosen!";
    }
    void requests()
    {
        QFETCH(QString, request);
        QFETCH(int, nameId);
        QFETCH(QString, expected);
        const QStringList in = request.split('|');
        MemoryViewItemInfo memory;
        memory.name = QStringLiteral("M");
        memory.value = in[1];
        const MemoryRequest r = in[0] == "read" ? MemoryCommands::read(memory, in[2], in[3])
            : in[0] == "erase"                  ? MemoryCommands::erase(memory, in[2], in[3])
                                                : MemoryCommands::eraseAll(memory);
        QCOMPARE(r.ok, nameId != 0);
        QCOMPARE(r.error, r.ok ? QString() : expected);
        if (!r.ok)
            return;
        QCOMPARE(r.command.nameId, nameId);
        QVERIFY(!r.command.id.isEmpty() && !r.command.id.startsWith('{'));
        QStringList got;
        for (auto it = r.command.params.cbegin(); it != r.command.params.cend(); ++it)
            got.append(it.key() + '=' + it.value());
        QCOMPARE(got.join(';'), expected);
    }

    // The shipped catalogue: every SoC's XPI0 NOR can be erased, ILM and OTP not.
    void erasableRule()
    {
        Q_INIT_RESOURCE(soccatalogue);
        QList<SocInfo> socs;
        QVERIFY(SocDatabase::parseDocument(readFile(QStringLiteral(":/config/common.xml")), {}, socs));
        QVERIFY(!socs.isEmpty());
        for (const SocInfo& soc : socs) {
            QStringList found;
            for (const MemoryViewItemInfo& m : soc.memoryView)
                if (m.name == "XPI0 NOR" || m.name == "ILM" || m.name == "OTP") {
                    found << m.name;
                    QCOMPARE(MemoryCommands::isErasable(QVariant::fromValue(m)), m.name == "XPI0 NOR");
                }
            QVERIFY2(found.size() == 3 && found.removeDuplicates() == 0, qPrintable(soc.name));
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
        const QByteArray content = readFile(path);
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

    // "button|address|length"; the answer to its question; what it emits (0: nothing) or logs.
    // The refusals themselves are the requests' table; here one shows it reaches the log.
    void buttons_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("nameId");
        QTest::addColumn<QString>("error");
        QTest::newRow("load") << "load|0x80000000|40" << 0 << 5 << "";
        QTest::newRow("load, empty address") << "load||40" << 0 << 0 << "Address is empty!";
        QTest::newRow("erase") << "erase|0x80000000|4096" << 0 << 7 << "";
        QTest::newRow("erase, cancelled") << "erase|0x80000000|4096" << 1 << 0 << "";
        QTest::newRow("erase all") << "eraseAll||" << 0 << 8 << "";
        QTest::newRow("erase all, box closed") << "eraseAll||" << -1 << 0 << "";
    }
    void buttons()
    {
        QFETCH(QString, input);
        QFETCH(int, answer);
        QFETCH(int, nameId);
        QFETCH(QString, error);
        const QStringList in = input.split('|');
        const QString button = in[0], address = in[1], length = in[2];
        MemTest::AppDir app;
        MemTest::Tab tab;
        tab.choose("XPI0 NOR");
        tab.answer = answer;
        // Bytes of an earlier load stay unless a new load starts.
        tab.load("0x10", "4");
        tab.slotMemoryDataReadFinished(0x10, bytes(4, 0));
        QSignalSpy runs(&tab, &DevelopViews::MemoryViewTab::signalCommondsRun);

        tab.addressEdit()->setText(address);
        tab.lengthEdit()->setText(length);
        QPushButton* b = button == "load" ? tab.loadButton()
            : button == "erase"           ? tab.eraseButton()
                                          : tab.eraseAllButton();
        b->click();

        QCOMPARE(tab.questions.size(), button == "load" ? 0 : 1);
        QCOMPARE(runs.count(), nameId ? 1 : 0);
        if (nameId) {
            const auto list = runs[0][0].value<QList<DownloadCommand>>();
            QCOMPARE(list.size(), 1);
            QCOMPARE(list[0].nameId, nameId);
            QCOMPARE(list[0].params.value("memoryId"), QStringLiteral("0x10000"));
            QCOMPARE(list[0].params.value("address"), nameId == 8 ? QString() : address);
        }
        QCOMPARE(tab.logs.size(), error.isEmpty() ? 0 : 1);
        if (!error.isEmpty())
            QCOMPARE(tab.logs[0], qMakePair(error, 3));
        QCOMPARE(tab.hexView()->hexModel()->bytes().size(), nameId == 5 ? 0 : 4);
    }

    void viewerFilledByItsOwnLoad()
    {
        MemTest::AppDir app;
        MemTest::Tab tab;
        tab.resize(900, 400);
        tab.show();
        // The erase buttons follow the chosen memory's erasable flag.
        QCOMPARE(tab.memoryChooser()->count(), 3);
        tab.choose("ILM");
        QVERIFY(!tab.eraseButton()->isEnabled() && !tab.eraseAllButton()->isEnabled());
        tab.choose("XPI0 NOR");
        QVERIFY(tab.eraseButton()->isEnabled() && tab.eraseAllButton()->isEnabled());
        QCOMPARE(tab.memoryChooser()->currentData().value<MemoryViewItemInfo>().name, QStringLiteral("XPI0 NOR"));
        tab.load("0x80000000", "40");
        QVERIFY(tab.isLoading());
        tab.slotMemoryDataReadFinished(0x80000000u, bytes(16, 0));
        tab.slotMemoryDataReadFinished(0x90000000u, bytes(16, 100)); // another run's read
        tab.slotMemoryDataReadFinished(0x80000000u, bytes(30, 16)); // clipped at the length
        QVERIFY(!tab.isLoading());
        tab.slotMemoryDataReadFinished(0x80000000u, bytes(8, 100)); // after the load ended

        HexViewModel* m = tab.hexView()->hexModel();
        QCOMPARE(m->bytes(), QByteArray(reinterpret_cast<const char*>(bytes(40, 0).constData()), 40));
        QVERIFY(tab.saveButton()->isEnabled());

        // Clicking a byte's hexadecimal cell selects its character cell too.
        DevelopViews::HexViewWidget* view = tab.hexView();
        const QRect cell = view->visualRect(m->index(1, 5));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
        const QModelIndexList selected = view->selectionModel()->selectedIndexes();
        QCOMPARE(selected.size(), 2);
        QVERIFY(view->selectionModel()->isSelected(m->index(1, 21)));
        // A drag selects the bytes between its ends, row after row; Ctrl+A all of them.
        QTest::mousePress(view->viewport(), Qt::LeftButton, {}, view->visualRect(m->index(0, 30)).center());
        QMouseEvent move(
            QEvent::MouseMove, view->visualRect(m->index(1, 1)).center(), Qt::NoButton, Qt::LeftButton, {});
        QApplication::sendEvent(view->viewport(), &move);
        QCOMPARE(view->selectionModel()->selectedIndexes().size(), 8);
        QCOMPARE(view->selectedText(), QStringLiteral("0E 0F 10 11"));
        QTest::keyClick(view, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(view->selectedText().split('\n').size(), 3);

        tab.savePath = app.filePath("read.bin");
        tab.saveButton()->click();
        QCOMPARE(readFile(tab.savePath), m->bytes());
        QCOMPARE(tab.logs.last().second, 1);

        // A run that fails half way leaves what did arrive readable and savable.
        tab.load("0x80000000", "40");
        tab.slotMemoryDataReadFinished(0x80000000u, bytes(16, 0));
        tab.slotRunFinished(false);
        QCOMPARE(tab.statusLabel()->text(), QStringLiteral("16 of 40 bytes read from 0x80000000"));
        QVERIFY(tab.saveButton()->isEnabled());
        QCOMPARE(tab.logs.last(), qMakePair(QStringLiteral("The read ended after 16 of 40 bytes."), int(LogWarning)));
    }

    // The runner's OTP lock check reads word 0 (4 bytes at address 0) before a read
    // of the OTP; those bytes come through the same slot and are not the load's.
    void otpWord0BeforeTheLoad_data()
    {
        QTest::addColumn<QString>("memory");
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("firstOfView"); // seed of the view's first byte
        QTest::newRow("OTP, 8 bytes") << "OTP" << 8 << 50;
        QTest::newRow("OTP, word 0 alone") << "OTP" << 4 << 0;
        QTest::newRow("ILM") << "ILM" << 8 << 0;
    }
    void otpWord0BeforeTheLoad()
    {
        QFETCH(QString, memory);
        QFETCH(int, length);
        QFETCH(int, firstOfView);
        MemTest::AppDir app;
        MemTest::Tab tab;
        tab.choose(memory);
        tab.load("0", QString::number(length));
        tab.slotMemoryDataReadFinished(0, bytes(4, 0));
        tab.slotMemoryDataReadFinished(0, bytes(length, 50));
        const QByteArray got = tab.hexView()->hexModel()->bytes();
        QCOMPARE(got.size(), length);
        QCOMPARE(int(uint8_t(got.at(0))), firstOfView);
    }

    // The runner reads OTP word 0 before the load (its lock check); the viewer ends
    // up holding exactly the simulator's words. A flash load is the workbench's test.
    void otpLoadFromTheSimulator()
    {
        const int length = 64;
        MemTest::AppDir app;
        QThreadPool::globalInstance()->setExpiryTimeout(0);
        Rig::UartRig rom;
        rom.engine.setRequireFlashConfig(false);
        for (int i = 0; i < 32; ++i)
            rom.engine.setOtpWord(i, 0xA5000000u + uint32_t(i));
        const QByteArray expected = rom.engine.readBytes(RomSim::MemOtp, 0, length);
        QCOMPARE(expected.size(), length);

        auto* ui = new RomUiMode(std::make_unique<ScriptedHotplugSource>());
        MemTest::Tab tab;
        const QVariant info = rom.info();
        QObject::connect(&tab, &DevelopViews::MemoryViewTab::signalCommondsRun, ui,
            [ui, info](QList<DownloadCommand> list) { ui->slotDeviceDownloadTask(info, EDeviceTypeUart, list); });
        QObject::connect(ui, &RomUiMode::signalMemoryDataReadFinished, &tab,
            &DevelopViews::MemoryViewTab::slotMemoryDataReadFinished);
        QSignalSpy finished(ui, &RomUiMode::signalRunFinished);

        tab.choose("OTP");
        tab.load("0", QString::number(length));
        QVERIFY(PoolWait::waitFor([&] { return !finished.isEmpty(); }));
        QCOMPARE(finished.count(), 1);
        QCOMPARE(finished[0][0].toBool(), true);
        QTRY_VERIFY(!tab.isLoading());
        QCOMPARE(tab.hexView()->hexModel()->bytes(), expected);
        QCOMPARE(tab.hexView()->hexModel()->rowCount(), (length + 15) / 16);

        QVERIFY(PoolWait::drainPool());
        delete ui;
    }
};

QTEST_MAIN(TestMemoryViewTab)
#include "tst_memoryviewtab.moc"
