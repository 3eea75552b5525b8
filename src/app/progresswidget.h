// Progress bar with its percentage beside it.
#pragma once

#include <QWidget>

class QLabel;
class QProgressBar;

namespace DevelopViews {

class ProgressWidget : public QWidget
{
    Q_OBJECT
public:
    explicit ProgressWidget(QWidget* parent = nullptr);

    // min == max makes the bar a busy indicator and hides the figure.
    void setRange(int min, int max);
    // Clamped to the range; the figure shows two decimals and "%".
    void setValue(double v);

    QProgressBar* bar() const { return m_bar; }
    QLabel* label() const { return m_label; }

private:
    QProgressBar* m_bar = nullptr;
    QLabel* m_label = nullptr;
};

} // namespace DevelopViews
