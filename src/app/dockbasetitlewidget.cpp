#include "dockbasetitlewidget.h"

#include <QDockWidget>
#include <QEvent>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QToolButton>

namespace DevelopViews {

DockBaseTitleWidget::DockBaseTitleWidget(const QString& title, QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("DockBaseTitle"));
    setAttribute(Qt::WA_StyledBackground);
    m_layout = new QHBoxLayout(this);
    m_layout->setContentsMargins(8, 0, 4, 0);
    m_layout->setSpacing(2);
    m_titleLabel = new QLabel(title, this);
    m_titleLabel->setObjectName(QStringLiteral("DockTitleLabel"));
    m_layout->addWidget(m_titleLabel);
    m_layout->addStretch(1);
    m_floatBtn = makeButton(QStringLiteral("FloatBtn"), QStringLiteral(":/img/dock_float"));
    m_closeBtn = makeButton(QStringLiteral("CloseBtn"), QStringLiteral(":/img/dock_close"));
    m_layout->addWidget(m_floatBtn);
    m_layout->addWidget(m_closeBtn);
    connect(m_floatBtn, &QToolButton::clicked, this, &DockBaseTitleWidget::signalFloatBtnClicked);
    connect(m_closeBtn, &QToolButton::clicked, this, &DockBaseTitleWidget::signalCloseBtnClicked);
    DockBaseTitleWidget::retranslate();
}

QToolButton* DockBaseTitleWidget::makeButton(const QString& objectName, const QString& icon)
{
    auto* button = new QToolButton(this);
    button->setObjectName(objectName);
    button->setIcon(QIcon(icon));
    button->setIconSize(QSize(16, 16));
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

void DockBaseTitleWidget::insertButton(QToolButton* button)
{
    m_layout->insertWidget(m_layout->indexOf(m_floatBtn), button);
}

void DockBaseTitleWidget::setTitle(const QString& title)
{
    m_titleLabel->setText(title);
}

QString DockBaseTitleWidget::title() const
{
    return m_titleLabel->text();
}

QSize DockBaseTitleWidget::minimumSizeHint() const
{
    const auto* dock = qobject_cast<const QDockWidget*>(parentWidget());
    if (dock && dock->features().testFlag(QDockWidget::DockWidgetVerticalTitleBar))
        return QSize(30, 240);
    return QSize(240, 30);
}

QSize DockBaseTitleWidget::sizeHint() const
{
    return minimumSizeHint();
}

void DockBaseTitleWidget::retranslate()
{
    m_floatBtn->setToolTip(tr("Float"));
    m_closeBtn->setToolTip(tr("Close"));
}

void DockBaseTitleWidget::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QWidget::changeEvent(event);
}

} // namespace DevelopViews
