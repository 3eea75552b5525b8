// The main window. For now a plain frame titled "Veltrix Krel"; the docks,
// menus and the central widget join it as their parts land.
#pragma once

#include <QMainWindow>

namespace DevelopViews {

class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;
};

} // namespace DevelopViews
