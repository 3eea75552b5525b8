#include "cmdloadimagewidget.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace DevelopViews {

CmdLoadImageWidget::CmdLoadImageWidget(QWidget* parent)
    : ICmdWidget(6, parent)
    , m_path(new QLineEdit(this))
{
    auto* select = new QPushButton(tr("Select"), this);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(new QLabel(tr("Image Path:"), this));
    layout->addWidget(m_path, 1);
    layout->addWidget(select);
    connect(select, &QPushButton::clicked, this, [this] {
        const QString path = pickBinFile(m_path->text());
        if (!path.isEmpty())
            m_path->setText(path);
    });
}

CommandForm CmdLoadImageWidget::form() const
{
    CommandForm f;
    f.imagePath = m_path->text();
    return f;
}

void CmdLoadImageWidget::setForm(const CommandForm& form)
{
    m_path->setText(form.imagePath);
}

} // namespace DevelopViews
