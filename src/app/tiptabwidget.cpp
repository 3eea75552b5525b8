#include "tiptabwidget.h"

#include <QPainter>
#include <QVariant>

namespace DevelopViews {

namespace {
const char* const DotProperty = "tabDotTip";
}

TipTabBar::TipTabBar(QWidget* parent) : QTabBar(parent) {}

void TipTabBar::setTabDotTip(int index, bool shown)
{
    if (index < 0 || index >= count())
        return;
    setTabData(index, shown ? QVariant(QString::fromLatin1(DotProperty)) : QVariant());
    update();
}

bool TipTabBar::hasTabDotTip(int index) const
{
    return tabData(index).toString() == QLatin1String(DotProperty);
}

void TipTabBar::paintEvent(QPaintEvent* event)
{
    QTabBar::paintEvent(event);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(230, 80, 60));
    for (int i = 0; i < count(); ++i) {
        if (!hasTabDotTip(i))
            continue;
        const QRect r = tabRect(i);
        painter.drawEllipse(QPointF(r.right() - 8, r.top() + 8), 3.5, 3.5);
    }
}

TipTabWidget::TipTabWidget(QWidget* parent) : QTabWidget(parent)
{
    m_tabBar = new TipTabBar(this);
    setTabBar(m_tabBar);
}

} // namespace DevelopViews
