// krel_config: the settings file (absent values, conversions, which keys each
// write touches, stale locks); the project file (envelope and document layout,
// round trips, image paths, command list operations, bad or interrupted files,
// package export); the SoC database (exclusion list, model, bad documents,
// current-SoC resolution, the shipped catalogue).
#include "apppaths.h"
#include "constants.h"
#include "globalsetting.h"
#include "logcapture.h"
#include "projectconfig.h"
#include "socdatabase.h"
#include "testfiles.h"

#include <QDomDocument>
#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <QSet>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <thread>

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

QByteArray socsDoc(const QByteArray& socs)
{
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<configuration><socs>" + socs + "</socs></configuration>";
}

QStringList names(const QList<SocInfo>& socs)
{
    QStringList out;
    for (const SocInfo& s : socs)
        out << s.name;
    return out;
}

const QByteArray kThreeSocs = "<soc name=\"Model-A\" vid=\"0x34B7\" pid=\"0x0001\"/>"
                              "<soc name=\"Model-B\" vid=\"34b7\" pid=\"2\" minSocRevision=\"1.2.0\"/>"
                              "<soc name=\"\" vid=\"zz\"/>";

} // namespace

class TestProjectConfig : public QObject
{
    Q_OBJECT

private:
    QScopedPointer<QTemporaryDir> m_dir;
    ProjectConfig& pc() { return ProjectConfig::instance(); }
    bool reload() { return pc().reset(), pc().load(pc().filePath()); } // the default file read back afresh
    QString app() const { return m_dir->path(); }
    QString iniPath() const { return m_dir->path() + QStringLiteral("/config.ini"); }
    void writeIni(const QByteArray& content) { QVERIFY(writeFile(iniPath(), content)); }
    SocDatabase& db() { return SocDatabase::instance(); }
    QString docPath() const { return m_dir->path() + "/common.xml"; }
    QString listPath() const { return m_dir->path() + "/exclude_soc_list"; }

    void loadDoc(const QByteArray& doc) // exclusion list as already written (or missing)
    {
        writeFile(docPath(), doc);
        db().loadFrom(docPath(), listPath());
    }

