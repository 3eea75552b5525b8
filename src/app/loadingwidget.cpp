#include "loadingwidget.h"

#include "progresswidget.h"
#include "runreport.h"

#include <QEvent>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QVBoxLayout>

namespace DevelopViews {

LoadingWidget::LoadingWidget(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("LoadingWidget"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->setSpacing(0);
    layout->addStretch(1);

    auto* logo = new QLabel(this);
    logo->setObjectName(QStringLiteral("LoadingLogo"));
    logo->setFixedHeight(200);
    logo->setAlignment(Qt::AlignCenter);
    const QPixmap pixmap(QStringLiteral(":/img/logo"));
    if (!pixmap.isNull())
        logo->setPixmap(pixmap.scaledToHeight(200, Qt::SmoothTransformation));
    layout->addWidget(logo, 0, Qt::AlignHCenter);
    layout->addSpacing(30);

    m_stepLabel = new QLabel(this);
    m_stepLabel->setObjectName(QStringLiteral("StepLabel"));
    m_stepLabel->setAlignment(Qt::AlignCenter);
    layout->addWidget(m_stepLabel);
    layout->addSpacing(10);

    m_progress = new ProgressWidget(this);
    m_progress->setFixedWidth(900);
    layout->addWidget(m_progress, 0, Qt::AlignHCenter);
    layout->addStretch(1);

    retranslate();
    m_progress->setRange(0, 0);
}

void LoadingWidget::setShowProgress(bool isShowProgress)
{
    m_showProgress = isShowProgress;
    m_waitText = !isShowProgress;
    m_hasTaskInfo = false;
    if (isShowProgress) {
        m_progress->setRange(0, 100);
        m_progress->setValue(0);
    } else {
        m_progress->setRange(0, 0);
    }
    retranslate();
}

void LoadingWidget::slotTaskInfoUpdated(QString id, DownloadTaskInfo taskInfo)
{
    Q_UNUSED(id)
    if (!m_showProgress)
        return;
    m_lastInfo = taskInfo;
    m_hasTaskInfo = true;
    m_progress->setValue(RunReport::percent(taskInfo));
    m_stepLabel->setText(RunReport::stepText(taskInfo));
}

void LoadingWidget::retranslate()
{
    if (m_waitText)
        m_stepLabel->setText(tr("Please wait while loading..."));
    else if (m_hasTaskInfo)
        m_stepLabel->setText(RunReport::stepText(m_lastInfo));
    else
        m_stepLabel->setText(tr("Run command, the number of commands is 0"));
}

void LoadingWidget::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QWidget::changeEvent(event);
}

void LoadingWidget::paintEvent(QPaintEvent* event)
{
    Q_UNUSED(event)
    QPainter painter(this);
    painter.fillRect(rect(), QColor(0, 0, 0, 150));
}

} // namespace DevelopViews
