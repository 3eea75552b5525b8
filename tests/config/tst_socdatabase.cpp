// The SoC database: exclusion list, model defaults and orderings, bad
// documents, current-SoC resolution, and the shape of the shipped catalogue.
#include "apppaths.h"
#include "globalsetting.h"
#include "logcapture.h"
#include "projectconfig.h"
#include "socdatabase.h"
#include "testfiles.h"

#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <thread>

namespace {

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

class TestSocDatabase : public QObject
{
    Q_OBJECT

private:
    QScopedPointer<QTemporaryDir> m_dir;
    SocDatabase& db() { return SocDatabase::instance(); }
    QString docPath() const { return m_dir->path() + "/common.xml"; }
    QString listPath() const { return m_dir->path() + "/exclude_soc_list"; }

    void loadDoc(const QByteArray& doc) // exclusion list as already written (or missing)
    {
        writeFile(docPath(), doc);
        db().loadFrom(docPath(), listPath());
    }

private slots:
    void init()
    {
        m_dir.reset(new QTemporaryDir);
        QVERIFY(m_dir->isValid());
        AppPaths::setAppDirOverride(m_dir->path());
        GlobalSetting::instance().resetForTests();
        ProjectConfig::instance().resetForTests();
        db().resetForTests();
    }
    void cleanup()
    {
        db().resetForTests();
        ProjectConfig::instance().resetForTests();
        GlobalSetting::instance().resetForTests();
        AppPaths::setAppDirOverride(QString());
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
        QVERIFY(!s.memoryView[0].erasable);
        QVERIFY(s.memoryView[1].erasable);
        QVERIFY(!s.memoryView[2].erasable);
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

QTEST_GUILESS_MAIN(TestSocDatabase)
#include "tst_socdatabase.moc"
