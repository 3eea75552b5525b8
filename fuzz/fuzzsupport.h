// Shared by the fuzz targets: a quiet Qt, a core application for the classes
// that want one, and the check that turns a broken invariant into a finding.
#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QString>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace Fuzz {

inline void quietHandler(QtMsgType, const QMessageLogContext&, const QString&) { }

inline void setUp()
{
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = { name, nullptr };
    qInstallMessageHandler(quietHandler);
    if (!QCoreApplication::instance())
        new QCoreApplication(argc, argv);
}

inline QByteArray bytes(const uint8_t* data, size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), int(size));
}

[[noreturn]] inline void fail(const char* what, const QString& detail = QString())
{
    std::fprintf(stderr, "INVARIANT BROKEN: %s %s\n", what, qPrintable(detail.left(2000)));
    std::abort();
}

} // namespace Fuzz

#define FUZZ_CHECK(cond, detail)                                                                                      \
    do {                                                                                                              \
        if (!(cond))                                                                                                  \
            Fuzz::fail(#cond, detail);                                                                                \
    } while (0)

#define FUZZ_INIT                                                                                                     \
    extern "C" int LLVMFuzzerInitialize(int*, char***)                                                               \
    {                                                                                                                 \
        Fuzz::setUp();                                                                                                \
        return 0;                                                                                                     \
    }
