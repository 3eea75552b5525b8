// The plain rules behind the window: log line text and colour, run results,
// the overlay's step text and bar position, window placement, style-sheet
// checking, and the translation catalogues.
#include "logline.h"
#include "runreport.h"
#include "startup.h"
#include "stylesheet.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTest>

class TestViewText : public QObject
{
    Q_OBJECT
private slots:
    void lineAndStepText()
    {
        QCOMPARE(LogLine::text(QTime(9, 5, 3), QStringLiteral("Remove USB: x")),
            QStringLiteral("[09:05:03] Remove USB: x"));
        QCOMPARE(RunReport::stepText({ 0, 0, 0, 2, 5, 0, 0 }), QStringLiteral("Run 2nd command, the number of commands is 5"));
        // English ordinals: the teens of every hundred take "th".
        const QStringList ordinals { "1st", "2nd", "3rd", "4th", "11th", "12th", "13th", "21st", "112th", "123rd" };
        for (const QString& o : ordinals)
            QCOMPARE(RunReport::ordinal(o.chopped(2).toInt()), o);
    }

    void logColour_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<QColor>("colour");
        const QColor previous(1, 2, 3);
        QTest::newRow("debug") << 0 << QColor(200, 200, 200);
        QTest::newRow("info") << 1 << QColor(Qt::green);
        QTest::newRow("warning") << 2 << QColor(240, 240, 50);
        QTest::newRow("error") << 3 << QColor(Qt::red);
        QTest::newRow("above 3 keeps the previous") << 4 << previous;
        QTest::newRow("negative keeps the previous") << -1 << previous;
    }
    void logColour()
    {
        QFETCH(int, level);
        QFETCH(QColor, colour);
        QCOMPARE(LogLine::colour(level, QColor(1, 2, 3)), colour);
    }

    void runFinished_data()
    {
        QTest::addColumn<bool>("result");
        QTest::addColumn<QVariantMap>("map");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("level");
        const QVariantMap none{{QStringLiteral("noCommandExecuted"), true}};
        QTest::newRow("nothing ran, true") << true << none << "There is no command to be executed!" << 2;
        QTest::newRow("nothing ran, false") << false << none << "There is no command to be executed!" << 2;
        QTest::newRow("success") << true << QVariantMap{{"romVersion", 1}} << "Commands run finish! Result: success!" << 1;
        QTest::newRow("failure") << false << QVariantMap() << "Commands run finish! Result: failed!" << 3;
    }
    void runFinished()
    {
        QFETCH(bool, result);
        QFETCH(QVariantMap, map);
        QFETCH(QString, text);
        QFETCH(int, level);
        const RunReport::Line line = RunReport::finished(result, map);
        QCOMPARE(line.text, text);
        QCOMPARE(int(line.level), level);
    }

    void percent_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("progress");
        QTest::addColumn<int>("total");
        QTest::addColumn<double>("percent");
        QTest::newRow("no count: the command alone") << 0 << 0 << 1 << 4 << 25.0;
        QTest::newRow("total below 1") << 1 << 1 << 5 << 0 << 0.0;
        QTest::newRow("first of two done: not 100") << 1 << 2 << 100 << 100 << 50.0;
        QTest::newRow("second without progress") << 2 << 2 << 0 << 0 << 50.0;
        QTest::newRow("last done") << 3 << 3 << 7 << 7 << 100.0;
        QTest::newRow("progress beyond total") << 1 << 1 << 9 << 3 << 100.0;
        QTest::newRow("index beyond count") << 9 << 3 << 0 << 10 << (2.0 / 3 * 100);
    }
    void percent()
    {
        QFETCH(int, index);
        QFETCH(int, count);
        QFETCH(int, progress);
        QFETCH(int, total);
        QFETCH(double, percent);
        const DownloadTaskInfo info { 0, 0, 0, index, count, progress, total };
        QVERIFY2(qAbs(RunReport::percent(info) - percent) < 1e-9, qPrintable(QString::number(RunReport::percent(info))));
    }

    void styleSheetCheck_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("problem"); // start of the reason; empty: fine
        QTest::newRow("fine") << "A { color: red; }\nB { x: 1; }" << "";
        QTest::newRow("braces in comment and string") << "/* { */ A { font-family: \"}\"; }" << "";
        QTest::newRow("never closed") << "A { color: red;\nB { x: 1; }" << "'{' at line 1";
        QTest::newRow("stray close") << "A { }\n}" << "'}' without '{' at line 2";
        QTest::newRow("open comment") << "A { }\n/* B { }" << "unterminated comment at line 2";
        QTest::newRow("open string") << "A { font-family: \"x; }\n" << "unterminated string";
    }
    void styleSheetCheck()
    {
        QFETCH(QString, text);
        QFETCH(QString, problem);
        const QString got = StyleSheet::check(text);
        if (problem.isEmpty())
            QCOMPARE(got, QString());
        else
            QVERIFY2(got.startsWith(problem), qPrintable(got));
    }

    void shippedStyleSheetsHoldTogether_data()
    {
        QTest::addColumn<QString>("file");
        const QDir dir(QStringLiteral(KREL_SOURCE_DIR "/resources/qss"));
        for (const QString& name : dir.entryList({QStringLiteral("*.qss")}))
            QTest::newRow(qPrintable(name)) << dir.filePath(name);
    }
    void shippedStyleSheetsHoldTogether()
    {
        QFETCH(QString, file);
        QString why;
        QVERIFY2(!StyleSheet::load(file, &why).isEmpty(), qPrintable(why));
    }

    void placement_data()
    {
        QTest::addColumn<QSize>("frame");
        QTest::addColumn<QRect>("area");
        QTest::addColumn<bool>("centred");
        QTest::addColumn<QPoint>("topLeft");
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

    // Every catalogue entry is translated; English, the source language, only
    // carries plural forms.
    void catalogues_data()
    {
        QTest::addColumn<QString>("file");
        const QDir dir(QStringLiteral(KREL_SOURCE_DIR "/resources/language"));
        const QStringList files = dir.entryList({QStringLiteral("*.ts")});
        QVERIFY(files.size() >= 2);
        for (const QString& name : files)
            QTest::newRow(qPrintable(name)) << dir.filePath(name);
    }
    void catalogues()
    {
        QFETCH(QString, file);
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(f.readAll());
        QVERIFY2(!text.contains(QStringLiteral("type=\"unfinished\"")), "unfinished entries");
        QVERIFY2(!text.contains(QStringLiteral("type=\"vanished\"")), "vanished entries");
        if (file.endsWith(QStringLiteral("_zh_CN.ts"))) {
            QString en = file;
            en.replace(QStringLiteral("_zh_CN.ts"), QStringLiteral("_en.ts"));
            QVERIFY2(QFile::exists(en), "no English pair");
            QVERIFY(text.contains(QStringLiteral("<translation>")));
        }
    }
};

QTEST_MAIN(TestViewText)
#include "tst_viewtext.moc"
