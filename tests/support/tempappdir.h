// A temporary application folder for one test: fresh settings and project in
// it, and, when a catalogue is given, that SoC catalogue loaded with one SoC
// selected. Everything is reset again when it goes.
#pragma once

#include "apppaths.h"
#include "globalsetting.h"
#include "projectconfig.h"
#include "records.h"
#include "socdatabase.h"
#include "testfiles.h"

#include <QTemporaryDir>

class TempAppDir
{
public:
    explicit TempAppDir(const QByteArray& catalogue = QByteArray(), const QString& soc = QString())
    {
        registerMetaTypes();
        AppPaths::setAppDirOverride(m_dir.path());
        GlobalSetting::instance().resetForTests();
        GlobalSetting::instance().load();
        ProjectConfig::instance().resetForTests();
        if (catalogue.isEmpty())
            return;
        writeFile(filePath(QStringLiteral("socs.xml")), catalogue);
        SocDatabase::instance().loadFrom(filePath(QStringLiteral("socs.xml")), filePath(QStringLiteral("no_exclude_list")));
        ProjectConfig::instance().setSocType(soc);
    }
    ~TempAppDir()
    {
        SocDatabase::instance().resetForTests();
        ProjectConfig::instance().resetForTests();
        GlobalSetting::instance().resetForTests();
        AppPaths::setAppDirOverride(QString());
    }
    TempAppDir(const TempAppDir&) = delete;
    TempAppDir& operator=(const TempAppDir&) = delete;

    bool isValid() const { return m_dir.isValid(); }
    QString path() const { return m_dir.path(); }
    QString filePath(const QString& name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
};
