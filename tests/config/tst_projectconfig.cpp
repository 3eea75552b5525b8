// The project file: envelope and document layout, round trips, image paths,
// command list operations, and bad or interrupted files.
#include "apppaths.h"
#include "constants.h"
#include "logcapture.h"
#include "projectconfig.h"
#include "testfiles.h"

#include <QDomDocument>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// The envelope, written out independently of the code under test.
QByteArray xorKey(QByteArray b)
{
    const QByteArray key("wQe7LPsBTN3xk-9R");
    for (int i = 0; i < b.size(); ++i)
        b[i] = char(b[i] ^ key[i % key.size()]);
    return b;
}
QString unwrap(const QByteArray& file) { return QString::fromUtf8(QByteArray::fromBase64(xorKey(QByteArray::fromBase64(file)))); }
QByteArray envelope(const QByteArray& xml) { return xorKey(xml.toBase64()).toBase64(); }

DownloadCommand command(int nameId, const QMap<QString, QString>& params)
{
    DownloadCommand c;
    c.id = QUuid::createUuid().toString(QUuid::WithoutBraces);
    c.nameId = nameId;
    c.params = params;
    return c;
}

QStringList childNames(const QDomElement& e)
{
    QStringList names;
    for (QDomElement c = e.firstChildElement(); !c.isNull(); c = c.nextSiblingElement())
        names << c.tagName();
    return names;
}

QStringList ids(const QList<DownloadCommand>& list)
{
    QStringList out;
    for (const DownloadCommand& c : list)
        out << c.id;
    return out;
}

} // namespace

class TestProjectConfig : public QObject
{
    Q_OBJECT

private:
    QScopedPointer<QTemporaryDir> m_dir;
    ProjectConfig& pc() { return ProjectConfig::instance(); }
    bool reload() { return pc().reset(), pc().load(pc().filePath()); } // the default file read back afresh
    QString app() const { return m_dir->path(); }

    // Open: A B C, Close: D E
    void fillStages()
    {
        QList<DownloadCommand> open;
        QList<DownloadCommand> close;
        for (const QString n : { "A", "B", "C", "D", "E" }) {
            (n < "D" ? open : close) << command(4, { { QStringLiteral("tag"), n } });
            (n < "D" ? open : close).last().id = n;
        }
        pc().setStageCommands(open, EStageOpen, false);
        pc().setStageCommands(close, EStageClose, false);
    }

private slots:
    void init()
    {
        m_dir.reset(new QTemporaryDir);
        QVERIFY(m_dir->isValid());
        AppPaths::setAppDirOverride(m_dir->path());
        pc().resetForTests();
    }
    void cleanup()
    {
        pc().resetForTests();
        AppPaths::setAppDirOverride(QString());
    }

