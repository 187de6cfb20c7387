// A drawing surface that draws nothing and logs every operation with the pen
// and brush in force, so tests can check what a picture is made of and in
// which order.
#pragma once

#include <string>
#include <vector>

#include "render/DrawingSurface.h"

namespace kessadon {

enum class SurfaceOp { Erase, Line, Point, Circle, Polygon, Text };

struct RecordedOperation {
  SurfaceOp op = SurfaceOp::Erase;
  std::vector<SurfacePoint>
      points;       // ends of a line, the point, the centre, the vertices, the text origin
  Color color = 0;  // the colour drawn in (BackColor for Erase)
  LineForm form = LineForm::Segment;
  int radius = 0;
  std::string text;
  // The state at the time of the call.
  int drawStyle = kDrawSolid;
  int drawWidth = 1;
  int fillStyle = kFillTransparent;
  Color fillColor = 0;
};

class RecordingSurface : public DrawingSurface {
 public:
  RecordingSurface(float width, float height) : width_(width), height_(height) {}

  float ScaleWidth() const override { return width_; }
  float ScaleHeight() const override { return height_; }
  void Polygon(std::span<const SurfacePoint> points) override;
  // A fixed model of a font: every character half as wide as the line is high.
  double TextWidth(std::string_view text) const override;
  double TextHeight(std::string_view text) const override;

  const std::vector<RecordedOperation>& Operations() const { return operations_; }
  void Forget() { operations_.clear(); }

 protected:
  void Erase() override;
  void DrawLine(int x1, int y1, int x2, int y2, Color color, LineForm form) override;
  void DrawPoint(int x, int y, Color color) override;
  void DrawCircle(int x, int y, int radius, Color color) override;
  void DrawText(double x, double y, std::string_view text) override;

 private:
  RecordedOperation& Record(SurfaceOp op, Color color);

  float width_, height_;
  std::vector<RecordedOperation> operations_;
};

}  // namespace kessadon
