// Equipment of the runner and job tests on top of the ROM rig: a GUI-side relay that receives every job signal through
// the queued connections a real window would use, and a SoC with a 128-word fuse map.
#pragma once

#include "downloadcmd.h"
#include "jobpool.h"
#include "linkeddownloadtask.h"
#include "romrig.h"
#include "stagedownloadtask.h"

#include "apppaths.h"
#include "projectconfig.h"
#include "records.h"
#include "socdatabase.h"
#include "testfiles.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QVariantMap>
#include <QtEndian>
#include <QtTest>
#include <memory>

// Lives on the test (GUI) thread; job signals reach it queued.
class JobRelay : public QObject
{
    Q_OBJECT
public:
    // Name-based connections: each queued delivery then carries only the method
    // index, as with a window's slots, and no shared slot object.
    void attach(RomCmd::DownloadCmd* job)
    {
        connect(job, SIGNAL(callbackDownloadTaskUpdate(QString, DownloadTaskInfo)), this,
            SIGNAL(update(QString, DownloadTaskInfo)));
        connect(job, SIGNAL(signalAddLogs(QString, LogLevel)), this, SIGNAL(log(QString, LogLevel)));
        connect(job, SIGNAL(signalRunStarted(bool)), this, SIGNAL(runStarted(bool)));
        connect(job, SIGNAL(signalRunFinished(bool, QVariantMap)), this, SIGNAL(runFinished(bool, QVariantMap)));
        connect(job, SIGNAL(signalMemoryDataReadFinished(uint32_t, QVector<uint8_t>)), this,
            SIGNAL(dataRead(uint32_t, QVector<uint8_t>)));
        connect(job, SIGNAL(signalOTPMemoryQueried(uint32_t, uint32_t, uint32_t, uint32_t)), this,
            SIGNAL(otpQueried(uint32_t, uint32_t, uint32_t, uint32_t)));
        if (qobject_cast<RomCmd::LinkedDownloadTask*>(job)) {
            connect(job, SIGNAL(signalLinkedStepFinished(QString, int, bool, QVariantMap)), this,
                SIGNAL(stepFinished(QString, int, bool, QVariantMap)));
            connect(job, SIGNAL(signalLinkedMemoryDataReadFinished(QString, uint32_t, QVector<uint8_t>)), this,
                SIGNAL(linkedDataRead(QString, uint32_t, QVector<uint8_t>)));
            connect(job, SIGNAL(signalLinkedOTPMemoryQueried(QString, uint32_t, uint32_t, uint32_t, uint32_t)), this,
                SIGNAL(linkedOtpQueried(QString, uint32_t, uint32_t, uint32_t, uint32_t)));
        }
        if (qobject_cast<RomCmd::StageDownloadTask*>(job))
            connect(job, SIGNAL(signalUpdateLoadingProgressStatus(bool)), this, SIGNAL(loadingProgress(bool)));
    }

    // Error-level lines received so far.
    QStringList errors(const QSignalSpy& logSpy) const
    {
        QStringList out;
        for (const QList<QVariant>& args : logSpy)
            if (args.at(1).value<LogLevel>() == LogError)
                out << args.at(0).toString();
        return out;
    }

signals:
    void update(QString id, DownloadTaskInfo taskInfo);
    void log(QString log, LogLevel level);
    void runStarted(bool isShowProgress);
    void runFinished(bool result, QVariantMap map);
    void dataRead(uint32_t address, QVector<uint8_t> data);
    void otpQueried(uint32_t start, uint32_t end, uint32_t unit, uint32_t size);
    void stepFinished(QString uuid, int step, bool result, QVariantMap map);
    void linkedDataRead(QString uuid, uint32_t address, QVector<uint8_t> data);
    void linkedOtpQueried(QString uuid, uint32_t start, uint32_t end, uint32_t unit, uint32_t size);
    void loadingProgress(bool isShowProgress);
};

using Rig::HidRig;
using Rig::UartRig;

