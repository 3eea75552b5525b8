// The editors' rules: which keys each command kind stores, what it refuses with
// which message, and loading a stored command back into the fields.
#include "commandform.h"

#include <QTemporaryFile>
#include <QtTest>

class TstCommandForm : public QObject
{
    Q_OBJECT

    QTemporaryFile m_file;

    // "key=value;..." into the editor fields; "$FILE" stands for an existing file.
    CommandForm form(const QString& text) const
    {
        CommandForm f;
        for (const QString& pair : text.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const QString key = pair.section(QLatin1Char('='), 0, 0);
            QString v = pair.section(QLatin1Char('='), 1);
            v.replace(QStringLiteral("$FILE"), m_file.fileName());
            if (key == QLatin1String("mem"))
                f.memory = v;
            else if (key == QLatin1String("addr"))
                f.address = v;
            else if (key == QLatin1String("len"))
                f.length = v;
            else if (key == QLatin1String("words"))
                f.words = v;
            else if (key == QLatin1String("file")) {
                f.writeArray = false;
                f.writeFile = v;
            } else if (key == QLatin1String("save")) {
                f.saveToFile = true;
                f.savePath = v;
            } else if (key == QLatin1String("img"))
                f.imagePath = v;
            else if (key == QLatin1String("reset"))
                f.resetType = v.toInt();
        }
        return f;
    }
    QString paramsText(const QMap<QString, QString>& p) const
    {
        QStringList out;
        for (auto it = p.cbegin(); it != p.cend(); ++it)
            out << it.key() + QLatin1Char('=') + QString(it.value()).replace(m_file.fileName(), QStringLiteral("$FILE"));
        return out.join(QLatin1Char(';'));
    }

private slots:
    void initTestCase() { QVERIFY(m_file.open()); }

    void toParams_data()
    {
        QTest::addColumn<int>("nameId");
        QTest::addColumn<QString>("fields");
        QTest::addColumn<QString>("params");
        QTest::addColumn<QString>("refusal");
        const QString m = QStringLiteral("mem=0x10000;");
        QTest::newRow("query ROM") << 1 << "" << "memory=" << "";
        QTest::newRow("query memory") << 1 << m << "memory=0x10000" << "";
        QTest::newRow("config") << 3 << m + "addr=0x2000" << "address=0x2000;memoryId=0x10000" << "";
        QTest::newRow("config no address") << 3 << m << "" << "Please input an address!";
        QTest::newRow("config half address") << 3 << m + "addr=0x" << ""
                                             << "The address must be '0x' followed by 1 to 8 hexadecimal digits!";
        QTest::newRow("config no memory") << 3 << "addr=0x1" << ""
                                          << "There is no memory to choose! Please select a SoC first.";
        QTest::newRow("write array") << 4 << m + "addr=0x0;words=0x1,0xFFFFFFFF"
                                     << "address=0x0;memoryId=0x10000;word=0x1,0xFFFFFFFF" << "";
        QTest::newRow("write array empty") << 4 << m + "addr=0x0" << "" << "Please input hexadecimal array!";
        QTest::newRow("write array trailing comma")
            << 4 << m + "addr=0x0;words=0x1,0x2," << ""
            << "The hexadecimal array must be words of '0x' and 1 to 8 digits, separated by commas!";
        QTest::newRow("write file") << 4 << m + "addr=0x0;words=0x1;file=$FILE"
                                    << "address=0x0;imagePath=$FILE;memoryId=0x10000" << "";
        QTest::newRow("write file empty") << 4 << m + "addr=0x0;file=" << "" << "Please select a file path!";
        QTest::newRow("write file missing") << 4 << m + "addr=0x0;file=/no/such.bin" << ""
                                            << "The file does not exist: /no/such.bin";
        QTest::newRow("read to views") << 5 << m + "addr=0x10;len=64"
                                       << "address=0x10;length=64;memoryId=0x10000" << "";
        QTest::newRow("read to file") << 5 << m + "addr=0x10;len=64;save=/tmp/a.bin"
                                      << "address=0x10;length=64;memoryId=0x10000;path=/tmp/a.bin" << "";
        QTest::newRow("read save no path") << 5 << m + "addr=0x10;len=64;save=" << "" << "Please select a file path!";
        QTest::newRow("read no length") << 5 << m + "addr=0x10" << "" << "Please input an address and a length!";
        QTest::newRow("read zero length") << 5 << m + "addr=0x10;len=0" << ""
                                          << "The length must be a decimal number from 1 to 4294967295!";
        QTest::newRow("load image") << 6 << "img=$FILE" << "imagePath=$FILE" << "";
        QTest::newRow("load image empty") << 6 << "" << "" << "Please select a file path!";
        QTest::newRow("erase region") << 7 << m + "addr=0xFFFFFF00;len=256"
                                      << "address=0xFFFFFF00;length=256;memoryId=0x10000" << "";
        QTest::newRow("erase past 4 GiB") << 7 << m + "addr=0xFFFFFF00;len=257" << ""
                                          << "The address and length exceed the 32-bit address space!";
        QTest::newRow("erase no address") << 7 << m + "len=4" << "" << "Please input an address and a length!";
        QTest::newRow("erase chip") << 8 << m << "memoryId=0x10000" << "";
        QTest::newRow("hot reset") << 9 << "reset=1" << "type=1" << "";
        QTest::newRow("no editor") << 2 << m + "addr=0x1" << "" << "";
    }
    void toParams()
    {
        QFETCH(int, nameId);
        QFETCH(QString, fields);
        QFETCH(QString, params);
        QFETCH(QString, refusal);
        QMap<QString, QString> out { { QStringLiteral("stale"), QStringLiteral("x") } };
        QCOMPARE(form(fields).toParams(nameId, out), refusal);
        QCOMPARE(paramsText(out), params);
    }

