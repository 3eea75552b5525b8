#include "fileselectwidget.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QToolButton>

namespace DevelopViews {

FileSelectWidget::FileSelectWidget(QWidget* parent)
    : QWidget(parent)
    , m_edit(new QLineEdit(this))
    , m_button(new QToolButton(this))
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    layout->addWidget(m_edit, 1);
    layout->addWidget(m_button);
    m_button->setText(QStringLiteral("..."));
    setFocusProxy(m_edit);
    connect(m_edit, &QLineEdit::editingFinished, this, &FileSelectWidget::commit);
    connect(m_button, &QToolButton::clicked, this, &FileSelectWidget::signalBrowseClicked);
}

QString FileSelectWidget::path() const
{
    return m_edit->text();
}

void FileSelectWidget::setPath(const QString& path)
{
    m_edit->setText(path);
    commit();
}

void FileSelectWidget::setPathQuietly(const QString& path)
{
    m_edit->setText(path);
    m_last = path;
}

void FileSelectWidget::setPlaceholderText(const QString& text)
{
    m_edit->setPlaceholderText(text);
}

void FileSelectWidget::commit()
{
    const QString text = m_edit->text();
    if (text == m_last)
        return;
    m_last = text;
    emit signalPathChanged(text);
}

} // namespace DevelopViews
