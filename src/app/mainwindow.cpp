#include "mainwindow.h"

#include "records.h"

#include <QLabel>

namespace DevelopViews {

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent)
{
    registerMetaTypes();
    setWindowTitle(QStringLiteral("Veltrix Krel"));
    resize(1280, 720);
    auto* placeholder = new QLabel(tr("Veltrix Krel"), this);
    placeholder->setAlignment(Qt::AlignCenter);
    setCentralWidget(placeholder);
}

MainWindow::~MainWindow() = default;

} // namespace DevelopViews
