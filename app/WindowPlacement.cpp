#include "WindowPlacement.h"

#include <algorithm>

namespace kessadon::app {

QRect DrawingWindowPlace(const QRect& screen, const QRect& keepClear) {
  // A picture narrower than this is of little use.
  constexpr int kSmallestSide = 300;
  const int half = screen.width() / 2;
  const int left = std::max(screen.left() + half, keepClear.right() + 1);
  const int side = std::min({half, screen.right() + 1 - left, screen.height()});
  if (side < kSmallestSide) {
    return QRect(screen.left() + half, screen.top(), half, std::min(half, screen.height()));
  }
  return QRect(left, screen.top(), side, side);
}

QRect LegendWindowPlace(const QRect& screen, const QRect& drawing, const QSize& outer) {
  if (drawing.right() + outer.width() <= screen.right()) {
    return QRect(QPoint(drawing.right() + 1, drawing.top()), outer);
  }
  if (drawing.bottom() + outer.height() <= screen.bottom()) {
    return QRect(
        QPoint(std::max(screen.left(), drawing.right() + 1 - outer.width()), drawing.bottom() + 1),
        outer);
  }
  // Beside the picture on its left, over the panel rather than the picture.
  if (drawing.left() - outer.width() >= screen.left()) {
    return QRect(QPoint(drawing.left() - outer.width(), drawing.top()), outer);
  }
  const int left = std::max(screen.left(), drawing.right() + 1 - outer.width());
  const int bottom = std::min(drawing.bottom(), screen.bottom());
  return QRect(QPoint(left, std::max(screen.top(), bottom + 1 - outer.height())), outer);
}

}  // namespace kessadon::app
