// Window placement and the start-up window.
#include "mainwindow.h"
#include "startup.h"

#include <QTest>

class TestStartup : public QObject
{
    Q_OBJECT
private slots:
    void placement_data()
    {
        QTest::addColumn<QSize>("frame");
        QTest::addColumn<QRect>("area");
        QTest::addColumn<bool>("centred");
        QTest::addColumn<QPoint>("topLeft");
        QTest::newRow("fits") << QSize(1280, 720) << QRect(0, 0, 1920, 1040) << true << QPoint(320, 160);
        QTest::newRow("second screen, odd") << QSize(1281, 721) << QRect(1920, 30, 1920, 1050) << true
                                            << QPoint(1920 + 319, 30 + 164);
        QTest::newRow("too wide") << QSize(1280, 720) << QRect(0, 0, 1280, 1000) << false << QPoint();
        QTest::newRow("too high") << QSize(1280, 720) << QRect(0, 0, 1600, 700) << false << QPoint();
    }
    void placement()
    {
        QFETCH(QSize, frame);
        QFETCH(QRect, area);
        QFETCH(bool, centred);
        QFETCH(QPoint, topLeft);
        QPoint got;
        QCOMPARE(Startup::centredPosition(frame, area, &got), centred);
        if (centred)
            QCOMPARE(got, topLeft);
    }

    void mainWindow()
    {
        DevelopViews::MainWindow w;
        QCOMPARE(w.windowTitle(), QString("Veltrix Krel"));
        QCOMPARE(w.size(), QSize(1280, 720));
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
