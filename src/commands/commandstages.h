// The production list as the command tree shows it: the Open and Close stages
// of the project, the texts of their items, and the edits the tree offers
// (store, insert, delete, move across the stage boundary). Works on the
// project configuration, which saves after every change.
#pragma once

#include "records.h"

#include <QCoreApplication>
#include <QList>
#include <QPair>
#include <QString>

class CommandStages
{
    Q_DECLARE_TR_FUNCTIONS(CommandStages)

public:
    struct Position
    {
        int stage = EStageNone;
        int index = -1;
        bool isValid() const { return index >= 0; }
    };
    using Ref = QPair<int, QString>; // stage, command id

    static QList<int> stages() { return { EStageOpen, EStageClose }; }
    static QString stageTitle(int stage);
    // The command's name, "Unknown Command" outside the command-name table.
    static QString commandTitle(const DownloadCommand& cmd);
    // The parameters as "key: value; " pairs in key order.
    static QString paramsText(const DownloadCommand& cmd);

    static QList<DownloadCommand> commands(int stage);
    static Position find(const QString& id);
    // Whether a move is possible: Open's last goes down into Close, Close's first up into Open.
    static bool canMove(int stage, const QString& id, bool up);
    static bool move(int stage, const QString& id, bool up);
    // Where a command inserted before or after the given one goes in its stage; -1 when it is gone.
    static int insertIndex(int stage, const QString& id, bool after);
    static bool remove(int stage, const QString& id);
    // Removes several; returns how many were removed.
    static int remove(const QList<Ref>& refs);

    // Stores the dialog's command. A new command (empty id) gets newId and goes
    // to index in stage (appended for -1, clamped to the list); an edited one
    // is replaced where it is, or moved to the end of stage when the user chose
    // the other stage. False when the project refuses its texts.
    static bool store(int stage, int index, DownloadCommand& cmd, const QString& newId);

    // The commands of the given ids in run order (Open first, list order).
    static QList<DownloadCommand> inRunOrder(const QList<Ref>& refs);
};
