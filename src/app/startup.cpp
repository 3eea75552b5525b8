#include "startup.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace Startup {

bool centredPosition(const QSize& frame, const QRect& available, QPoint* topLeft)
{
    if (frame.width() >= available.width() || frame.height() >= available.height())
        return false;
    *topLeft = QPoint(available.left() + (available.width() - frame.width()) / 2,
                      available.top() + (available.height() - frame.height()) / 2);
    return true;
}

void showOnCursorScreen(QWidget* window)
{
    QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    QPoint topLeft;
    if (!screen) {
        window->show();
    } else if (centredPosition(window->frameGeometry().size(), screen->availableGeometry(), &topLeft)) {
        window->move(topLeft);
        window->show();
    } else {
        window->showMaximized();
    }
}

} // namespace Startup
