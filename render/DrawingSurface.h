// The raster operations every picture is drawn with. Coordinates are pixels of
// the inner area, origin top-left, y downwards; every caller computes integer
// positions itself, the surface never scales.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "color/Color.h"

namespace kessadon {

// DrawStyle values the program uses.
inline constexpr int kDrawSolid = 0;
inline constexpr int kDrawInvisible = 5;
// FillStyle values.
inline constexpr int kFillSolid = 0;
inline constexpr int kFillTransparent = 1;

// One vertex as Polygon takes them: consecutive 32-bit x, y values.
struct SurfacePoint {
  std::int32_t x = 0;
  std::int32_t y = 0;
  bool operator==(const SurfacePoint&) const = default;
};

// The forms of Line: a segment, a rectangle outline (B), a filled box (BF).
enum class LineForm { Segment, Box, FilledBox };

class DrawingSurface {
 public:
  virtual ~DrawingSurface() = default;

  // Inner size in pixels.
  virtual float ScaleWidth() const = 0;
  virtual float ScaleHeight() const = 0;

  // Erases everything, the persistent image included, to BackColor; the print
  // position returns to the origin.
  void Cls();
  Color BackColor() const { return backColor_; }
  // Erases everything drawn to the new colour, as Cls does.
  void SetBackColor(Color color);

  bool AutoRedraw() const { return autoRedraw_; }
  void SetAutoRedraw(bool on);

  // Pixels per pixel of a 96-dpi screen: a picture for print at 300 dpi has
  // about 3.1. Pen widths and fonts grow with it in the surface; marks of a
  // fixed pixel size are drawn at Scaled(size). 1 unless set.
  double Scale() const { return scale_; }
  void SetScale(double scale);
  int Scaled(int pixels) const;
  double Scaled(double pixels) const;
  // The pen width the surface draws for DrawWidth: scaled, at least 1.
  int PenWidth() const;

  // Pen and brush. These only record the state; the drawing operations read it.
  Color ForeColor() const { return foreColor_; }
  void SetForeColor(Color color) { foreColor_ = color; }
  int DrawStyle() const { return drawStyle_; }
  void SetDrawStyle(int style) { drawStyle_ = style; }
  int DrawWidth() const { return drawWidth_; }
  void SetDrawWidth(int width) { drawWidth_ = width < 1 ? 1 : width; }
  int FillStyle() const { return fillStyle_; }
  void SetFillStyle(int style) { fillStyle_ = style; }
  Color FillColor() const { return fillColor_; }
  void SetFillColor(Color color) { fillColor_ = color; }

  // Text.
  const std::string& FontName() const { return fontName_; }
  void SetFontName(std::string name) { fontName_ = std::move(name); }
  double FontSize() const { return fontSize_; }
  void SetFontSize(double points) { fontSize_ = points; }
  double CurrentX() const { return currentX_; }
  double CurrentY() const { return currentY_; }
  void SetCurrentX(double x) { currentX_ = x; }
  void SetCurrentY(double y) { currentY_ = y; }

  // Segment (or box) in ForeColor, or in the colour given. Both end pixels are
  // set. Nothing is drawn while DrawStyle is invisible, except a filled box.
  void Line(int x1, int y1, int x2, int y2) {
    DrawLine(x1, y1, x2, y2, foreColor_, LineForm::Segment);
  }
  void Line(int x1, int y1, int x2, int y2, Color color, LineForm form = LineForm::Segment) {
    DrawLine(x1, y1, x2, y2, color, form);
  }
  // One point in the pen's width.
  void PSet(int x, int y) { DrawPoint(x, y, foreColor_); }
  void PSet(int x, int y, Color color) { DrawPoint(x, y, color); }
  // Outline with the pen, interior with the brush (FillColor while FillStyle is solid).
  void Circle(int x, int y, int radius) { DrawCircle(x, y, radius, foreColor_); }
  void Circle(int x, int y, int radius, Color color) { DrawCircle(x, y, radius, color); }
  // Closed polygon: outline with the pen unless DrawStyle is invisible, interior
  // in FillColor while FillStyle is solid, by the alternate (even-odd) rule.
  virtual void Polygon(std::span<const SurfacePoint> points) = 0;

  // Text (UTF-8) with its top-left corner at CurrentX, CurrentY in ForeColor.
  // Afterwards the print position is at the start of the next line.
  void Print(std::string_view text);
  // Size the text would take in the current font, in pixels.
  virtual double TextWidth(std::string_view text) const = 0;
  virtual double TextHeight(std::string_view text) const = 0;

 protected:
  virtual void Erase() = 0;  // both images to BackColor
  virtual void AutoRedrawChanged() {}
  virtual void ScaleChanged() {}
  virtual void DrawLine(int x1, int y1, int x2, int y2, Color color, LineForm form) = 0;
  virtual void DrawPoint(int x, int y, Color color) = 0;
  virtual void DrawCircle(int x, int y, int radius, Color color) = 0;
  virtual void DrawText(double x, double y, std::string_view text) = 0;

 private:
  Color backColor_ = Rgb(255, 255, 255);
  Color foreColor_ = Rgb(0, 0, 0);
  Color fillColor_ = Rgb(0, 0, 0);
  int drawStyle_ = kDrawSolid;
  int drawWidth_ = 1;
  int fillStyle_ = kFillTransparent;  // the toolkit's default before any rendering
  bool autoRedraw_ = true;            // as the program starts
  double scale_ = 1;
  std::string fontName_ = "MS Sans Serif";
  double fontSize_ = 8;
  double currentX_ = 0;
  double currentY_ = 0;
};

}  // namespace kessadon
