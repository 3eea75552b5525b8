#include "runreport.h"

#include <QCoreApplication>
#include <QtGlobal>

namespace RunReport {

Line finished(bool result, const QVariantMap& resultInfoMap)
{
    if (resultInfoMap.contains(QStringLiteral("noCommandExecuted")))
        return {QCoreApplication::translate("RunReport", "There is no command to be executed!"), LogWarning};
    if (result)
        return {QCoreApplication::translate("RunReport", "Commands run finish! Result: ")
                    + QCoreApplication::translate("RunReport", "success!"),
            LogInfo};
    return {QCoreApplication::translate("RunReport", "Commands run finish! Result: ")
                + QCoreApplication::translate("RunReport", "failed!"),
        LogError};
}

QString ordinal(int n)
{
    const int lastTwo = qAbs(n) % 100;
    const int last = qAbs(n) % 10;
    if (lastTwo < 11 || lastTwo > 13) {
        if (last == 1)
            return QCoreApplication::translate("RunReport", "%1st").arg(n);
        if (last == 2)
            return QCoreApplication::translate("RunReport", "%1nd").arg(n);
        if (last == 3)
            return QCoreApplication::translate("RunReport", "%1rd").arg(n);
    }
    return QCoreApplication::translate("RunReport", "%1th").arg(n);
}

QString stepText(const DownloadTaskInfo& info)
{
    return QCoreApplication::translate("RunReport", "Run %1 command, the number of commands is %2")
        .arg(ordinal(info.cmdIndex))
        .arg(info.cmdCount);
}

double percent(const DownloadTaskInfo& info)
{
    const double part = info.total < 1 ? 0.0 : qBound(0.0, double(info.progress) / info.total, 1.0);
    if (info.cmdCount < 1)
        return part * 100.0;
    const int done = qBound(0, info.cmdIndex - 1, info.cmdCount - 1);
    return (done + part) / info.cmdCount * 100.0;
}

} // namespace RunReport
