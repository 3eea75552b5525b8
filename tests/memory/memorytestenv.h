// Shared equipment of the memory view widget tests: a temporary application
// directory with a one-SoC catalogue (ILM, an erasable XPI0 NOR, OTP with 32 fuse
// words), an empty project selecting it, and a tab whose questions and file
// dialog are answered by script.
#pragma once

#include "apppaths.h"
#include "globalsetting.h"
#include "memoryviewtab.h"
#include "projectconfig.h"
#include "records.h"
#include "socdatabase.h"

#include <QComboBox>
#include <QFile>
#include <QTemporaryDir>

namespace MemTest {

class AppDir
{
public:
    AppDir()
    {
        registerMetaTypes();
        AppPaths::setAppDirOverride(m_dir.path());
        GlobalSetting::instance().resetForTests();
        GlobalSetting::instance().load();
        ProjectConfig::instance().resetForTests();
        QByteArray xml
            = "<?xml version=\"1.0\" encoding=\"utf-8\"?><configuration><socs>"
              "<soc name=\"M1\" vid=\"0x34B7\" pid=\"0x0009\"><memoryView>"
              "<memory name=\"ILM\" value=\"0\"/><memory name=\"XPI0 NOR\" value=\"0x10000\" erasable=\"1\"/>"
              "<memory name=\"OTP\" value=\"0x20000\"/></memoryView><fuseMap>";
        for (int i = 0; i < 32; ++i)
            xml += QStringLiteral("<word index=\"%1\" type=\"GENERAL\" desc=\"W\"><field name=\"F%1\" offset=\"0\" "
                                  "width=\"32\" type=\"none\"/></word>")
                       .arg(i)
                       .toLatin1();
        xml += "</fuseMap></soc></socs></configuration>";
        QFile f(m_dir.filePath(QStringLiteral("socs.xml")));
        f.open(QIODevice::WriteOnly);
        f.write(xml);
        f.close();
        SocDatabase::instance().loadFrom(f.fileName(), m_dir.filePath(QStringLiteral("no_exclude_list")));
        ProjectConfig::instance().setSocType(QStringLiteral("M1"));
    }
    ~AppDir()
    {
        SocDatabase::instance().resetForTests();
        ProjectConfig::instance().resetForTests();
        GlobalSetting::instance().resetForTests();
        AppPaths::setAppDirOverride(QString());
    }
    QString filePath(const QString& name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
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

protected:
    int ask(QMessageBox::Icon, const QString&, const QString& text, const QStringList&) override
    {
        questions.append(text);
        return answer;
    }
    QString saveFileName(const QString&, const QString&, const QString&) override { return savePath; }
};

} // namespace MemTest
