// Copies the firmware onto the box's update drive on the thread it was moved to;
// Krel::FirmwareCopy does the work and says what the outcome means.
#pragma once

#include "firmwareupgrade.h"

#include <QObject>
#include <QString>
#include <QStringList>

class FileCopier : public QObject
{
    Q_OBJECT
public:
    explicit FileCopier(Krel::CopyStep step = Krel::CopyStep(), QObject* parent = nullptr);

public slots:
    void copyFiles(QStringList sourceFiles, QString destDir);

signals:
    void progressChanged(int value);
    void finished(bool success, QString message);
    void errorOccurred(QString error);

private:
    Krel::CopyStep m_step; // set once at construction, read on the worker thread only
};
