// The SoC catalogue compiled into the resources (":/config/common.xml"), less
// the SoCs named in ":/config/exclude_soc_list". Loaded once at start-up, then
// read from the GUI and from worker jobs: every accessor returns a copy made
// under the lock.
#pragma once

#include "socinfo.h"

#include <QByteArray>
#include <QList>
#include <mutex>
#include <QString>
#include <QStringList>

class SocDatabase
{
public:
    static SocDatabase& instance();

    // Loads the project file first (it names the selected and the custom
    // SoCs), then the exclusion list unless EnableAllSoCs is set, then the
    // catalogue. Failures leave an empty database and a critical log line.
    void load();
    // The same steps with the two inputs taken from the given files.
    void loadFrom(const QString& documentPath, const QString& excludeListPath);

    QList<SocInfo> socList() const;
    // The first SoC of that exact name, else the empty record.
    SocInfo socByName(const QString& name) const;
    // The SoC selected in the project: a catalogue SoC, or a custom SoC
    // resolved through its ref with its own ids, else the empty record
    // (vid and pid 0xFFFFFFFF).
    SocInfo currentSoc() const;
    // The catalogue name behind the selected SoC, or empty text.
    QString currentSocBaseName() const;
    QStringList excludedNames() const;

    // Parsing apart from the resources. The exclusion list: trimmed names.
    static QStringList parseExcludeList(const QByteArray& content);
    // The catalogue: SoCs of the document, those named in excluded dropped.
    // False (with the critical log line) when the document does not parse.
    static bool parseDocument(const QByteArray& xml, const QStringList& excluded, QList<SocInfo>& socs);

    // Tests: back to the empty, never-loaded database.
    void resetForTests();

    SocDatabase(const SocDatabase&) = delete;
    SocDatabase& operator=(const SocDatabase&) = delete;

private:
    SocDatabase();

    mutable std::mutex m_lock; // guards every member below
    QList<SocInfo> m_socs;
    SocInfo m_emptySoc;
    mutable SocInfo m_customSlot; // last custom SoC resolved by currentSoc()
    QStringList m_excludedNames;
};
