#pragma once

#include "vframe_global.h"

class QWidget;

// Where the client's own top-level windows (framed dialogs, message boxes)
// open, and whether they may be translucent, under whatever window system
// runs them.
namespace vf {
// Moves a top-level window nobody placed yet so it is centred over anchor's
// on-screen rectangle, inside the available area of anchor's screen (without
// a visible anchor, centred on the primary screen). Called before the window
// is shown, it gives the window a position of the program's own, which a
// window manager honours instead of placing it by its own rules.
VFRAME_EXPORT void placeOver(QWidget *window, const QWidget *anchor);
// True when the window system blends translucent windows with what lies
// below them: always on Wayland, Windows, macOS and offscreen; on X11 when a
// compositing manager runs (asked once, the first time). Without one,
// translucent pixels show black.
VFRAME_EXPORT bool windowSystemComposites();
} // namespace vf
