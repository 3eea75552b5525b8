#include "logdocktitlewidget.h"

#include <QToolButton>

namespace DevelopViews {

LogDockTitleWidget::LogDockTitleWidget(const QString& title, QWidget* parent) : DockBaseTitleWidget(title, parent)
{
    m_deleteBtn = makeButton(QStringLiteral("DeleteBtn"), QStringLiteral(":/img/dock_clear"));
    insertButton(m_deleteBtn);
    connect(m_deleteBtn, &QToolButton::clicked, this, &LogDockTitleWidget::signalDeleteBtnClicked);
    LogDockTitleWidget::retranslate();
}

void LogDockTitleWidget::retranslate()
{
    DockBaseTitleWidget::retranslate();
    m_deleteBtn->setToolTip(tr("Clear the log"));
}

} // namespace DevelopViews
