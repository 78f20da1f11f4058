#include "gui/widgets/window_placement.h"

#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace trb::gui {

void placeWindow(QWidget* window, const QWidget* anchor) {
  if (anchor && !anchor->isVisible()) anchor = nullptr;
  QScreen* screen = anchor ? anchor->screen() : window->screen();
  if (!screen) return;
  const QRect area = screen->availableGeometry();
  // room for the frame the window system adds around the window
  constexpr int kFrame = 40;
  const QSize room(std::max(area.width() - kFrame / 2, 100), std::max(area.height() - kFrame, 100));
  window->resize(window->size().boundedTo(room));
  QRect frame(QPoint(0, 0), window->size() + QSize(kFrame / 4, kFrame));
  frame.moveCenter(anchor ? anchor->frameGeometry().center() : area.center());
  // inside the area, its top-left corner first
  if (frame.right() > area.right()) frame.moveRight(area.right());
  if (frame.bottom() > area.bottom()) frame.moveBottom(area.bottom());
  if (frame.left() < area.left()) frame.moveLeft(area.left());
  if (frame.top() < area.top()) frame.moveTop(area.top());
  window->move(frame.topLeft());
}

}  // namespace trb::gui
