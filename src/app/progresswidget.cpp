#include "progresswidget.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>

namespace DevelopViews {

ProgressWidget::ProgressWidget(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(20, 0, 20, 0);
    layout->setSpacing(0);
    m_bar = new QProgressBar(this);
    m_bar->setOrientation(Qt::Horizontal);
    m_bar->setTextVisible(false);
    m_bar->setRange(0, 100);
    m_bar->setValue(0);
    layout->addWidget(m_bar);
    layout->addSpacing(20);
    m_label = new QLabel(this);
    m_label->setObjectName(QStringLiteral("ProgressLabel"));
    // Room for "100.00%" so the bar does not jump as the figure grows.
    m_label->setMinimumWidth(m_label->fontMetrics().horizontalAdvance(QStringLiteral("100.00%")) + 4);
    layout->addWidget(m_label);
}

void ProgressWidget::setRange(int min, int max)
{
    m_bar->setRange(min, max);
    m_label->setVisible(min != max);
}

void ProgressWidget::setValue(double v)
{
    v = qBound(double(m_bar->minimum()), v, double(m_bar->maximum()));
    m_bar->setValue(int(v));
    m_label->setText(QString::number(v, 'f', 2) + QLatin1Char('%'));
}

} // namespace DevelopViews
