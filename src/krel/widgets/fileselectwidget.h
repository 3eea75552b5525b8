// A path field with a browse button. The path counts as changed when it is set,
// chosen or typed and confirmed, never at every keystroke, so that a check of the
// file runs once per path.
#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

namespace DevelopViews {

class FileSelectWidget : public QWidget
{
    Q_OBJECT
public:
    explicit FileSelectWidget(QWidget* parent = nullptr);

    QString path() const;
    // Emits signalPathChanged when the text differs from the last path.
    void setPath(const QString& path);
    // Shows the path without announcing it (reloading stored settings).
    void setPathQuietly(const QString& path);
    void setPlaceholderText(const QString& text);
    QLineEdit* lineEdit() const { return m_edit; }
    QToolButton* browseButton() const { return m_button; }

signals:
    void signalPathChanged(QString path);
    void signalBrowseClicked();

private:
    void commit();

    QLineEdit* m_edit;
    QToolButton* m_button;
    QString m_last;
};

} // namespace DevelopViews