    // Open: A B C, Close: D E
    void fillStages()
    {
        QList<DownloadCommand> stage[2];
        for (const QString n : { "A", "B", "C", "D", "E" }) {
            stage[n >= "D"] << command(4, { { QStringLiteral("tag"), n } });
            stage[n >= "D"].last().id = n;
        }
        pc().setStageCommands(stage[0], EStageOpen, false);
        pc().setStageCommands(stage[1], EStageClose, false);
    }

private slots:
    void init()
    {
        m_dir.reset(new QTemporaryDir);
        QVERIFY(m_dir->isValid());
        AppPaths::setAppDirOverride(m_dir->path());
        GlobalSetting::instance().resetForTests();
        pc().resetForTests();
        db().resetForTests();
    }
    void cleanup()
    {
        db().resetForTests();
        pc().resetForTests();
        GlobalSetting::instance().resetForTests();
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
        QTEST(ProjectConfig::exportFileName(chosen), "written");
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

    void readTable_data()
    {
        QTest::addColumn<QByteArray>("ini"); // empty: no file at all
        QTest::addColumn<int>("language");
        QTest::addColumn<int>("fwLoadType");
        QTest::addColumn<bool>("customBaud");
        QTest::addColumn<int>("cmdTimeout");
        QTest::addColumn<bool>("autoAddPort");
        QTest::addColumn<bool>("enableAllSoCs");
        QTest::addColumn<bool>("downloadAll");

        QTest::newRow("absent file") << QByteArray() << 0 << 0 << false << 0 << false << false << false;
        QTest::newRow("bool text true reads false")
            << QByteArray("[Base]\nAutoAddPort=true\nEnableAllSoCs=true\n") << 0 << 0 << false << 0 << false << false << false;
        QTest::newRow("numbers, bool 1 reads true")
            << QByteArray("[Base]\nLanguage=1\nCmdTimeout=2500\nFwLoadType=2\nAutoAddPort=1\nEnableAllSoCs=1\n"
                          "FwLoadUseCustomBaudRate=1\nDownloadAllStateDevices=1\n")
            << 1 << 2 << true << 2500 << true << true << true;
        QTest::newRow("keys outside Base ignored") << QByteArray("[General]\nLanguage=1\n[Other]\nAutoAddPort=1\n") << 0 << 0 << false
                                                   << 0 << false << false << false;
    }
    void readTable()
    {
        QFETCH(QByteArray, ini);
        if (!ini.isEmpty())
            writeIni(ini);
        GlobalSetting& s = GlobalSetting::instance();
        s.load();
        QTEST(s.language(), "language");
        QTEST(s.fwLoadType(), "fwLoadType");
        QTEST(s.fwLoadUseCustomBaudRate(), "customBaud");
        QTEST(s.cmdTimeout(), "cmdTimeout");
        QTEST(s.autoAddPort(), "autoAddPort");
        QTEST(s.enableAllSoCs(), "enableAllSoCs");
        QTEST(s.downloadAllStateDevices(), "downloadAll");
        QCOMPARE(s.info().cmdTimeout, s.cmdTimeout());
    }

    // Writes before the first load only change memory.
    void saveWritesAllKeysAndDefaultTimeoutRoundTrips()
    {
        GlobalSetting& s = GlobalSetting::instance();
        s.setLanguage(1);
        QCOMPARE(s.language(), 1);
        QVERIFY(!QFile::exists(iniPath()));
        s.load();
        GlobalSettingInfo info;
        info.language = 1;
        info.fwLoadType = 2;
        info.fwLoadUseCustomBaudRate = true;
        info.cmdTimeout = -1; // the dialog's "default"
        info.downloadAllStateDevices = true;
        s.save(info);
        QCOMPARE(s.cmdTimeout(), -1);

        QSettings raw(iniPath(), QSettings::IniFormat);
        raw.beginGroup(QStringLiteral("Base"));
        QCOMPARE(raw.childKeys().size(), 7);
        QCOMPARE(raw.value("CmdTimeout").toString(), QStringLiteral("-1"));
        QCOMPARE(raw.value("FwLoadUseCustomBaudRate").toString(), QStringLiteral("1"));
        QCOMPARE(raw.value("AutoAddPort").toString(), QStringLiteral("0"));

        s.resetForTests();
        s.load();
        QCOMPARE(s.cmdTimeout(), 0);
        QCOMPARE(s.language(), 1);
        QCOMPARE(s.fwLoadType(), 2);
        QVERIFY(s.fwLoadUseCustomBaudRate());
        QVERIFY(s.downloadAllStateDevices());
        QVERIFY(!s.autoAddPort());
    }

    // A single-key setter writes that key only: other keys keep their text, unknown
    // keys and groups stay, absent keys are not added. (Whole-file replacement is
    // tst_killsaves' business.)
    void singleKeyWriteLeavesOthers()
    {
        writeIni("[Base]\nLanguage=0\nFwLoadType=2\nCmdTimeout=abc\nAutoAddPort=true\nForeign=kept\n[Extra]\nx=1\n");
        GlobalSetting& s = GlobalSetting::instance();
        s.load();
        s.setLanguage(1);
        s.setAutoAddPort(true);
        QSettings raw(iniPath(), QSettings::IniFormat);
        QCOMPARE(raw.value("Base/Language").toString(), QStringLiteral("1"));
        QCOMPARE(raw.value("Base/AutoAddPort").toString(), QStringLiteral("1")); // "true" would read back as false
        QCOMPARE(raw.value("Base/FwLoadType").toString(), QStringLiteral("2"));
        QCOMPARE(raw.value("Base/CmdTimeout").toString(), QStringLiteral("abc"));
        QCOMPARE(raw.value("Base/Foreign").toString(), QStringLiteral("kept"));
        QCOMPARE(raw.value("Extra/x").toString(), QStringLiteral("1"));
        QVERIFY(!raw.contains("Base/EnableAllSoCs"));
        QCOMPARE(s.language(), 1);
        QVERIFY(s.autoAddPort());
    }

    // A writer killed while creating "config.ini.lock" leaves it empty; one
    // killed later leaves its gone process id. Either is taken over at once
    // (no wait allowed here); a lock a live process holds is left alone.
    void staleLockTakenOver_data()
    {
        QTest::addColumn<QByteArray>("lock"); // "held": a live QLockFile of this process
        QTest::addColumn<bool>("written");
        QProcess gone;
        gone.start(QStringLiteral("true"), QStringList());
        QVERIFY(gone.waitForStarted());
        const qint64 pid = gone.processId();
        QVERIFY(gone.waitForFinished());
        QTest::newRow("empty lock") << QByteArray() << true;
        QTest::newRow("cut lock") << QByteArray("4") << true;
        QTest::newRow("process gone") << QByteArray::number(pid) + "\nvlx_krel_tool\n" + QSysInfo::machineHostName().toUtf8() + "\n"
                                      << true;
        QTest::newRow("live owner") << QByteArray("held") << false;
    }
    void staleLockTakenOver()
    {
        QFETCH(QByteArray, lock);
        QFETCH(bool, written);
        writeIni("[Base]\nLanguage=0\n");
        const QString lockPath = iniPath() + QStringLiteral(".lock");
        QLockFile live(lockPath);
        if (lock == "held") {
            QVERIFY(live.tryLock(0));
        } else {
            QFile f(lockPath);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(lock);
        }
        GlobalSetting& s = GlobalSetting::instance();
        s.setLockWaitForTests(0);
        s.load();
        if (!written)
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Settings file is locked by another process"));
        s.setLanguage(1);
        QCOMPARE(readFile(iniPath()).contains("Language=1"), written);
        QCOMPARE(QFile::exists(lockPath), !written);
        // Once the owner lets go, the next write carries the change.
        live.unlock();
        s.setAutoAddPort(true);
        QVERIFY(readFile(iniPath()).contains("Language=1"));
    }

    void exclusionList_data()
    {
        QTest::addColumn<QByteArray>("list");
        QTest::addColumn<bool>("enableAll");
        QTest::addColumn<QStringList>("kept");
        QTest::newRow("blank parts kept") << QByteArray("\n Model-A ,,\n") << false << QStringList({"Model-B"});
        QTest::newRow("empty list hides the nameless SoC") << QByteArray("") << false << QStringList({"Model-A", "Model-B"});
        QTest::newRow("case-sensitive") << QByteArray("model-a") << false << QStringList({"Model-A", "Model-B", ""});
        QTest::newRow("EnableAllSoCs skips the list") << QByteArray("Model-A,Model-B") << true << QStringList({"Model-A", "Model-B", ""});
    }
    void exclusionList()
    {
        QFETCH(QByteArray, list);
        QFETCH(bool, enableAll);
        writeFile(listPath(), list);
        if (enableAll) {
            writeFile(m_dir->path() + "/config.ini", "[Base]\nEnableAllSoCs=1\n");
            GlobalSetting::instance().load();
        }
        LogCapture log;
        loadDoc(socsDoc(kThreeSocs));
        QTEST(names(db().socList()), "kept");
        QCOMPARE(log.anyStartsWith(QtInfoMsg, QStringLiteral("Exclude Soc Name List: ")), !enableAll);
        if (enableAll)
            QVERIFY(db().excludedNames().isEmpty());
    }

    void missingExclusionListHidesNothing()
    {
        LogCapture log;
        loadDoc(socsDoc(kThreeSocs));
        QVERIFY(log.contains(QtCriticalMsg, QStringLiteral("Cannot open configure file: exclude_soc_list")));
        QCOMPARE(db().socList().size(), 3);
    }

    // One SoC with every part of the model: flash options, memories, fuse map.
    void socModel()
    {
        QList<SocInfo> socs;
        LogCapture log;
        QVERIFY(SocDatabase::parseDocument(
            socsDoc("<soc name=\"S\" core-num=\"2\"><flashConfig name=\"Flash Configure Words\" option-count=\"2\">"
                    "<option index=\"0\" bits=\"32\"><param min-bit=\"16\" max-bit=\"31\" type=\"value\">0xfcf9<item value=\"1\">x</item></param>"
                    "<note/></option>"
                    "<option index=\"1\" bits=\"32\">"
                    "<param name=\"Freq\" type=\"select\" min-bit=\"0\" max-bit=\"3\" defaultItem=\"7\">"
                    "<item value=\"2\">two</item><item value=\"0\" desc=\"zero!\">zero</item><item value=\"10\">ten</item>"
                    "<item value=\"1\">one</item><item value=\"2\">TWO</item><other value=\"5\">no</other></param>"
                    "<param name=\"Size\" type=\"input\" min-bit=\"4\" max-bit=\"7\" desc=\"Size in MB\" default=\"3\" "
                    "placeholder=\"auto\" placeholderValue=\"0\" hide=\"1\"><item value=\"9\">ignored</item></param>"
                    "<param name=\"Range\" type=\"range\" hide=\"true\"/>"
                    "</option></flashConfig>"
                    "<baseInfo><info name=\"k\" value=\"1\"/><info name=\"k\" value=\"2\"/></baseInfo>"
                    "<flashWordsDemo/><memoryView><memory name=\"ILM\" value=\"0\" containerCmd=\"x\"/>"
                    "<memory name=\"XPI1 NOR\" value=\"0x10001\" erasable=\"1\"/><memory name=\"O\" value=\"2\" erasable=\"yes\"/></memoryView>"
                    "<flashMemory><memory name=\"XPI0 NOR\" value=\"0x10000\" address=\"0x80000000\"/></flashMemory>"
                    "<emmcMemory><memory name=\"SDXC0\" value=\"0x30000\" sector_index=\"0x400\"/></emmcMemory>"
                    "<fuseMap><word index=\"1\" type=\"SECURE\" desc=\"SECURITY\">"
                    "<field name=\"LIFE_CYCLE\" offset=\"0,28\" width=\"4\" type=\"select\">"
                    "<item value=\"2\">SEC</item><item value=\"10\">X</item><item value=\"1\">NONSEC</item></field>"
                    "<field name=\"JTAG_DISABLE\" offset=\"16\" width=\"1\" type=\"check\" desc=\"d\" default=\"1\"/>"
                    "<field name=\"N\" type=\"none\"><item value=\"1\">ignored</item></field><field name=\"I\" type=\"input\"/>"
                    "<field name=\"Q\" type=\"bogus\"/></word>"
                    "<word index=\"5\" type=\"TRIM\" desc=\"T\"/>"
                    "<word index=\"6\" type=\"IDENTIFY\"/><word index=\"7\" type=\"SECRET\"/><word index=\"8\" type=\"GENERAL\"/>"
                    "</fuseMap></soc>"),
            {}, socs));
        const SocInfo& s = socs.at(0);
        const FlashConfigInfo& cfg = s.flashConfig;
        QCOMPARE(cfg.options.size(), 2);
        const ConfigParamInfo& tag = cfg.options[0].params.at(0);
        QCOMPARE(tag.type, qint32(EConfigParamValue));
        QCOMPARE(tag.value, QStringLiteral("0xfcf9x")); // element text, item text included
        QVERIFY(tag.items.isEmpty());
        const ConfigParamInfo& freq = cfg.options[1].params.at(0);
        QCOMPARE(freq.type, qint32(EConfigParamSelect));
        QCOMPARE(freq.items.keys(), QStringList({"0", "1", "10", "2"}));
        QCOMPARE(freq.items.value("2").text, QStringLiteral("TWO")); // a repeated value replaces
        QCOMPARE(freq.items.value("0").desc, QStringLiteral("zero!"));
        QVERIFY(!freq.hide);
        const ConfigParamInfo& size = cfg.options[1].params.at(1);
        QCOMPARE(size.type, qint32(EConfigParamInput));
        QVERIFY(size.hide);
        QVERIFY(size.items.isEmpty());
        const ConfigParamInfo& range = cfg.options[1].params.at(2);
        QCOMPARE(range.type, qint32(EConfigParamUnknown));
        QCOMPARE(range.typeText, QStringLiteral("range"));

        QCOMPARE(s.baseInfo.value("k").toString(), QStringLiteral("2"));
        QCOMPARE(s.memoryView.size(), 3);
        QCOMPARE(QVector<bool>({ s.memoryView[0].erasable, s.memoryView[1].erasable, s.memoryView[2].erasable }),
            QVector<bool>({ false, true, false }));
        QCOMPARE(s.flashMemory.at(0).kind, qint32(EMemoryKindFlash));
        QCOMPARE(s.emmcMemory.at(0).kind, qint32(EMemoryKindEmmc));
        QCOMPARE(s.emmcMemory.at(0).sectorIndex, QStringLiteral("0x400"));

        QVERIFY(log.contains(QtCriticalMsg, QStringLiteral("Parse word type error! index: 5 type: TRIM")));
        QCOMPARE(log.texts(QtCriticalMsg).size(), 1);
        const QVector<FuseWordInfo>& fm = s.fuseMap;
        QCOMPARE(fm.size(), 5);
        QCOMPARE(fm[0].type, qint32(EFuseWordSecure));
        QCOMPARE(fm[1].index, 5);
        QCOMPARE(fm[1].type, qint32(EFuseWordUnknown));
        QCOMPARE(fm[4].type, qint32(EFuseWordGeneral));
        const QList<FuseFieldInfo>& f = fm[0].fields;
        QCOMPARE(f.size(), 5);
        QCOMPARE(f[0].type, qint32(EFuseFieldSelect));
        QCOMPARE(f[0].items.keys(), QStringList({"1", "10", "2"}));
        QCOMPARE(f[1].type, qint32(EFuseFieldCheck));
        QVERIFY(f[2].items.isEmpty()); // "none" takes no items
        QCOMPARE(f[4].type, qint32(EFuseFieldNone)); // unknown field type
    }

    void badDocuments_data()
    {
        QTest::addColumn<QByteArray>("doc"); // empty: no file
        QTest::addColumn<QString>("logPrefix");
        QTest::newRow("missing") << QByteArray() << "Cannot open configure file: /config/common.xml";
        QTest::newRow("malformed") << QByteArray("<configuration><socs><soc name=\"A\"></socs>") << "read common.xml failed: ";
        QTest::newRow("childless root") << QByteArray("<configuration/>") << "";
    }
    void badDocuments()
    {
        QFETCH(QByteArray, doc);
        QFETCH(QString, logPrefix);
        writeFile(listPath(), "");
        LogCapture log;
        if (!doc.isEmpty())
            writeFile(docPath(), doc);
        db().loadFrom(docPath(), listPath());
        QVERIFY(db().socList().isEmpty());
        if (!logPrefix.isEmpty())
            QVERIFY(log.anyStartsWith(QtCriticalMsg, logPrefix));
        if (logPrefix.startsWith(QLatin1String("read")))
            QVERIFY(log.texts(QtCriticalMsg).at(0).contains(QRegularExpression(" line: \\d+ col: \\d+$")));
        QCOMPARE(db().currentSoc().vid, 0xFFFFFFFFu);
    }

    void currentSoc_data()
    {
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QString>("excluded");
        QTest::addColumn<QString>("name");    // of the resolved record
        QTest::addColumn<quint32>("vid");
        QTest::addColumn<quint32>("pid");
        QTest::addColumn<QString>("baseName");
        QTest::newRow("catalogue SoC") << "Model-B" << "" << "Model-B" << 0x34B7u << 2u << "Model-B";
        QTest::newRow("custom SoC") << "Mine" << "" << "Model-A" << 0x1234u << 0x55u << "Model-A";
        QTest::newRow("custom with unknown ref passed over") << "Two" << "" << "Model-B" << 7u << 8u << "Nothing";
        QTest::newRow("unknown name") << "Other" << "" << "" << 0xFFFFFFFFu << 0xFFFFFFFFu << "";
        QTest::newRow("custom on excluded base") << "Mine" << "Model-A" << "" << 0xFFFFFFFFu << 0xFFFFFFFFu << "Model-A";
        QTest::newRow("catalogue name wins over custom") << "Model-A" << "" << "Model-A" << 0x34B7u << 1u << "Model-A";
    }
    void currentSoc()
    {
        QFETCH(QString, selected);
        QFETCH(QString, excluded);
        ProjectConfig& pc = ProjectConfig::instance();
        pc.setSocType(selected);
        pc.setCustomSocs({{"Mine", 0x1234, 0x55, "Model-A"},
                          {"Two", 1, 1, "Nothing"},
                          {"Two", 7, 8, "Model-B"},
                          {"Model-A", 9, 9, "Model-B"}});
        QVERIFY(pc.saveDefault()); // the loader reads the project file first
        pc.reset();
        writeFile(listPath(), excluded.toUtf8());
        loadDoc(socsDoc(kThreeSocs));
        QCOMPARE(pc.socType(), selected);

        const SocInfo soc = db().currentSoc();
        QTEST(soc.name, "name");
        QTEST(soc.vid, "vid");
        QTEST(soc.pid, "pid");
        QTEST(db().currentSocBaseName(), "baseName");
        // the catalogue record itself is untouched by custom resolution
        QCOMPARE(db().socByName("Model-A").vid, excluded.isEmpty() ? 0x34B7u : 0xFFFFFFFFu);
    }

    // Worker jobs read the current SoC while the GUI imports projects: never
    // an empty SoC, never a name paired with another project's custom SoCs.
    void currentSocDuringImports()
    {
        writeFile(listPath(), "");
        loadDoc(socsDoc(kThreeSocs));
        ProjectConfig& pc = ProjectConfig::instance();
        const QString mine = m_dir->path() + "/mine.vlxmfg", yours = m_dir->path() + "/yours.vlxmfg";
        writeFile(mine, ProjectConfig::wrap("<Settings><Base><SocType>Mine</SocType></Base><CustomSoc>"
                                            "<soc name=\"Mine\" vid=\"4660\" pid=\"85\" ref=\"Model-A\"/></CustomSoc></Settings>"));
        writeFile(yours, ProjectConfig::wrap("<Settings><Base><SocType>Yours</SocType></Base><CustomSoc>"
                                             "<soc name=\"Yours\" vid=\"17185\" pid=\"102\" ref=\"Model-B\"/></CustomSoc></Settings>"));
        QCOMPARE(pc.importFrom(mine), int(ProjectConfig::ImportSocChanged));
        std::atomic<int> bad { 0 };
        std::atomic<bool> stop { false };
        std::vector<std::thread> readers;
        for (int t = 0; t < 2; ++t) {
            readers.emplace_back([&] {
                while (!stop) {
                    const SocInfo s = SocDatabase::instance().currentSoc();
                    const bool isMine = s.vid == 0x1234 && s.pid == 0x55 && s.name == QLatin1String("Model-A");
                    const bool isYours = s.vid == 0x4321 && s.pid == 0x66 && s.name == QLatin1String("Model-B");
                    if (!isMine && !isYours)
                        ++bad;
                }
            });
        }
        for (int i = 0; i < 200; ++i)
            pc.importFrom(i % 2 ? mine : yours);
        stop = true;
        for (std::thread& t : readers)
            t.join();
        QCOMPARE(bad.load(), 0);
    }

    // The catalogue the tool ships: every SoC whole, none lost to a parse error.
    void shippedCatalogue()
    {
        LogCapture log;
        db().load();
        QVERIFY(log.texts(QtCriticalMsg).isEmpty());
        const QList<SocInfo> socs = db().socList();
        QCOMPARE(socs.size(), 8);
        int withEmmc = 0;
        for (int i = 0; i < socs.size(); ++i) {
            const SocInfo& s = socs[i];
            QCOMPARE(s.pid, quint32(i + 1));
            QCOMPARE(s.fuseMap.size(), 128);
            for (int w = 0; w < s.fuseMap.size(); ++w)
                QCOMPARE(s.fuseMap[w].index, w);
            QCOMPARE(s.fuseMap[1].fields.value(0).name, QStringLiteral("LIFE_CYCLE"));
            QCOMPARE(s.flashConfig.options.size(), 4);
            QCOMPARE(s.flashConfig.options[0].params.value(0).value, QStringLiteral("0xfcf9"));
            QVERIFY(!s.memoryView.isEmpty() && !s.flashMemory.isEmpty());
            withEmmc += s.emmcMemory.isEmpty() ? 0 : 1;
            QCOMPARE(s.emmcConfig.options.size(), s.emmcMemory.isEmpty() ? 0 : 2);
        }
        QCOMPARE(withEmmc, 1);
    }
};

QTEST_GUILESS_MAIN(TestProjectConfig)
#include "tst_projectconfig.moc"
