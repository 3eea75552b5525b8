#include "kreltabplaceholder.h"

#include <QEvent>
#include <QLabel>
#include <QVBoxLayout>

namespace DevelopViews {

KrelTabPlaceholder::KrelTabPlaceholder(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("KrelTabPlaceholder"));
    auto* layout = new QVBoxLayout(this);
    m_label = new QLabel(this);
    m_label->setAlignment(Qt::AlignCenter);
    m_label->setWordWrap(true);
    layout->addWidget(m_label);
    m_label->setText(tr("The Krel configuration is composed here."));
}

void KrelTabPlaceholder::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        m_label->setText(tr("The Krel configuration is composed here."));
    QWidget::changeEvent(event);
}

} // namespace DevelopViews
