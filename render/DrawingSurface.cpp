#include "DrawingSurface.h"

#include <algorithm>
#include <cmath>

namespace kessadon {

void DrawingSurface::Cls() {
  Erase();
  currentX_ = 0;
  currentY_ = 0;
}

void DrawingSurface::SetBackColor(Color color) {
  backColor_ = color;
  Erase();
}

void DrawingSurface::SetAutoRedraw(bool on) {
  if (on == autoRedraw_) return;
  autoRedraw_ = on;
  AutoRedrawChanged();
}

void DrawingSurface::SetScale(double scale) {
  // Anything but a sensible positive factor leaves the picture at screen size.
  const double taken = std::isfinite(scale) && scale >= 0.01 && scale <= 100 ? scale : 1;
  if (taken == scale_) return;
  scale_ = taken;
  ScaleChanged();
}

int DrawingSurface::Scaled(int pixels) const {
  if (scale_ == 1) return pixels;
  return static_cast<int>(std::lround(pixels * scale_));
}

double DrawingSurface::Scaled(double pixels) const {
  return scale_ == 1 ? pixels : std::round(pixels * scale_);
}

int DrawingSurface::PenWidth() const { return std::max(1, Scaled(drawWidth_)); }

void DrawingSurface::Print(std::string_view text) {
  DrawText(currentX_, currentY_, text);
  currentY_ += TextHeight(text);
  currentX_ = 0;
}

}  // namespace kessadon
