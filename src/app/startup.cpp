#include "startup.h"

namespace Startup {

bool centredPosition(const QSize& frame, const QRect& available, QPoint* topLeft)
{
    if (frame.width() >= available.width() || frame.height() >= available.height())
        return false;
    *topLeft = QPoint(available.left() + (available.width() - frame.width()) / 2,
                      available.top() + (available.height() - frame.height()) / 2);
    return true;
}

} // namespace Startup
