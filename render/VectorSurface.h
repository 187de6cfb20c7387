// The drawing surface for pictures that leave the program as SVG or PDF. The
// same drawing code that sets pixels on a RasterSurface writes lines, polygons,
// circles and text here: a line stays a line, text stays text. Coordinates are
// the raster's pixels; the page is the picture's size at 96 dpi times Scale.
//
// Cells may be many. Up to kMostVectorCells polygons the picture is all
// vectors; beyond that the polygons (with, in a 3-D view, everything drawn
// before the last of them that they may hide) are drawn once on a raster of
// the picture's size, embedded as one image beneath the lines and the text
// drawn after them. Memory then stays that of one raster and the lines.
#pragma once

#include <QImage>
#include <QPainter>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "DrawingSurface.h"
#include "PictureFile.h"
#include "io/Result.h"

namespace kessadon {

class RasterSurface;

inline constexpr std::size_t kMostVectorCells = 200000;

class VectorSurface : public DrawingSurface {
 public:
  // `flat`: nothing drawn hides what was drawn before it except where it
  // fills, as in the plan view; cells may then go beneath every line.
  VectorSurface(int width, int height, bool flat);
  ~VectorSurface() override;
  VectorSurface(const VectorSurface&) = delete;
  VectorSurface& operator=(const VectorSurface&) = delete;

  float ScaleWidth() const override { return static_cast<float>(width_); }
  float ScaleHeight() const override { return static_cast<float>(height_); }

  void Polygon(std::span<const SurfacePoint> points) override;
  double TextWidth(std::string_view text) const override;
  double TextHeight(std::string_view text) const override;

  // Whether the cells went into an embedded image.
  bool Embeds() const { return raster_ != nullptr; }

  // Writes the picture as SVG or PDF, never leaving a partial file.
  Status Save(const std::string& path, PictureFormat format) const;

 protected:
  void Erase() override;
  void ScaleChanged() override;
  void DrawLine(int x1, int y1, int x2, int y2, Color color, LineForm form) override;
  void DrawPoint(int x, int y, Color color) override;
  void DrawCircle(int x, int y, int radius, Color color) override;
  void DrawText(double x, double y, std::string_view text) override;

 private:
  // One drawing operation with the surface state it was drawn in.
  struct Op {
    enum class Kind { Segment, Box, FilledBox, Point, Circle, Polygon, Text } kind;
    Color color = 0;  // of the line, point, box or text; the outline's for the rest
    int drawStyle = kDrawSolid;
    int drawWidth = 1;  // as set, before scaling
    int fillStyle = kFillTransparent;
    Color fillColor = 0;
    int radius = 0;
    std::size_t first = 0, count = 0;  // into points_
    std::size_t text = 0;              // into texts_
    double fontSize = 0;
    std::size_t font = 0;  // into fonts_
  };

  Op StateOp(Op::Kind kind, Color color) const;
  void Record(Op op, std::span<const SurfacePoint> points);
  void StartRaster();
  void Flush();
  void Replay(DrawingSurface& target, const Op& op) const;
  QPen PenOf(const Op& op) const;
  void Paint(QPainter& painter, const Op& op) const;
  void PaintAll(QPainter& painter) const;

  int width_, height_;
  bool flat_;
  std::vector<Op> ops_;  // in drawing order, beside the image if there is one
  std::vector<SurfacePoint> points_;
  std::vector<std::string> texts_;
  std::vector<std::string> fonts_;
  std::size_t cells_ = 0;
  // Ops since the last cell while the cells go to the image in a 3-D view:
  // a later cell may hide them, so they join the image when one comes.
  std::size_t pendingFrom_ = 0;
  std::unique_ptr<RasterSurface> raster_;
  QImage metrics_;  // for text sizes, at the surface's scale
};

}  // namespace kessadon
