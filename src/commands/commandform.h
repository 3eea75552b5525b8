// The field values of the command editors and the rules that turn them into a
// command's parameters and back. The widgets only show these fields; every
// check and every key lives here so it can be tested without a window.
#pragma once

#include "records.h"
#include "socinfo.h"

#include <QCoreApplication>
#include <QList>
#include <QMap>
#include <QString>

// One entry of a memory chooser: the text shown and the memory id written.
struct MemoryChoice
{
    QString name;
    QString value;
};

struct CommandForm
{
    Q_DECLARE_TR_FUNCTIONS(CommandForm)

public:
    QString memory; // chosen memory value ("memory" for query-rte, else "memoryId")
    QString address; // hexadecimal
    QString length; // decimal
    bool writeArray = true; // write-memory: words (true) or a file (false)
    QString words;
    QString writeFile;
    bool saveToFile = false; // read-memory
    QString savePath;
    QString imagePath; // load-image
    int resetType = 0; // 0 default, 1 hot, 2 cold

    // The kinds that have an editor: 1 and 3 to 9.
    static bool hasEditor(int nameId);
    // The editor kinds in the order the dialog offers them.
    static QList<int> editorKinds();

    // Checks the fields for the kind and writes its keys into params (which is
    // cleared first). Returns the message to show, empty on success.
    QString toParams(int nameId, QMap<QString, QString>& params) const;
    // The fields of a stored command, for editing it.
    static CommandForm fromCommand(const DownloadCommand& cmd);

    // The memory choosers: the SoC's memory views, for query-rte after "ROM".
    static QList<MemoryChoice> memoryChoices(const SocInfo& soc, bool withRom);
    // Index of the choice whose value is the same memory id (compared as
    // hexadecimal numbers, "0x" optional), -1 when none is.
    static int indexOfMemory(const QList<MemoryChoice>& choices, const QString& value);

    // The line patterns and placeholders the editors use.
    static QString addressPattern();
    static QString wordsPattern();
    static QString addressPlaceholder();
    static QString eraseAddressPlaceholder();
    static QString wordsPlaceholder();
    static QString lengthPlaceholder();
    static QString resetTypeName(int type);

    // Plain parsers shared by the checks.
    static bool parseAddress(const QString& text, quint32* value = nullptr);
    static bool parseLength(const QString& text, quint32* value = nullptr);
    static bool parseWords(const QString& text, int* count = nullptr);
};
