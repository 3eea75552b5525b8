#include "centralwidget.h"

#include "imageprogrammetab.h"
#include "stylesheet.h"
#include "tiptabwidget.h"

#include <QEvent>
#include <QPainter>
#include <QStyleOption>
#include <QVBoxLayout>

namespace DevelopViews {

CentralWidget::CentralWidget(QWidget* parent, bool withKrelTab) : QWidget(parent)
{
    setObjectName(QStringLiteral("CentralWidget"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(5, 5, 5, 5);
    layout->setSpacing(0);

    m_tabWidget = new TipTabWidget(this);
    m_tabWidget->setObjectName(QStringLiteral("CentralTabWidget"));
    m_tabWidget->setTabsClosable(false);
    m_tabWidget->setMovable(true);
    layout->addWidget(m_tabWidget);

    if (withKrelTab) {
        m_programmeTab = createKrelTab();
        m_tabWidget->addTab(m_programmeTab, tr("Program Config"));
    }

    StyleSheet::apply(QStringLiteral(":/qss/devcentralwidget.qss"), this);
    setEnabled(true);
}

// The Krel configuration tab and its connections.
ImageProgrammeTab* CentralWidget::createKrelTab()
{
    auto* tab = new ImageProgrammeTab(m_tabWidget);
    connect(tab, &ImageProgrammeTab::signalAddLogs, this, &CentralWidget::signalAddLogs);
    connect(tab, &ImageProgrammeTab::signalWriteConfigRun, this, &CentralWidget::slotSingleWriteConfigRun);
    connect(this, &CentralWidget::signalMenuImageEditClicked, tab, &ImageProgrammeTab::slotMenuImageEditClicked);
    return tab;
}

void CentralWidget::slotWriteConfigStatus(int status)
{
    if (m_programmeTab)
        m_programmeTab->slotWriteConfigStatus(status);
}

void CentralWidget::showOTPWriteView()
{
    // No OTP tab in this window: nothing to show.
}

void CentralWidget::slotSingleWriteConfigRun(int type, QList<QPair<QString, QString>> srcPathList, QString desPath)
{
    emit signalWriteConfigTask(type, srcPathList, desPath);
}

void CentralWidget::slotDeviceSetConnectStatus(bool isConnect)
{
    setEnabled(isConnect);
}

void CentralWidget::slotCmdRunFinished(bool result, QVariantMap resultInfoMap)
{
    Q_UNUSED(result)
    Q_UNUSED(resultInfoMap)
}

void CentralWidget::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange && m_programmeTab && m_tabWidget->count() > 0)
        m_tabWidget->setTabText(0, tr("Burn Configuration"));
    QWidget::changeEvent(event);
}

void CentralWidget::paintEvent(QPaintEvent* event)
{
    Q_UNUSED(event)
    QStyleOption option;
    option.initFrom(this);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
}

} // namespace DevelopViews
