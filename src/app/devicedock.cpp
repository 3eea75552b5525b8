#include "devicedock.h"

#include "dockbasetitlewidget.h"

#include <QEvent>
#include <QLabel>
#include <QVBoxLayout>

namespace DevelopViews {

DeviceDock::DeviceDock(QWidget* parent) : QDockWidget(parent)
{
    setObjectName(QStringLiteral("DeviceDock"));
    setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    setAllowedAreas(Qt::AllDockWidgetAreas);
    auto* title = new DockBaseTitleWidget(QString(), this);
    setTitleBarWidget(title);
    connect(title, &DockBaseTitleWidget::signalFloatBtnClicked, this, [this] { setFloating(!isFloating()); });
    connect(title, &DockBaseTitleWidget::signalCloseBtnClicked, this, &QDockWidget::close);

    auto* page = new QWidget(this);
    page->setObjectName(QStringLiteral("DeviceDockWidget"));
    auto* layout = new QVBoxLayout(page);
    m_label = new QLabel(page);
    m_label->setWordWrap(true);
    m_label->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    layout->addWidget(m_label);
    setWidget(page);
    setMinimumWidth(260);
    retranslate();
}

void DeviceDock::retranslate()
{
    setWindowTitle(tr("Device Window"));
    if (auto* title = qobject_cast<DockBaseTitleWidget*>(titleBarWidget()))
        title->setTitle(tr("Device Window"));
    m_label->setText(tr("Attach a Krel box over USB to list it here."));
}

void DeviceDock::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QDockWidget::changeEvent(event);
}

} // namespace DevelopViews
