// The drawing surface on a bitmap. Two images stand for a picture box: the
// persistent image, which saving and the clipboard take, and the screen, what
// the window shows. While AutoRedraw is on everything is drawn into the
// persistent image and the screen shows it; while it is off drawing reaches
// only the screen, and switching it on again shows the persistent image once more.
// Only text is antialiased: a line or outline sets the pixels its integer end
// points say, a fill covers the pixels whose centres lie inside (a centre on
// an edge counts on the polygon's right side, not on its left). Small filled
// polygons, small outlines in a pen of one pixel and single points skip the
// painter; see PolygonFill.h and PolygonOutline.h.
// Split into bands, it shares its pixels with surfaces that each draw into a
// band of rows only: a band's painter has the whole image as its device, so
// Qt places every line and fill as it would here and only leaves out the
// pixels outside the band's clip.
#pragma once

#include <QFont>
#include <QImage>
#include <memory>
#include <string>

#include "DrawingSurface.h"
#include "PolygonFill.h"
#include "SurfaceBands.h"

class QPainter;

namespace kessadon {

QColor ToQColor(Color color);
Color FromQRgb(QRgb rgb);

// The font Print uses for a face name and size. "Century", which Linux lacks,
// comes out as an installed face with its metrics.
QFont SurfaceFont(const std::string& name, double points);

class RasterSurface : public DrawingSurface, public BandSplitting {
 public:
  RasterSurface(int width, int height);
  ~RasterSurface() override;
  RasterSurface(const RasterSurface&) = delete;
  RasterSurface& operator=(const RasterSurface&) = delete;

  float ScaleWidth() const override { return static_cast<float>(width_); }
  float ScaleHeight() const override { return static_cast<float>(height_); }
  // A new inner size; the picture stays at the top-left, new area in BackColor.
  void Resize(int width, int height);

  void Polygon(std::span<const SurfacePoint> points) override;
  double TextWidth(std::string_view text) const override;
  double TextHeight(std::string_view text) const override;

  // The persistent image.
  const QImage& Image() const;
  // What the window shows.
  const QImage& Screen() const;
  Color ImagePixel(int x, int y) const;
  Color ScreenPixel(int x, int y) const;

  // Bands of what is drawn on now: the persistent image, or the screen while
  // AutoRedraw is off. A band does not split again.
  std::vector<SurfaceBand> SplitIntoBands(std::span<const int> cuts) override;

 protected:
  void Erase() override;
  void AutoRedrawChanged() override;
  void ScaleChanged() override;
  void DrawLine(int x1, int y1, int x2, int y2, Color color, LineForm form) override;
  void DrawPoint(int x, int y, Color color) override;
  void DrawCircle(int x, int y, int radius, Color color) override;
  void DrawText(double x, double y, std::string_view text) override;

 private:
  struct PenKey {
    Color color = -1;
    int style = -1;
    int width = -1;
    bool operator==(const PenKey&) const = default;
  };
  struct BrushKey {
    Color color = -1;
    bool solid = false;
    bool valid = false;
    bool operator==(const BrushKey&) const = default;
  };

  // A band of `whole`, drawing into rows top ... bottom - 1 of its pixels.
  RasterSurface(const RasterSurface& whole, uchar* bits, int top, int bottom);
  // Whether something spanning rows top ... bottom, drawn with the pen, can
  // reach the rows this surface draws into.
  bool Reaches(double top, double bottom) const;

  QImage& Target() const { return screenFollows_ ? persistent_ : screen_; }
  QPainter* Painter();  // on the target, begun when first needed; null on an empty image
  void EndPainting() const;
  void UsePen(Color color, bool visible);
  void UseBrush(bool solid, Color color);
  bool Rows();  // rows_ of the target, false on an empty image
  bool FillDirectly(std::span<const SurfacePoint> points);
  bool OutlineDirectly(std::span<const SurfacePoint> points);
  void SegmentClipped(double x1, double y1, double x2, double y2);
  const QFont& Font() const;

  int width_, height_;
  mutable QImage persistent_;
  mutable QImage screen_;
  bool screenFollows_ = true;  // the screen is the persistent image
  mutable std::unique_ptr<QPainter> painter_;
  // The target's pixels for drawing without the painter; taken again after
  // every EndPainting, since the image may have been shared or replaced.
  mutable PixelRows rows_;
  PenKey pen_;
  BrushKey brush_;
  mutable QFont font_;
  mutable std::string fontName_;
  mutable double fontSize_ = -1;
  // A band's rows; a whole surface has no band.
  bool band_ = false;
  int bandTop_ = 0, bandBottom_ = 0;
};

}  // namespace kessadon
