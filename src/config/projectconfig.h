// The project: selected SoC, custom SoCs, Krel image settings, queued OTP words
// and the Open/Close production command lists. One process-wide object, kept in
// "settingconfig.vlxmfg" (an XML document in a Base64/XOR envelope) and written
// after every change.
#pragma once

#include "records.h"
#include "socinfo.h"

#include <QList>
#include <QMap>
#include <mutex>
#include <QString>
#include <QVector>
#include <functional>

// Everything a project file holds; copied whole for import and package export.
struct ProjectData
{
    QString socType;
    bool showOtpWriteViewTips = false;
    QString imagePath;
    QString flashType;
    QString flashAddress;
    QString flashWordAddress = QStringLiteral("0x200");
    QString flashWord;
    QMap<quint32, QVector<quint32>> otpWords; // start word -> consecutive values
    QList<DownloadCommand> openCommands;
    QList<DownloadCommand> closeCommands;
    QList<CustomSocInfo> customSocs;
};

// The selected SoC name with the custom SoCs that may resolve it, read together.
struct SocSelection
{
    QString socType;
    QList<CustomSocInfo> customSocs;
};

class ProjectConfig
{
public:
    enum ImportResult { ImportBroken = 0, ImportSocChanged = 2, ImportSameSoc = 3 };

    static constexpr const char DefaultFileName[] = "settingconfig.vlxmfg";

    static ProjectConfig& instance();

    // Every field to its default; filePath stays.
    void reset();
    // Merges the file into the current fields in one step under the lock. On
    // failure nothing changes.
    bool load(const QString& path);
    // Writes the whole project through a temporary file renamed into place, so
    // a failed or interrupted write leaves the previous file whole.
    bool save(const QString& path) const;
    bool saveDefault() const;
    // Start-up: when the default file exists, the project becomes what it holds
    // (the defaults when it cannot be read). A broken file is kept as
    // filePath + ".broken" before it is overwritten.
    void loadIfExists();
    // The file is read into a fresh project that replaces the live one in one
    // step, so no reader ever sees a half-imported or empty project.
    // ImportBroken leaves the project and the default file as they were.
    int importFrom(const QString& path);
    bool exportTo(const QString& path) const;
    // Writes dir/settingconfig.vlxmfg with the command images copied to dir/bin.
    // Works on a copy: the in-memory project is never changed, so the GUI may
    // keep using it while a worker thread runs this. Different images with the
    // same file name get distinct files (a.bin, a_1.bin, ...). False, with the
    // reason in error and the log, when the folder cannot be made, an image
    // cannot be copied or the project file cannot be written.
    bool exportPackage(const QString& dir, QString* error = nullptr) const;
    // The export dialog's name rule: ".vlxmfg" appended unless the name ends in
    // ".vlxmfg" or ".VLXMFG".
    static QString exportFileName(const QString& chosen);

    bool hasCommands(int stage) const;
    bool hasAnyCommands() const;
    // Texts the project file cannot carry (control characters other than tab,
    // line feed and carriage return) are refused wherever they enter: the
    // setters below return false, log which field and change nothing.
    static bool isStorableText(const QString& text);

    // False (nothing changed) when a parameter holds a text the file cannot carry.
    bool updateCommand(int stage, const QString& id, int index, const DownloadCommand& command);
    bool setStageCommands(const QList<DownloadCommand>& commands, int stage, bool append);
    bool removeCommand(int stage, const QString& id);
    bool moveCommand(int stage, const QString& id, bool up);
    // The first command image that does not exist goes to missing.
    bool checkImageFiles(QString& missing) const;

    // Plain fields: callers change them, then call saveDefault().
    QString socType() const;
    bool setSocType(const QString& socType);
    bool showOtpWriteViewTips() const;
    void setShowOtpWriteViewTips(bool show); // saves
    QString imagePath() const;
    bool setImagePath(const QString& path);
    QString flashType() const;
    bool setFlashType(const QString& type);
    QString flashAddress() const;
    bool setFlashAddress(const QString& address);
    QString flashWordAddress() const;
    bool setFlashWordAddress(const QString& address);
    QString flashWord() const;
    bool setFlashWord(const QString& word);
    QMap<quint32, QVector<quint32>> otpWords() const;
    void setOtpWords(const QMap<quint32, QVector<quint32>>& words);
    QList<CustomSocInfo> customSocs() const;
    bool setCustomSocs(const QList<CustomSocInfo>& socs);
    SocSelection socSelection() const;
    QList<DownloadCommand> openCommands() const;
    QList<DownloadCommand> closeCommands() const;
    QList<DownloadCommand> commands(int stage) const;

    // A consistent copy of the whole project, and its replacement (refused like
    // the setters when a text cannot be stored).
    ProjectData data() const;
    bool setData(const ProjectData& data);

    QString filePath() const;

    // The file format, apart from any file: envelope bytes <-> project.
    static QString toXml(const ProjectData& data);
    static QByteArray wrap(const QString& xml);
    // Unwraps and parses; merges into data only on success. errorText gets the
    // parser message, line and column, or the field holding a text the file
    // cannot carry.
    static bool parseInto(const QByteArray& fileBytes, ProjectData& data, QString* errorText);

    // Tests: fields to defaults, filePath derived again from AppPaths.
    void resetForTests();

    ProjectConfig(const ProjectConfig&) = delete;
    ProjectConfig& operator=(const ProjectConfig&) = delete;

private:
    ProjectConfig();
    static bool writeFile(const QString& path, const ProjectData& data);
    // The file's bytes, or false after the log line.
    static bool readFile(const QString& path, QByteArray& bytes);
    QList<DownloadCommand>* stageList(int stage); // m_lock held

    mutable std::mutex m_lock; // guards m_data and m_filePath: worker jobs read the selected SoC
    ProjectData m_data;
    QString m_filePath;
    mutable std::mutex m_writeLock; // serialises file writes
};
