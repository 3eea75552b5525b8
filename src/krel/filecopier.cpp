#include "filecopier.h"

FileCopier::FileCopier(Krel::CopyStep step, QObject* parent)
    : QObject(parent)
    , m_step(std::move(step))
{ }

void FileCopier::copyFiles(QStringList sourceFiles, QString destDir)
{
    const Krel::FirmwareCopyResult r
        = Krel::FirmwareCopy(m_step).run(sourceFiles, destDir, [this](int value) { emit progressChanged(value); });
    for (const QString& error : r.errors)
        emit errorOccurred(error);
    emit finished(r.success, r.message);
}
