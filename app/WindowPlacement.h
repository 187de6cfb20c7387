// Where the drawing and legend windows open, so that neither covers the main
// window's controls. Rectangles are outer geometry, frames included.
#pragma once

#include <QRect>

namespace kessadon::app {

// A square on the right half of the screen, its top at the screen's top; moved
// right of `keepClear` (the main window) and shrunk where it would cover it or
// reach below the screen. A screen too small for a usable square beside it
// keeps the right half.
QRect DrawingWindowPlace(const QRect& screen, const QRect& keepClear);

// Beside the drawing window, never over its picture where the screen has
// room: right of it, else below it, else left of it (over the main window's
// panel); only a screen too small for all three puts it over the drawing
// window's lower right corner.
QRect LegendWindowPlace(const QRect& screen, const QRect& drawing, const QSize& outer);

}  // namespace kessadon::app
