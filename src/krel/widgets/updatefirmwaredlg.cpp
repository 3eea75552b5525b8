#include "updatefirmwaredlg.h"

#include "filecopier.h"

#include <QCloseEvent>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

static void initFirmwareResources()
{
    Q_INIT_RESOURCE(firmware);
}

namespace {

QLabel* picture(const QString& resource, QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setPixmap(QPixmap(resource));
    label->setAlignment(Qt::AlignCenter);
    return label;
}

QLabel* wrapped(QWidget* parent, const char* name)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setWordWrap(true);
    return label;
}

} // namespace

UpdateFirmwareDlg::UpdateFirmwareDlg(
    const QString& currentVersion, const QString& newVersion, const QString& newFirmwarePath, QWidget* parent)
    : QDialog(parent)
    , m_currentVersion(currentVersion)
    , m_newVersion(newVersion)
    , m_newFirmwarePath(newFirmwarePath)
{
    initFirmwareResources();
    setObjectName(QStringLiteral("UpdateFirmwareDlg"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    setFixedSize(900, 600);
    QFile qss(QStringLiteral(":/qss/updatefirmware.qss"));
    if (qss.open(QIODevice::ReadOnly))
        setStyleSheet(QString::fromUtf8(qss.readAll()));

    m_currentLabel = wrapped(this, "CurrentVersionLabel");
    m_newLabel = wrapped(this, "NewVersionLabel");
    m_step1 = wrapped(this, "SwitchStepLabel");
    m_step2 = wrapped(this, "DriveStepLabel");
    m_step3 = wrapped(this, "DownloadStepLabel");
    m_tip = wrapped(this, "TipLabel");
    m_downloadBtn = new QPushButton(this);
    m_downloadBtn->setObjectName(QStringLiteral("DownloadFirmwareBtn"));
    m_downloadBtn->setMinimumHeight(36);

    auto* versions = new QGridLayout;
    versions->addWidget(m_currentLabel, 0, 0);
    versions->addWidget(m_newLabel, 0, 1);
    auto* pictures = new QGridLayout;
    pictures->addWidget(m_step1, 0, 0);
    pictures->addWidget(m_step2, 0, 1);
    pictures->addWidget(picture(QStringLiteral(":/img/update_u2"), this), 1, 0);
    pictures->addWidget(picture(QStringLiteral(":/img/update_u1"), this), 1, 1);
    pictures->setColumnStretch(0, 1);
    pictures->setColumnStretch(1, 1);
    pictures->setRowStretch(1, 1);
    m_step1->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
    m_step2->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
    auto* button = new QHBoxLayout;
    button->addStretch(1);
    button->addWidget(m_downloadBtn);
    button->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 20, 24, 20);
    layout->setSpacing(14);
    layout->addLayout(versions);
    layout->addLayout(pictures, 1);
    layout->addWidget(m_step3);
    layout->addWidget(m_tip);
    layout->addLayout(button);

    m_startTimer = new QTimer(this);
    m_startTimer->setObjectName(QStringLiteral("StartCopyTimer"));
    m_startTimer->setSingleShot(true);
    m_startTimer->setInterval(StartDelayMs);

    m_chooseDirectory = [](QWidget* p) {
        return QFileDialog::getExistingDirectory(
            p, tr("Open Directory"), QString(), QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
    };
    connect(m_downloadBtn, &QPushButton::clicked, this, &UpdateFirmwareDlg::slotUpdateFirmBtnPressed);
    retranslate();
}

UpdateFirmwareDlg::~UpdateFirmwareDlg()
{
    // Reached with a copy running only when the application quits under it.
    if (m_thread) {
        m_thread->quit();
        m_thread->wait();
    }
}

void UpdateFirmwareDlg::retranslate()
{
    setWindowTitle(tr("Firmware Updates"));
    m_currentLabel->setText(tr("Current firmware version:") + QLatin1Char(' ') + m_currentVersion);
    m_newLabel->setText(tr("Latest firmware version:") + QLatin1Char(' ') + m_newVersion);
    m_step1->setText(tr("Operation:Please connect the KREL to the computer after dialing code to:0,1 and switch to "
                        "firmware upgrade mode.As the following picture."));
    m_step2->setText(
        tr("Phenomenon:The computer shows the inserted USB flash drive: VLXBOOT, As the following picture."));
    m_step3->setText(tr("Operation: Click the 'Download Firmware' button and select 'VLXBOOT' USB flash drive to "
                        "complete the firmware upgrade"));
    m_tip->setText(tr("Tip: After the Download is complete, dial back to 0,0 or 1,0."));
    m_downloadBtn->setText(tr("Download Firmware"));
}

void UpdateFirmwareDlg::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QDialog::changeEvent(event);
}

void UpdateFirmwareDlg::reject()
{
    // Escape or the close button during a copy would leave the drive half written.
    if (!isCopying())
        QDialog::reject();
}

void UpdateFirmwareDlg::slotUpdateFirmBtnPressed()
{
    if (isCopying())
        return;
    const QString refusal = Krel::upgradeRefusal(m_currentVersion, m_newVersion, m_newFirmwarePath);
    if (!refusal.isEmpty()) {
        auto* box = new QMessageBox(QMessageBox::Information, tr("Update Error"), refusal, QMessageBox::NoButton, this);
        box->setObjectName(QStringLiteral("UpdateErrorBox"));
        box->addButton(tr("Quit"), QMessageBox::AcceptRole);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
        return;
    }
    const QString dir = m_chooseDirectory(this);
    if (dir.isEmpty())
        return;
    m_sourceFiles = QStringList { m_newFirmwarePath };

    m_progress = new QProgressDialog(tr("Downloading files..."), QString(), 0, 0, this);
    m_progress->setObjectName(QStringLiteral("DownloadProgress"));
    m_progress->setWindowTitle(tr("File Download"));
    m_progress->setWindowModality(Qt::WindowModal);
    m_progress->setCancelButton(nullptr);
    m_progress->setMinimumDuration(0);
    m_progress->setAutoReset(false);
    m_progress->setAutoClose(false);
    m_progress->show();

    m_thread = new QThread(this);
    m_thread->setObjectName(QStringLiteral("FirmwareCopy"));
    m_copier = new FileCopier(m_copyStep);
    m_copier->moveToThread(m_thread);
    connect(m_thread, &QThread::finished, m_copier, &QObject::deleteLater);
    connect(this, &UpdateFirmwareDlg::startCopy, m_copier, &FileCopier::copyFiles);
    connect(m_copier, &FileCopier::finished, this, &UpdateFirmwareDlg::onCopyFinished);
    connect(m_copier, &FileCopier::progressChanged, this, &UpdateFirmwareDlg::onProgressChanged);
    m_thread->start();

    const QString dest = QDir::toNativeSeparators(dir);
    m_startTimer->disconnect(this);
    connect(m_startTimer, &QTimer::timeout, this, [this, dest] { emit startCopy(m_sourceFiles, dest); });
    m_startTimer->start();
}

void UpdateFirmwareDlg::onCopyFinished(bool success, QString message)
{
    if (m_progress) {
        m_progress->reset();
        m_progress->deleteLater();
        m_progress = nullptr;
    }
    if (m_thread) {
        m_thread->quit();
        m_thread->wait();
        m_thread->deleteLater();
        m_thread = nullptr;
        m_copier = nullptr; // deleted with the thread's end
    }
    auto* box = new QMessageBox(QMessageBox::Information,
        success ? tr("Download Successfully") : tr("Failed to download"), message, QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("DownloadResultBox"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    connect(box, &QMessageBox::finished, this, &QDialog::accept);
    box->open();
}

void UpdateFirmwareDlg::onProgressChanged(int value)
{
    if (!m_progress)
        return;
    if (m_progress->maximum() == 0)
        m_progress->setRange(0, 100);
    m_progress->setValue(value);
}
