// Title bar of the tool's docks: a title and the float and close buttons.
#pragma once

#include <QWidget>

class QHBoxLayout;
class QLabel;
class QToolButton;

namespace DevelopViews {

class DockBaseTitleWidget : public QWidget
{
    Q_OBJECT
public:
    explicit DockBaseTitleWidget(const QString& title, QWidget* parent = nullptr);

    void setTitle(const QString& title);
    QString title() const;

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

signals:
    void signalFloatBtnClicked();
    void signalCloseBtnClicked();

protected:
    void changeEvent(QEvent* event) override;
    // Buttons of derived title bars go before the float button.
    void insertButton(QToolButton* button);
    QToolButton* makeButton(const QString& objectName, const QString& icon);
    virtual void retranslate();

private:
    QHBoxLayout* m_layout = nullptr;
    QLabel* m_titleLabel = nullptr;
    QToolButton* m_floatBtn = nullptr;
    QToolButton* m_closeBtn = nullptr;
};

} // namespace DevelopViews
