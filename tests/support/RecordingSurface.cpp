#include "RecordingSurface.h"

#include "io/NumberText.h"
#include "render/PixelRange.h"

namespace kessadon {

RecordedOperation& RecordingSurface::Record(SurfaceOp op, Color color) {
  RecordedOperation& entry = operations_.emplace_back();
  entry.op = op;
  entry.color = color;
  entry.drawStyle = DrawStyle();
  entry.drawWidth = DrawWidth();
  entry.fillStyle = FillStyle();
  entry.fillColor = FillColor();
  return entry;
}

void RecordingSurface::Erase() { Record(SurfaceOp::Erase, BackColor()); }

void RecordingSurface::DrawLine(int x1, int y1, int x2, int y2, Color color, LineForm form) {
  RecordedOperation& entry = Record(SurfaceOp::Line, color);
  entry.points = {{x1, y1}, {x2, y2}};
  entry.form = form;
}

void RecordingSurface::DrawPoint(int x, int y, Color color) {
  Record(SurfaceOp::Point, color).points = {{x, y}};
}

void RecordingSurface::DrawCircle(int x, int y, int radius, Color color) {
  RecordedOperation& entry = Record(SurfaceOp::Circle, color);
  entry.points = {{x, y}};
  entry.radius = radius;
}

void RecordingSurface::Polygon(std::span<const SurfacePoint> points) {
  Record(SurfaceOp::Polygon, ForeColor()).points.assign(points.begin(), points.end());
}

void RecordingSurface::DrawText(double x, double y, std::string_view text) {
  RecordedOperation& entry = Record(SurfaceOp::Text, ForeColor());
  entry.points = {{ClampToPixel(x), ClampToPixel(y)}};
  entry.text = std::string(text);
}

double RecordingSurface::TextHeight(std::string_view) const {
  return RoundHalfEven(FontSize() * 96 / 72);
}

double RecordingSurface::TextWidth(std::string_view text) const {
  return static_cast<double>(text.size()) * TextHeight(text) / 2;
}

}  // namespace kessadon
