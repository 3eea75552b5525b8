// Start-up helpers kept out of main() so tests can reach them.
#pragma once

#include <QRect>
#include <QSize>

class QWidget;

namespace Startup {

// Where a window whose frame has the given size goes in a screen's available
// area: centred when it fits in both directions, otherwise maximised
// (returns false, and the caller shows the window maximised).
bool centredPosition(const QSize& frame, const QRect& available, QPoint* topLeft);

// Shows a top-level window on the screen under the cursor, placed by centredPosition().
void showOnCursorScreen(QWidget* window);

} // namespace Startup