    void emptyProjectLayout()
    {
        QCOMPARE(pc().filePath(), app() + QStringLiteral("/settingconfig.vlxmfg"));
        QVERIFY(pc().saveDefault());
        const QByteArray file = readFile(pc().filePath());
        QVERIFY(!file.contains('\n'));
        QVERIFY(!file.contains('<'));
        const QString xml = unwrap(file);
        QVERIFY2(xml.startsWith(QStringLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?>")), qPrintable(xml));
        QVERIFY(xml.contains(QStringLiteral("\n    <Base>\n        <SocType")));

        QDomDocument doc;
        QVERIFY(doc.setContent(xml));
        const QDomElement root = doc.documentElement();
        QCOMPARE(root.tagName(), QStringLiteral("Settings"));
        QCOMPARE(childNames(root), QStringList({"Base", "ImgProg", "OTP", "BatchProd", "CustomSoc"}));
        const QDomElement base = root.firstChildElement("Base");
        QCOMPARE(childNames(base), QStringList({"SocType", "ShowOTPWriteViewTips"}));
        QCOMPARE(base.firstChildElement("ShowOTPWriteViewTips").text(), QStringLiteral("0"));
        QCOMPARE(childNames(root.firstChildElement("ImgProg")),
            QStringList({"ImagePath", "FlashType", "FlashAddress", "FlashWord"}));
        QCOMPARE(childNames(root.firstChildElement("BatchProd")), QStringList({"Open", "Close"}));
    }

    void saveLoadRoundTrip()
    {
        const QList<DownloadCommand> open = {
            command(4, {{"memoryId", "0x00020000"}, {"address", "0x00000010"}, {"word", "0x12345678"}}),
            command(1, {}),
            command(99, {{"a", "x & \"y\" <z>\nline2"}}),
        };
        const QList<DownloadCommand> close = {command(7, {{"memoryId", "0x00010000"}, {"length", "200"}})};
        pc().setSocType(QStringLiteral("Custom-1"));
        pc().setFlashType("XPI0 NOR");
        pc().setFlashAddress("0x80000000");
        pc().setFlashWord("0xfcf90001,0x00000007");
        pc().setFlashWordAddress("0x400"); // not written
        pc().setOtpWords({{20, {1, 0xFFFFFFFFu}}, {0, {0x10}}});
        pc().setCustomSocs({{"Custom-1", 0x34B7, 0x0009, "TSL1100"}, {"Neg", -1, 0, "X"}});
        pc().setStageCommands(open, EStageOpen, false);
        pc().setStageCommands(close, EStageClose, false);
        pc().setShowOtpWriteViewTips(true);

        const QString xml = unwrap(readFile(pc().filePath()));
        QVERIFY2(xml.contains(QStringLiteral("<cmd nameId=\"4\" name=\"") + Constants::commandName(4) + "\">"), qPrintable(xml));
        QVERIFY(xml.contains(QStringLiteral("<cmd nameId=\"99\" name=\"\">")));
        QVERIFY(xml.contains(QStringLiteral("<soc name=\"Custom-1\" vid=\"13495\" pid=\"9\" ref=\"TSL1100\"/>")));
        QVERIFY(xml.contains(QStringLiteral("<Item value=\"4294967295\"/>")));
        QVERIFY(!xml.contains(QStringLiteral("FlashWordAddress")));
        // OTP runs in ascending start order
        QVERIFY(xml.indexOf("start=\"0\"") < xml.indexOf("start=\"20\""));

        QVERIFY(reload());
        const ProjectData d = pc().data();
        QCOMPARE(d.socType, QStringLiteral("Custom-1"));
        QVERIFY(d.showOtpWriteViewTips);
        QCOMPARE(d.flashWord, QStringLiteral("0xfcf90001,0x00000007"));
        QCOMPARE(d.flashWordAddress, QStringLiteral("0x200"));
        QCOMPARE(d.otpWords.value(20), QVector<quint32>({1, 0xFFFFFFFFu}));
        QCOMPARE(d.otpWords.value(0), QVector<quint32>({0x10}));
        QCOMPARE(d.customSocs.size(), 2);
        QCOMPARE(d.customSocs.at(0), (CustomSocInfo{"Custom-1", 13495, 9, "TSL1100"}));
        QCOMPARE(d.customSocs.at(1).vid, -1);
        QCOMPARE(d.openCommands.size(), open.size());
        QCOMPARE(d.closeCommands.size(), close.size());
        for (int i = 0; i < open.size(); ++i) {
            QCOMPARE(d.openCommands.at(i).nameId, open.at(i).nameId);
            QCOMPARE(d.openCommands.at(i).params, open.at(i).params);
            QVERIFY(!d.openCommands.at(i).id.isEmpty());
            QVERIFY(d.openCommands.at(i).id != open.at(i).id);
        }
        QCOMPARE(d.closeCommands.at(0).params, close.at(0).params);
        QVERIFY(d.openCommands.at(0).id != d.openCommands.at(1).id);
    }

    void imagePaths_data()
    {
        QTest::addColumn<QString>("suffix"); // appended to the application directory, or absolute when starting with "!"
        QTest::addColumn<QString>("stored");  // as written in the file; "=" for unchanged
        QTest::newRow("inside") << "/img/a.bin" << "img/a.bin";
        QTest::newRow("sibling folder with same prefix") << "X/img.bin" << "=";
        QTest::newRow("outside") << "!/opt/elsewhere/a.bin" << "=";
        QTest::newRow("directory itself") << "" << "=";
    }
    void imagePaths()
    {
        QFETCH(QString, suffix);
        QFETCH(QString, stored);
        const QString path = suffix.startsWith('!') ? suffix.mid(1) : app() + suffix;
        if (stored == QLatin1String("="))
            stored = path;
        pc().setStageCommands({command(4, {{"imagePath", path}})}, EStageOpen, false);
        pc().setImagePath(path);
        QVERIFY(pc().saveDefault());
        const QString xml = unwrap(readFile(pc().filePath()));
        QVERIFY2(xml.contains(QStringLiteral("<param key=\"imagePath\" value=\"%1\"/>").arg(stored)), qPrintable(xml));
        QVERIFY2(xml.contains(QStringLiteral("<ImagePath>%1</ImagePath>").arg(stored)), qPrintable(xml));

        QDir().mkpath(app() + "/img");
        writeFile(app() + "/img/a.bin", "x");
        QVERIFY(reload());
        QCOMPARE(pc().openCommands().at(0).params.value("imagePath"), path);
        QCOMPARE(pc().imagePath(), path);
    }

    void relativeImagePathElement_data()
    {
        QTest::addColumn<bool>("exists");
        QTest::newRow("file below the application") << true;
        QTest::newRow("missing file stays relative") << false;
    }
    void relativeImagePathElement()
    {
        QFETCH(bool, exists);
        if (exists) {
            QDir().mkpath(app() + "/img");
            writeFile(app() + "/img/a.bin", "x");
        }
        const QString file = app() + "/in.vlxmfg";
        writeFile(file, envelope("<Settings><ImgProg><ImagePath>img/a.bin</ImagePath></ImgProg>"
                                 "<BatchProd><Open><cmd nameId=\"4\"><param key=\"imagePath\" value=\"img/b.bin\"/></cmd></Open></BatchProd>"
                                 "</Settings>"));
        QVERIFY(pc().load(file));
        QCOMPARE(pc().imagePath(), exists ? app() + "/img/a.bin" : QStringLiteral("img/a.bin"));
        // a command path is always resolved
        QCOMPARE(pc().openCommands().at(0).params.value("imagePath"), app() + "/img/b.bin");
    }

    void exportNameRule_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("written");
        QTest::newRow("no suffix") << "proj" << "proj.vlxmfg";
        QTest::newRow("upper case") << "proj.VLXMFG" << "proj.VLXMFG";
        QTest::newRow("mixed case") << "proj.Vlxmfg" << "proj.Vlxmfg.vlxmfg";
    }
    void exportNameRule()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, written);
        QCOMPARE(ProjectConfig::exportFileName(chosen), written);
    }

    // Moves and inserts on the stages Open: A B C, Close: D E; the file follows the memory.
    void editCommands_data()
    {
        QTest::addColumn<bool>("move"); // else updateCommand with a new command N
        QTest::addColumn<int>("stage");
        QTest::addColumn<QString>("id");
        QTest::addColumn<int>("arg"); // move: 1 up, 0 down; update: the index
        QTest::addColumn<bool>("result");
        QTest::addColumn<QString>("open");
        QTest::addColumn<QString>("close");
        QTest::newRow("last open down goes first in close") << true << 1 << "C" << 0 << true << "AB" << "CDE";
        QTest::newRow("first close up goes last in open") << true << 2 << "D" << 1 << true << "ABCD" << "E";
        QTest::newRow("first open up refused") << true << 1 << "A" << 1 << false << "ABC" << "DE";
        QTest::newRow("last close down refused") << true << 2 << "E" << 0 << false << "ABC" << "DE";
        QTest::newRow("inside open down") << true << 1 << "A" << 0 << true << "BAC" << "DE";
        QTest::newRow("unknown id") << true << 1 << "Z" << 1 << false << "ABC" << "DE";
        QTest::newRow("id of the other stage") << true << 1 << "D" << 1 << false << "ABC" << "DE";
        QTest::newRow("move in stage 0") << true << 0 << "B" << 1 << false << "ABC" << "DE";
        QTest::newRow("append") << false << 1 << "" << -1 << true << "ABCN" << "DE";
        QTest::newRow("insert first") << false << 1 << "" << 0 << true << "NABC" << "DE";
        QTest::newRow("insert at size") << false << 2 << "" << 2 << true << "ABC" << "DEN";
        QTest::newRow("index past size not added") << false << 2 << "" << 3 << true << "ABC" << "DE";
        QTest::newRow("index -2 not added") << false << 1 << "" << -2 << true << "ABC" << "DE";
        QTest::newRow("stage 0 not added") << false << 0 << "" << -1 << true << "ABC" << "DE";
        QTest::newRow("replace by id in any stage") << false << 1 << "E" << 0 << true << "ABC" << "DN";
    }
    void editCommands()
    {
        QFETCH(bool, move);
        QFETCH(int, stage);
        QFETCH(QString, id);
        QFETCH(int, arg);
        fillStages();
        DownloadCommand n = command(5, { { "tag", "N" } });
        n.id = QStringLiteral("N");
        QTEST(move ? pc().moveCommand(stage, id, arg == 1) : pc().updateCommand(stage, id, arg, n), "result");
        QTEST(ids(pc().openCommands()).join(QString()), "open");
        QTEST(ids(pc().closeCommands()).join(QString()), "close");
        QVERIFY(reload());
        QStringList tags;
        for (const DownloadCommand& c : pc().openCommands())
            tags << c.params.value("tag");
        QTEST(tags.join(QString()), "open");
    }

    void checkImageFiles()
    {
        writeFile(app() + "/a.bin", "x");
        pc().setStageCommands({command(4, {{"imagePath", app() + "/a.bin"}}), command(1, {})}, EStageOpen, false);
        QString missing;
        QVERIFY(pc().checkImageFiles(missing));
        pc().setStageCommands({command(4, {{"imagePath", app() + "/b.bin"}}), command(4, {{"imagePath", app() + "/c.bin"}})},
                              EStageClose, false);
        QVERIFY(!pc().checkImageFiles(missing));
        QCOMPARE(missing, app() + "/b.bin");
    }

    void brokenFiles_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("exists");
        QTest::addColumn<QString>("why"); // in the log line
        const QByteArray good = ProjectConfig::wrap(QStringLiteral("<?xml version=\"1.0\"?><Settings><Base><SocType>NEW</SocType></Base></Settings>"));
        QTest::newRow("plain XML") << QByteArray("<?xml version=\"1.0\"?>\n<Settings><Base><SocType>NEW</SocType></Base></Settings>\n") << true << "";
        QTest::newRow("truncated") << good.left(good.size() / 2 + 1) << true << "";
        QTest::newRow("malformed XML") << envelope("<Settings><Base><SocType>NEW</Base></Settings>") << true << "";
        QTest::newRow("empty file") << QByteArray() << true << "";
        QTest::newRow("missing file") << QByteArray() << false << "";
        // Texts XML cannot carry: the next save would drop the character.
        QTest::newRow("control character reference") << envelope("<Settings><Base><SocType>NE&#1;W</SocType></Base></Settings>")
                                                      << true << "SocType holds the control character U+0001";
        QTest::newRow("raw control character") << envelope("<Settings><ImgProg><ImagePath>/a\x1f.bin</ImagePath></ImgProg></Settings>")
                                               << true << "ImagePath holds the control character U+001F";
        QTest::newRow("in a parameter key") << envelope("<Settings><BatchProd><Close><cmd nameId=\"4\"><param key=\"a&#8;\" value=\"1\"/>"
                                                        "</cmd></Close></BatchProd></Settings>")
                                            << true << "Close command parameter key holds the control character U+0008";
        QTest::newRow("in a custom SoC") << envelope("<Settings><CustomSoc><soc name=\"C\" ref=\"M&#27;\"/></CustomSoc></Settings>")
                                         << true << "CustomSoc ref holds the control character U+001B";
    }
    void brokenFiles()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, exists);
        QFETCH(QString, why);
        fillStages();
        pc().setSocType("OLD");
        pc().setCustomSocs({{"C", 1, 2, "OLD"}});
        QVERIFY(pc().saveDefault());
        const QByteArray defaultBefore = readFile(pc().filePath());
        const QString before = ProjectConfig::toXml(pc().data());

        const QString file = app() + "/broken.vlxmfg";
        if (exists)
            writeFile(file, content);
        {
            LogCapture log;
            QVERIFY(!pc().load(file));
            if (exists)
                QVERIFY(log.anyStartsWith(QtWarningMsg, QStringLiteral("settingconfig.vlxmfg read failed: ") + why));
            else
                QVERIFY(log.contains(QtCriticalMsg, QStringLiteral("Cannot open configure file: ProjectConfigure.xml")));
        }
        QCOMPARE(ProjectConfig::toXml(pc().data()), before);

        {
            LogCapture log;
            QCOMPARE(pc().importFrom(file), int(ProjectConfig::ImportBroken));
        }
        QCOMPARE(ProjectConfig::toXml(pc().data()), before);
        QCOMPARE(ids(pc().openCommands()).join(QString()), QStringLiteral("ABC"));
        QCOMPARE(readFile(pc().filePath()), defaultBefore);
    }

    // Tab, line feed and carriage return are carried; other control characters
    // are refused where they enter, so a save never changes what the user sees.
    void controlCharactersRefused_data()
    {
        QTest::addColumn<int>("setter");
        QTest::addColumn<QString>("why");
        QTest::newRow("setSocType") << 0 << "SocType holds the control character U+0001";
        QTest::newRow("setImagePath") << 1 << "ImagePath holds the control character U+0001";
        QTest::newRow("setFlashWord") << 2 << "FlashWord holds the control character U+0001";
        QTest::newRow("setCustomSocs") << 3 << "CustomSoc name holds the control character U+0001";
        QTest::newRow("updateCommand") << 4 << "The command parameter path holds the control character U+0001";
        QTest::newRow("setStageCommands") << 5 << "The command parameter key holds the control character U+0001";
        QTest::newRow("setData") << 6 << "FlashAddress holds the control character U+0001";
    }
    void controlCharactersRefused()
    {
        QFETCH(int, setter);
        QFETCH(QString, why);
        const QString bad = QStringLiteral("a") + QChar(1) + QStringLiteral("b");
        fillStages();
        QVERIFY(pc().setFlashWord(QStringLiteral("0x1,\t0x2\r\n")));
        QVERIFY(pc().saveDefault());
        const QString before = ProjectConfig::toXml(pc().data());
        ProjectData d = pc().data();
        d.flashAddress = bad;
        LogCapture log;
        bool result = true;
        switch (setter) {
        case 0: result = pc().setSocType(bad); break;
        case 1: result = pc().setImagePath(bad); break;
        case 2: result = pc().setFlashWord(bad); break;
        case 3: result = pc().setCustomSocs({ { bad, 1, 2, "R" } }); break;
        case 4: result = pc().updateCommand(EStageOpen, QString(), -1, command(4, { { "path", bad } })); break;
        case 5: result = pc().setStageCommands({ command(4, { { bad, "v" } }) }, EStageClose, true); break;
        case 6: result = pc().setData(d); break;
        }
        QVERIFY(!result);
        QVERIFY(log.anyStartsWith(QtWarningMsg, QStringLiteral("Project change refused: ") + why));
        QCOMPARE(ProjectConfig::toXml(pc().data()), before);
        QVERIFY(reload());
        QCOMPARE(pc().flashWord(), QStringLiteral("0x1,\t0x2\r\n"));
    }

    void importResults()
    {
        pc().setSocType("OLD");
        QVERIFY(pc().saveDefault());
        const QString same = app() + "/same.vlxmfg";
        const QString other = app() + "/other.vlxmfg";
        writeFile(same, ProjectConfig::wrap("<Settings><Base><SocType>OLD</SocType></Base><ImgProg><FlashType>T</FlashType></ImgProg></Settings>"));
        writeFile(other, ProjectConfig::wrap("<Settings><Base><SocType>NEW</SocType></Base></Settings>"));
        fillStages();
        QCOMPARE(pc().importFrom(same), int(ProjectConfig::ImportSameSoc));
        QVERIFY(!pc().hasAnyCommands()); // import replaces, it does not merge
        QCOMPARE(pc().flashType(), QStringLiteral("T"));
        QCOMPARE(pc().importFrom(other), int(ProjectConfig::ImportSocChanged));
        QVERIFY(unwrap(readFile(pc().filePath())).contains("<SocType>NEW</SocType>"));
        QCOMPARE(pc().flashType(), QString());
    }

    void startUpLoadKeepsBrokenFile()
    {
        writeFile(pc().filePath(), "garbage");
        pc().setSocType("stale");
        LogCapture log;
        pc().loadIfExists();
        QCOMPARE(pc().socType(), QString()); // reset happened
        QCOMPARE(readFile(pc().filePath() + ".broken"), QByteArray("garbage"));
        QVERIFY(log.anyStartsWith(QtWarningMsg, QStringLiteral("settingconfig.vlxmfg read failed: ")));
    }

    // Images of the same name from different folders get distinct files; one
    // image used twice is copied once. The live project is never changed.
    void packageExport()
    {
        QTemporaryDir images;
        QDir().mkpath(images.path() + "/one");
        QDir().mkpath(images.path() + "/two");
        const QString one = images.path() + "/one/a.bin", two = images.path() + "/two/a.bin";
        const QString upper = images.path() + "/two/A.BIN", plain = images.path() + "/fw";
        writeFile(one, "A1");
        writeFile(two, "A2");
        writeFile(upper, "A3");
        writeFile(plain, "FW");
        const QString missing = images.path() + "/gone.bin";
        pc().setStageCommands({ command(4, { { "imagePath", one } }), command(4, { { "imagePath", missing } }),
                                  command(4, { { "imagePath", two } }) },
            EStageOpen, false);
        pc().setStageCommands({ command(4, { { "imagePath", plain } }), command(4, { { "imagePath", one } }),
                                  command(4, { { "imagePath", upper } }) },
            EStageClose, false);
        const QString before = ProjectConfig::toXml(pc().data());

        QString error;
        QVERIFY(!pc().exportPackage(QString(), &error));
        QVERIFY(!error.isEmpty());
        QTemporaryDir pkg;
        QDir().mkpath(pkg.path() + "/bin");
        writeFile(pkg.path() + "/bin/a.bin", "old"); // replaced
        error.clear();
        QVERIFY(pc().exportPackage(pkg.path(), &error));
        QCOMPARE(error, QString());
        const QString bin = pkg.path() + "/bin/";
        QStringList files = QDir(bin).entryList(QDir::Files);
        files.sort();
        QCOMPARE(files, QStringList({ "A_2.BIN", "a.bin", "a_1.bin", "fw" }));
        QCOMPARE(readFile(bin + "a.bin"), QByteArray("A1"));
        QCOMPARE(readFile(bin + "a_1.bin"), QByteArray("A2"));
        QCOMPARE(readFile(bin + "A_2.BIN"), QByteArray("A3"));

        ProjectData exported;
        QVERIFY(ProjectConfig::parseInto(readFile(pkg.path() + "/settingconfig.vlxmfg"), exported, nullptr));
        QStringList paths;
        for (const DownloadCommand& c : exported.openCommands + exported.closeCommands)
            paths << QString(c.params.value("imagePath")).replace(app() + "/", QString());
        QCOMPARE(paths, QStringList({ "bin/a.bin", missing, "bin/a_1.bin", "bin/fw", "bin/a.bin", "bin/A_2.BIN" }));
        QCOMPARE(ProjectConfig::toXml(pc().data()), before);
    }

    void packageExportFailures_data()
    {
        QTest::addColumn<QString>("obstacle"); // made in the package folder
        QTest::addColumn<QString>("why");
        QTest::newRow("bin cannot be made") << "bin" << "Cannot create folder ";
        QTest::newRow("image cannot be copied") << "bin/a.bin/x" << "Cannot copy ";
    }
    void packageExportFailures()
    {
        QFETCH(QString, obstacle);
        QFETCH(QString, why);
        writeFile(app() + "/a.bin", "A");
        pc().setStageCommands({ command(4, { { "imagePath", app() + "/a.bin" } }) }, EStageOpen, false);
        QTemporaryDir pkg;
        QDir().mkpath(QFileInfo(pkg.path() + "/" + obstacle).absolutePath());
        writeFile(pkg.path() + "/" + obstacle, "in the way");
        LogCapture log;
        QString error;
        QVERIFY(!pc().exportPackage(pkg.path(), &error));
        QVERIFY2(error.startsWith(why), qPrintable(error));
        QVERIFY(log.contains(QtWarningMsg, QStringLiteral("Package export failed: ") + error));
        QVERIFY(!QFile::exists(pkg.path() + "/settingconfig.vlxmfg"));
    }
};

QTEST_GUILESS_MAIN(TestProjectConfig)
#include "tst_projectconfig.moc"
