// Where a window opens: centred on the window it was opened from, and never larger than the
// screen's available area (at a large scale factor on a small screen a window's preferred size
// may exceed it).
#pragma once

class QWidget;

namespace trb::gui {

// Fits window into the available area of the screen of anchor (or its own) and centres it on
// anchor; without a visible anchor, on that area. Call it before the window is shown.
void placeWindow(QWidget* window, const QWidget* anchor);

}  // namespace trb::gui
