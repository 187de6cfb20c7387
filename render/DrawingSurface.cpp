#include "DrawingSurface.h"

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

void DrawingSurface::Print(std::string_view text) {
  DrawText(currentX_, currentY_, text);
  currentY_ += TextHeight(text);
  currentX_ = 0;
}

}  // namespace kessadon
