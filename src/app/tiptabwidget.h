// Tab widget whose tab bar can mark a tab with a dot (a view with work left
// to do, such as queued OTP words).
#pragma once

#include <QTabBar>
#include <QTabWidget>

namespace DevelopViews {

class TipTabBar : public QTabBar
{
    Q_OBJECT
public:
    explicit TipTabBar(QWidget* parent = nullptr);
    void setTabDotTip(int index, bool shown);
    bool hasTabDotTip(int index) const;

protected:
    void paintEvent(QPaintEvent* event) override;
};

class TipTabWidget : public QTabWidget
{
    Q_OBJECT
public:
    explicit TipTabWidget(QWidget* parent = nullptr);
    TipTabBar* tipTabBar() const { return m_tabBar; }

private:
    TipTabBar* m_tabBar = nullptr;
};

} // namespace DevelopViews
