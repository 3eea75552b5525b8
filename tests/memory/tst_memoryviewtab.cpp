// The memory view tab offscreen: its chooser and erase buttons, what its buttons
// emit or log, the viewer filled by the read slot (only with its own load's
// bytes), the paired selection under the mouse, and saving.
#include "hexviewwidget.h"
#include "memorytestenv.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

using DevelopViews::HexViewModel;

namespace {

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
    void eraseButtonsFollowTheMemory_data()
    {
        QTest::addColumn<QString>("memory");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("ILM") << "ILM" << false;
        QTest::newRow("XPI0 NOR") << "XPI0 NOR" << true;
        QTest::newRow("OTP") << "OTP" << false;
    }
    void eraseButtonsFollowTheMemory()
    {
        QFETCH(QString, memory);
        QFETCH(bool, enabled);
        MemTest::AppDir app;
        MemTest::Tab tab;
        QCOMPARE(tab.memoryChooser()->count(), 3);
        tab.choose(memory);
        QCOMPARE(tab.eraseButton()->isEnabled(), enabled);
        QCOMPARE(tab.eraseAllButton()->isEnabled(), enabled);
        QCOMPARE(tab.memoryChooser()->currentData().value<MemoryViewItemInfo>().name, memory);
    }

    void buttons_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("length");
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("nameId"); // 0: nothing emitted
        QTest::addColumn<QString>("error");
        QTest::newRow("load") << "load"
                              << "0x80000000"
                              << "40" << 0 << 5 << "";
        QTest::newRow("load, empty address") << "load"
                                             << ""
                                             << "40" << 0 << 0 << "Address is empty!";
        QTest::newRow("load, empty length") << "load"
                                            << "0x80000000"
                                            << "" << 0 << 0 << "Length is empty!";
        QTest::newRow("erase") << "erase"
                               << "0x80000000"
                               << "4096" << 0 << 7 << "";
        QTest::newRow("erase, cancelled") << "erase"
                                          << "0x80000000"
                                          << "4096" << 1 << 0 << "";
        QTest::newRow("erase, empty length") << "erase"
                                             << "0x80000000"
                                             << "" << 0 << 0 << "Length is empty!";
        QTest::newRow("erase all") << "eraseAll"
                                   << ""
                                   << "" << 0 << 8 << "";
        QTest::newRow("erase all, box closed") << "eraseAll"
                                               << ""
                                               << "" << -1 << 0 << "";
    }
    void buttons()
    {
        QFETCH(QString, button);
        QFETCH(QString, address);
        QFETCH(QString, length);
        QFETCH(int, answer);
        QFETCH(int, nameId);
        QFETCH(QString, error);
        MemTest::AppDir app;
        MemTest::Tab tab;
        tab.choose("XPI0 NOR");
        tab.answer = answer;
        // Bytes of an earlier load stay unless a new load starts.
        tab.addressEdit()->setText("0x10");
        tab.lengthEdit()->setText("4");
        tab.loadButton()->click();
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
        tab.choose("XPI0 NOR");
        tab.addressEdit()->setText("0x80000000");
        tab.lengthEdit()->setText("40");
        tab.loadButton()->click();
        QVERIFY(tab.isLoading());
        tab.slotMemoryDataReadFinished(0x80000000u, bytes(16, 0));
        tab.slotMemoryDataReadFinished(0x90000000u, bytes(16, 100)); // another run's read
        tab.slotMemoryDataReadFinished(0x80000000u, bytes(30, 16)); // clipped at the length
        QVERIFY(!tab.isLoading());
        tab.slotMemoryDataReadFinished(0x80000000u, bytes(8, 100)); // after the load ended

        HexViewModel* m = tab.hexView()->hexModel();
        QCOMPARE(m->bytes(), QByteArray(reinterpret_cast<const char*>(bytes(40, 0).constData()), 40));
        QCOMPARE(m->rowCount(), 3);
        QCOMPARE(m->headerData(2, Qt::Vertical).toString(), QStringLiteral("0x80000020"));
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
        QFile f(tab.savePath);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), m->bytes());
        QCOMPARE(tab.logs.last().second, 1);
    }

    // A run that fails half way leaves what did arrive readable and savable.
    void loadCutShort()
    {
        MemTest::AppDir app;
        MemTest::Tab tab;
        tab.choose("XPI0 NOR");
        tab.addressEdit()->setText("0x80000000");
        tab.lengthEdit()->setText("40");
        tab.loadButton()->click();
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
        QTest::addColumn<QString>("length");
        QTest::addColumn<int>("firstOfView"); // seed of the view's first byte
        QTest::newRow("OTP, 8 bytes") << "OTP"
                                      << "8" << 50;
        QTest::newRow("OTP, word 0 alone") << "OTP"
                                           << "4" << 0;
        QTest::newRow("ILM") << "ILM"
                             << "8" << 0;
    }
    void otpWord0BeforeTheLoad()
    {
        QFETCH(QString, memory);
        QFETCH(QString, length);
        QFETCH(int, firstOfView);
        MemTest::AppDir app;
        MemTest::Tab tab;
        tab.choose(memory);
        tab.addressEdit()->setText("0");
        tab.lengthEdit()->setText(length);
        tab.loadButton()->click();
        tab.slotMemoryDataReadFinished(0, bytes(4, 0));
        tab.slotMemoryDataReadFinished(0, bytes(length.toInt(), 50));
        const QByteArray got = tab.hexView()->hexModel()->bytes();
        QCOMPARE(got.size(), length.toInt());
        QCOMPARE(int(uint8_t(got.at(0))), firstOfView);
    }
};

QTEST_MAIN(TestMemoryViewTab)
#include "tst_memoryviewtab.moc"
