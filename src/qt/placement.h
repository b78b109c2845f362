#pragma once

#include <QMargins>

class QScreen;
class QWidget;

namespace lumiroka {

// Asks the window manager now for the frame it will put around the top-level `window`,
// so that the answer is there by the time the window is placed. Creates the native window.
void requestFrameExtents(QWidget *window);

// Places the top-level `window`, not yet shown, in the middle of the screen's work area as
// the user sees it: its frame included.
void centreOnScreen(QWidget *window, const QScreen *screen);

// The frame the window manager will put around the top-level `window`, asked before the
// window is first shown so that it can be placed with its frame where it belongs. Empty
// margins where the desktop cannot say (no X11, or a window manager without
// _NET_REQUEST_FRAME_EXTENTS).
QMargins expectedFrameMargins(QWidget *window);

} // namespace lumiroka
