// Shared equipment of the command tests: a temporary application directory with
// a one-SoC catalogue (memories ILM 0x0 and XPI0 NOR 0x10000), an empty project
// selecting it, and the compact texts the cases compare.
#pragma once

#include "apppaths.h"
#include "globalsetting.h"
#include "projectconfig.h"
#include "records.h"
#include "socdatabase.h"

#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

namespace CmdTest {

class AppDir
{
public:
    AppDir()
    {
        registerMetaTypes();
        AppPaths::setAppDirOverride(m_dir.path());
        GlobalSetting::instance().resetForTests();
        ProjectConfig::instance().resetForTests();
        QFile f(m_dir.filePath(QStringLiteral("socs.xml")));
        f.open(QIODevice::WriteOnly);
        f.write("<?xml version=\"1.0\" encoding=\"utf-8\"?><configuration><socs>"
                "<soc name=\"T1\" vid=\"0x34B7\" pid=\"0x0009\"><memoryView>"
                "<memory name=\"ILM\" value=\"0x0\"/><memory name=\"XPI0 NOR\" value=\"0x10000\" erasable=\"1\"/>"
                "</memoryView></soc></socs></configuration>");
        f.close();
        SocDatabase::instance().loadFrom(f.fileName(), m_dir.filePath(QStringLiteral("no_exclude_list")));
        ProjectConfig::instance().setSocType(QStringLiteral("T1"));
    }
    ~AppDir()
    {
        SocDatabase::instance().resetForTests();
        ProjectConfig::instance().resetForTests();
        GlobalSetting::instance().resetForTests();
        AppPaths::setAppDirOverride(QString());
    }

private:
    QTemporaryDir m_dir;
};

inline DownloadCommand command(const QString& id, int nameId = 9, const QString& type = QStringLiteral("0"))
{
    return DownloadCommand { id, nameId, { { QStringLiteral("type"), type } } };
}

// "a b | c": the ids of the Open list, then of the Close list.
inline QString stagesText()
{
    QStringList parts;
    for (int stage : { EStageOpen, EStageClose }) {
        QStringList ids;
        for (const DownloadCommand& c : ProjectConfig::instance().commands(stage))
            ids << c.id;
        parts << ids.join(QLatin1Char(' '));
    }
    return parts.join(QStringLiteral(" | "));
}

inline void setStages(const QStringList& open, const QStringList& close)
{
    QList<DownloadCommand> o, c;
    for (const QString& id : open)
        o << command(id);
    for (const QString& id : close)
        c << command(id);
    ProjectConfig::instance().setStageCommands(o, EStageOpen, false);
    ProjectConfig::instance().setStageCommands(c, EStageClose, false);
}

} // namespace CmdTest
