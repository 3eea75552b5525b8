#include "commandstages.h"

#include "constants.h"
#include "projectconfig.h"

#include <algorithm>

QString CommandStages::stageTitle(int stage)
{
    return stage == EStageOpen ? tr("Stage Open") : stage == EStageClose ? tr("Stage Close") : QString();
}

QString CommandStages::commandTitle(const DownloadCommand& cmd)
{
    if (cmd.nameId < 0 || cmd.nameId >= Constants::commandNameCount())
        return tr("Unknown Command");
    return Constants::commandName(cmd.nameId);
}

QString CommandStages::paramsText(const DownloadCommand& cmd)
{
    QString out;
    for (auto it = cmd.params.cbegin(); it != cmd.params.cend(); ++it)
        out += QStringLiteral("%1: %2; ").arg(it.key(), it.value());
    return out;
}

QList<DownloadCommand> CommandStages::commands(int stage)
{
    return ProjectConfig::instance().commands(stage);
}

CommandStages::Position CommandStages::find(const QString& id)
{
    for (int stage : stages()) {
        const QList<DownloadCommand> list = commands(stage);
        for (int i = 0; i < list.size(); ++i) {
            if (list.at(i).id == id)
                return { stage, i };
        }
    }
    return {};
}

bool CommandStages::canMove(int stage, const QString& id, bool up)
{
    const Position pos = find(id);
    if (!pos.isValid() || pos.stage != stage)
        return false;
    const int size = commands(stage).size();
    if (up)
        return pos.index > 0 || stage == EStageClose;
    return pos.index < size - 1 || stage == EStageOpen;
}

bool CommandStages::move(int stage, const QString& id, bool up)
{
    return canMove(stage, id, up) && ProjectConfig::instance().moveCommand(stage, id, up);
}

int CommandStages::insertIndex(int stage, const QString& id, bool after)
{
    const Position pos = find(id);
    if (!pos.isValid() || pos.stage != stage)
        return -1;
    return pos.index + (after ? 1 : 0);
}

bool CommandStages::remove(int stage, const QString& id)
{
    return ProjectConfig::instance().removeCommand(stage, id);
}

int CommandStages::remove(const QList<Ref>& refs)
{
    int removed = 0;
    for (const Ref& r : refs)
        removed += remove(r.first, r.second) ? 1 : 0;
    return removed;
}

bool CommandStages::store(int stage, int index, DownloadCommand& cmd, const QString& newId)
{
    if (stage != EStageOpen && stage != EStageClose)
        return false;
    ProjectConfig& project = ProjectConfig::instance();
    const Position pos = cmd.id.isEmpty() ? Position() : find(cmd.id);
    if (pos.isValid() && pos.stage == stage)
        return project.updateCommand(stage, cmd.id, -1, cmd);
    if (pos.isValid()) {
        // Another stage chosen for an existing command: it goes to the end of
        // that list first, so a refused text leaves it where it was.
        if (!project.updateCommand(stage, QString(), -1, cmd))
            return false;
        project.removeCommand(pos.stage, cmd.id);
        return true;
    }
    if (cmd.id.isEmpty())
        cmd.id = newId;
    const int size = commands(stage).size();
    if (index > size)
        index = size;
    return project.updateCommand(stage, QString(), index < 0 ? -1 : index, cmd);
}

QList<DownloadCommand> CommandStages::inRunOrder(const QList<Ref>& refs)
{
    QList<DownloadCommand> out;
    for (int stage : stages()) {
        for (const DownloadCommand& cmd : commands(stage)) {
            const bool wanted = std::any_of(
                refs.cbegin(), refs.cend(), [&](const Ref& r) { return r.first == stage && r.second == cmd.id; });
            if (wanted)
                out.append(cmd);
        }
    }
    return out;
}
