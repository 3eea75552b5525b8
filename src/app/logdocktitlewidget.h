// Title bar of the log dock: adds the button that empties the log view.
#pragma once

#include "dockbasetitlewidget.h"

namespace DevelopViews {

class LogDockTitleWidget : public DockBaseTitleWidget
{
    Q_OBJECT
public:
    explicit LogDockTitleWidget(const QString& title, QWidget* parent = nullptr);

signals:
    void signalDeleteBtnClicked();

protected:
    void retranslate() override;

private:
    QToolButton* m_deleteBtn = nullptr;
};

} // namespace DevelopViews
