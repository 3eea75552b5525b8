// Memory view benchmark: a 16 MiB read as the viewer receives it, 32768 pieces of
// 512 bytes, appended (1) to a plain QByteArray, the floor; (2) to HexViewModel
// alone; (3) through MemoryViewTab::slotMemoryDataReadFinished into the tab shown
// (offscreen), the events it causes processed. Prints the GUI thread's time and
// CPU for each, the ratios to the floor, the bytes the model holds against the
// data, and the heap growth of the whole tab run. A program to run by hand.
#include "apppaths.h"
#include "globalsetting.h"
#include "hexviewmodel.h"
#include "hexviewwidget.h"
#include "memoryviewtab.h"
#include "projectconfig.h"
#include "records.h"
#include "socdatabase.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <malloc.h>

using DevelopViews::HexViewModel;
using DevelopViews::MemoryViewTab;

namespace {

constexpr int Pieces = 32768;
constexpr int PieceSize = 512;
constexpr int Total = Pieces * PieceSize;

double threadCpuMs()
{
    timespec ts {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

struct Run
{
    double wallMs = 1e18;
    double cpuMs = 1e18;
    void keepBest(double wall, double cpu)
    {
        wallMs = std::min(wallMs, wall);
        cpuMs = std::min(cpuMs, cpu);
    }
};

template <typename F> void timed(Run& run, F&& body)
{
    QElapsedTimer t;
    const double cpu0 = threadCpuMs();
    t.start();
    body();
    run.keepBest(t.nsecsElapsed() / 1e6, threadCpuMs() - cpu0);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // --shot <png> [<qm>]: a picture of the tab filled with data (translated with the catalogue).
    const QStringList args = QCoreApplication::arguments();
    const int shotAt = args.indexOf(QStringLiteral("--shot"));
    const int repeat = shotAt < 0 && argc > 1 ? std::max(1, atoi(argv[1])) : 3;
    registerMetaTypes();
    QTemporaryDir dir;
    AppPaths::setAppDirOverride(dir.path());
    GlobalSetting::instance().load();
    ProjectConfig::instance().resetForTests();
    QFile xml(dir.filePath("socs.xml"));
    xml.open(QIODevice::WriteOnly);
    xml.write("<?xml version=\"1.0\"?><configuration><socs><soc name=\"B1\" vid=\"0x34B7\" pid=\"0x0009\"><memoryView>"
              "<memory name=\"XPI0 NOR\" value=\"0x10000\" erasable=\"1\"/></memoryView></soc></socs></configuration>");
    xml.close();
    SocDatabase::instance().loadFrom(xml.fileName(), dir.filePath("none"));
    ProjectConfig::instance().setSocType("B1");

    if (shotAt >= 0 && shotAt + 1 < args.size()) {
        QTranslator translator;
        if (shotAt + 2 < args.size() && translator.load(args.at(shotAt + 2)))
            QCoreApplication::installTranslator(&translator);
        MemoryViewTab tab;
        tab.resize(1020, 560);
        tab.addressEdit()->setText(QStringLiteral("0x80000000"));
        tab.lengthEdit()->setText(QStringLiteral("280"));
        tab.loadButton()->click();
        QVector<uint8_t> data(280);
        const char text[] = "VLX boot image header. Hello from the flash! ";
        for (int i = 0; i < data.size(); ++i)
            data[i] = i < 64 ? uint8_t(i * 37 + 5)
                : i < 160    ? uint8_t(text[(i - 64) % (sizeof text - 1)])
                : i < 512    ? 0xFF
                             : uint8_t(i);
        for (int at = 0; at < data.size(); at += 100)
            tab.slotMemoryDataReadFinished(0x80000000u, data.mid(at, 100));
        tab.show();
        QCoreApplication::processEvents();
        QTest::qWait(150);
        DevelopViews::HexViewWidget* view = tab.hexView();
        const QModelIndex a = view->hexModel()->index(4, 2);
        view->selectionModel()->select(QItemSelection(a, view->hexModel()->index(4, 9)), QItemSelectionModel::Select);
        QCoreApplication::processEvents();
        return tab.grab().save(args.at(shotAt + 1)) ? 0 : 1;
    }

    QList<QByteArray> pieces;
    QList<QVector<uint8_t>> vectors;
    for (int p = 0; p < Pieces; ++p) {
        QVector<uint8_t> v(PieceSize);
        for (int i = 0; i < PieceSize; ++i)
            v[i] = uint8_t(p * 31 + i * 7);
        pieces.append(QByteArray(reinterpret_cast<const char*>(v.constData()), PieceSize));
        vectors.append(v);
    }

    Run floor, model, tabRun, scroll;
    constexpr int Frames = 200;
    int pageRows = 0;
    qint64 floorHeld = 0, modelHeld = 0, heapGrowth = 0;
    for (int r = 0; r < repeat; ++r) {
        {
            QByteArray plain;
            timed(floor, [&] {
                for (const QByteArray& p : pieces)
                    plain.append(p);
            });
            floorHeld = plain.capacity();
        }
        {
            HexViewModel m;
            timed(model, [&] {
                m.setAddress(QStringLiteral("0x80000000"), QString::number(Total));
                for (const QByteArray& p : pieces)
                    m.append(p);
            });
            modelHeld = m.bytesHeld();
        }
        {
            MemoryViewTab tab;
            tab.resize(1000, 700);
            tab.show();
            QCoreApplication::processEvents();
            tab.addressEdit()->setText(QStringLiteral("0x80000000"));
            tab.lengthEdit()->setText(QString::number(Total));
            const size_t heap0 = mallinfo2().uordblks;
            timed(tabRun, [&] {
                tab.loadButton()->click();
                // As the queued deliveries come: a few pieces, then the events they caused.
                for (int p = 0; p < Pieces; ++p) {
                    tab.slotMemoryDataReadFinished(0x80000000u, vectors.at(p));
                    if (p % 64 == 63)
                        QCoreApplication::processEvents();
                }
                QCoreApplication::processEvents();
                tab.hexView()->scrollToBottom();
                tab.hexView()->viewport()->repaint();
            });
            heapGrowth = qint64(mallinfo2().uordblks) - qint64(heap0);
            // Scrolling: a page down and a full repaint, Frames times from the top.
            QScrollBar* bar = tab.hexView()->verticalScrollBar();
            bar->setValue(0);
            pageRows = bar->pageStep();
            timed(scroll, [&] {
                for (int f = 0; f < Frames; ++f) {
                    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
                    tab.hexView()->viewport()->repaint();
                }
            });
            if (tab.hexView()->hexModel()->bytes().size() != Total) {
                std::fprintf(stderr, "tab holds %d bytes, not %d\n", tab.hexView()->hexModel()->bytes().size(), Total);
                return 1;
            }
        }
    }

    std::printf("memory view: %d pieces of %d bytes (%d MiB), best of %d\n", Pieces, PieceSize, Total >> 20, repeat);
    std::printf("%-28s %10s %10s %10s\n", "", "wall ms", "cpu ms", "x floor");
    std::printf("%-28s %10.1f %10.1f %10.2f\n", "QByteArray append (floor)", floor.wallMs, floor.cpuMs, 1.0);
    std::printf(
        "%-28s %10.1f %10.1f %10.2f\n", "HexViewModel append", model.wallMs, model.cpuMs, model.cpuMs / floor.cpuMs);
    std::printf("%-28s %10.1f %10.1f %10.2f   target <= 1000 ms GUI thread: %s\n", "tab slot, view shown",
        tabRun.wallMs, tabRun.cpuMs, tabRun.cpuMs / floor.cpuMs, tabRun.cpuMs <= 1000 ? "met" : "MISSED");
    std::printf("scrolling: %.2f ms wall, %.2f ms CPU per page down and repaint (a page: %d rows)\n",
        scroll.wallMs / Frames, scroll.cpuMs / Frames, pageRows);
    std::printf("bytes held: floor %lld, model %lld = %.3f x data (target <= 1.5: %s); heap growth of the tab run "
                "%lld = %.3f x data\n",
        (long long)floorHeld, (long long)modelHeld, double(modelHeld) / Total,
        double(modelHeld) / Total <= 1.5 ? "met" : "MISSED", (long long)heapGrowth, double(heapGrowth) / Total);
    return 0;
}