    // A stored command loads into fields that store the same parameters again.
    void roundTrip_data()
    {
        QTest::addColumn<int>("nameId");
        QTest::addColumn<QString>("fields");
        QTest::newRow("write words") << 4 << "mem=0x0;addr=0x8;words=0x1,0x2";
        QTest::newRow("write file") << 4 << "mem=0x0;addr=0x8;file=$FILE";
        QTest::newRow("read to file") << 5 << "mem=0x0;addr=0x8;len=4;save=/tmp/x.bin";
        QTest::newRow("query ROM") << 1 << "";
        QTest::newRow("cold reset") << 9 << "reset=2";
    }
    void roundTrip()
    {
        QFETCH(int, nameId);
        QFETCH(QString, fields);
        DownloadCommand cmd { QString(), nameId, {} };
        QVERIFY(form(fields).toParams(nameId, cmd.params).isEmpty());
        QMap<QString, QString> again;
        QVERIFY(CommandForm::fromCommand(cmd).toParams(nameId, again).isEmpty());
        QCOMPARE(again, cmd.params);
    }

    void indexOfMemory_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("index");
        QTest::newRow("ROM") << "" << 0;
        QTest::newRow("same text") << "0x10000" << 2;
        QTest::newRow("no prefix") << "10000" << 2;
        QTest::newRow("upper prefix, zeros") << "0X00010000" << 2;
        QTest::newRow("unknown") << "0x30000" << -1;
    }
    void indexOfMemory()
    {
        QFETCH(QString, value);
        QFETCH(int, index);
        SocInfo soc;
        soc.memoryView = { { QStringLiteral("ILM"), QStringLiteral("0"), false },
            { QStringLiteral("XPI0 NOR"), QStringLiteral("0x10000"), true } };
        QCOMPARE(CommandForm::indexOfMemory(CommandForm::memoryChoices(soc, true), value), index);
    }
};

QTEST_GUILESS_MAIN(TstCommandForm)
#include "tst_commandform.moc"