namespace JobTest {

inline DownloadCommand command(int nameId, const QMap<QString, QString>& params = {})
{
    DownloadCommand cmd;
    cmd.id = QStringLiteral("cmd-%1").arg(nameId);
    cmd.nameId = nameId;
    cmd.params = params;
    return cmd;
}

inline DownloadCommand otpRead(uint32_t word, int bytes)
{
    return command(5,
        { { "memoryId", "0x20000" }, { "address", QStringLiteral("0x%1").arg(word, 8, 16, QChar('0')) },
            { "length", QString::number(bytes) }, { "showReadMemoryLog", "false" } });
}

// A catalogue with one SoC, Model-T: ILM, XPI0 NOR and OTP (0x20000) and a
// fuse map of 128 words; selected in the project.
inline void selectTestSoc(const QString& dir)
{
    QString xml = QStringLiteral("<configuration><socs><soc name=\"Model-T\" vid=\"0x34B7\" pid=\"0x0009\">"
                                 "<memoryView><memory name=\"ILM\" value=\"0\"/>"
                                 "<memory name=\"XPI0 NOR\" value=\"0x10000\" erasable=\"1\"/>"
                                 "<memory name=\"OTP\" value=\"0x20000\"/></memoryView><fuseMap>");
    for (int i = 0; i < 128; ++i)
        xml += QStringLiteral("<word index=\"%1\" type=\"GENERAL\" desc=\"G\"/>").arg(i);
    xml += QStringLiteral("</fuseMap></soc></socs></configuration>");
    QVERIFY(writeFile(dir + "/common.xml", xml.toUtf8()));
    QVERIFY(writeFile(dir + "/exclude_soc_list", QByteArray()));
    AppPaths::setAppDirOverride(dir);
    SocDatabase::instance().loadFrom(dir + "/common.xml", dir + "/exclude_soc_list");
    ProjectConfig::instance().setSocType(QStringLiteral("Model-T"));
    QCOMPARE(SocDatabase::instance().currentSoc().fuseMap.size(), 128);
}

// Waits for every pool job while the GUI side keeps receiving (and answering)
// their queued signals; then delivers what is left.
inline bool waitForPool()
{
    QElapsedTimer clock;
    clock.start();
    while (!QThreadPool::globalInstance()->waitForDone(5)) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        if (clock.elapsed() > 60000)
            return false;
    }
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    return true;
}

inline QList<DownloadTaskInfo> infos(const QSignalSpy& spy)
{
    QList<DownloadTaskInfo> out;
    for (const QList<QVariant>& args : spy)
        out << args.at(1).value<DownloadTaskInfo>();
    return out;
}

inline QList<uint8_t> tags(const RomSim::Engine& engine)
{
    QList<uint8_t> out;
    for (const QByteArray& p : engine.receivedPackets())
        out << uint8_t(p.at(0));
    return out;
}

inline uint32_t word(const QByteArray& p, int index)
{
    return qFromLittleEndian<uint32_t>(p.constData() + 4 + 4 * index);
}

// Every signal a job sends to the GUI side, as received there.
struct JobWatch
{
    JobRelay relay;
    QSignalSpy updates { &relay, &JobRelay::update };
    QSignalSpy logs { &relay, &JobRelay::log };
    QSignalSpy started { &relay, &JobRelay::runStarted };
    QSignalSpy finished { &relay, &JobRelay::runFinished };
    QSignalSpy reads { &relay, &JobRelay::dataRead };
    QSignalSpy steps { &relay, &JobRelay::stepFinished };
    QSignalSpy linkedReads { &relay, &JobRelay::linkedDataRead };
    QSignalSpy linkedOtp { &relay, &JobRelay::linkedOtpQueried };
    QSignalSpy loading { &relay, &JobRelay::loadingProgress };

    bool result() const { return finished.size() == 1 && finished.at(0).at(0).toBool(); }
    bool failed() const { return finished.size() == 1 && !finished.at(0).at(0).toBool(); } // ended once, failed
    QVariantMap map() const { return finished.at(0).at(1).toMap(); }
    DownloadTaskInfo last() const { return updates.last().at(1).value<DownloadTaskInfo>(); }
    QList<int> statuses() const
    {
        QList<int> out;
        for (const DownloadTaskInfo& i : infos(updates))
            out << i.status;
        return out;
    }
};

} // namespace JobTest
