// What the command line needs from the system: the interrupt key, whether a
// stream is a terminal, and why a device path cannot be opened.
#pragma once

#include <QString>
#include <cstdio>

namespace RomCmd::CliPlatform {

// Ctrl-C sets a flag the transfer reads between chunks; a second Ctrl-C ends
// the process at once. restore() puts the previous handling back.
void installInterruptHandler();
void restoreInterruptHandler();
bool interruptRequested();
void clearInterrupt();

bool isTerminal(FILE* stream);
// Columns of the terminal behind stream; 80 when unknown.
int terminalColumns(FILE* stream);

enum class PathProblem { None, Absent, Permission };
// What stops this user from opening a device node (None when nothing visible does).
PathProblem pathProblem(const QString& path);

} // namespace RomCmd::CliPlatform
