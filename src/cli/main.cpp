// vlx-rom: the ROM path from the command line.
#include "vlxrom.h"

#include <QCoreApplication>
#include <QFile>
#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vlx-rom"));
    QCoreApplication::setApplicationVersion(QStringLiteral("0.4.0"));
    QFile out;
    QFile err;
    out.open(stdout, QIODevice::WriteOnly | QIODevice::Unbuffered);
    err.open(stderr, QIODevice::WriteOnly | QIODevice::Unbuffered);
    return RomCmd::runVlxRom(QCoreApplication::arguments(), RomCmd::systemEnvironment(&out, &err));
}
