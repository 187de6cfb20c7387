#include "ScaleBar.h"

#include <cmath>
#include <string>

#include "io/NumberText.h"

namespace kessadon {
namespace {

// The surface state the bar and arrow change, put back afterwards so that
// what is drawn next finds it as the picture left it.
class KeptState {
 public:
  explicit KeptState(DrawingSurface& s)
      : s_(s),
        fore_(s.ForeColor()),
        fill_(s.FillColor()),
        drawStyle_(s.DrawStyle()),
        drawWidth_(s.DrawWidth()),
        fillStyle_(s.FillStyle()),
        font_(s.FontName()),
        size_(s.FontSize()),
        x_(s.CurrentX()),
        y_(s.CurrentY()) {}
  ~KeptState() {
    s_.SetForeColor(fore_);
    s_.SetFillColor(fill_);
    s_.SetDrawStyle(drawStyle_);
    s_.SetDrawWidth(drawWidth_);
    s_.SetFillStyle(fillStyle_);
    s_.SetFontName(font_);
    s_.SetFontSize(size_);
    s_.SetCurrentX(x_);
    s_.SetCurrentY(y_);
  }
  KeptState(const KeptState&) = delete;
  KeptState& operator=(const KeptState&) = delete;

 private:
  DrawingSurface& s_;
  Color fore_, fill_;
  int drawStyle_, drawWidth_, fillStyle_;
  std::string font_;
  double size_, x_, y_;
};

int Round(double value) { return static_cast<int>(std::lround(value)); }

// Text centred on x with its bottom at y.
void PrintAbove(DrawingSurface& s, const std::string& text, double x, double y) {
  s.SetCurrentX(std::floor(x - s.TextWidth(text) / 2));
  s.SetCurrentY(std::floor(y - s.TextHeight(text)));
  s.Print(text);
}

void DrawBar(DrawingSurface& s, double pixelScale, const std::string& unit) {
  const double width = s.ScaleWidth(), height = s.ScaleHeight();
  const double length = RoundLength(width / 5 / pixelScale);
  const int pixels = Round(length * pixelScale);
  if (length <= 0 || pixels < 4) return;
  const int left = s.Scaled(20), bottom = Round(height) - s.Scaled(16);
  const int tick = s.Scaled(5);
  s.Line(left, bottom, left + pixels, bottom);
  for (int k = 0; k <= 2; ++k) {
    const int x = left + Round(pixels * k / 2.0);
    s.Line(x, bottom, x, bottom - (k == 1 ? tick / 2 : tick));
  }
  const double gap = s.Scaled(2);
  PrintAbove(s, "0", left, bottom - tick - gap);
  PrintAbove(s, FormatGeneral(length) + (unit.empty() ? "" : " " + unit), left + pixels,
             bottom - tick - gap);
}

// A shaft with a solid head, "N" beyond the head.
void DrawNorthArrow(DrawingSurface& s, const ViewProjection& view, Color color) {
  // North (0, 1, 0) on the screen: right along RightY, up along UpY.
  const double east = view.RightY, up = view.UpY;
  const double norm = std::hypot(east, up);
  if (!(norm > 0)) return;
  const double dx = east / norm, dy = -up / norm;  // screen y grows downwards
  const double reach = s.Scaled(14);
  const double cx = s.ScaleWidth() - s.Scaled(24), cy = s.Scaled(40);
  const double hx = cx + dx * reach, hy = cy + dy * reach;
  s.Line(Round(cx - dx * reach), Round(cy - dy * reach), Round(hx), Round(hy));
  const double back = s.Scaled(8), half = s.Scaled(4);
  const SurfacePoint head[3] = {
      {Round(hx), Round(hy)},
      {Round(hx - dx * back - dy * half), Round(hy - dy * back + dx * half)},
      {Round(hx - dx * back + dy * half), Round(hy - dy * back - dx * half)},
  };
  s.SetFillStyle(kFillSolid);
  s.SetFillColor(color);
  s.Polygon(head);
  const double label = s.Scaled(12);
  const double lx = cx + dx * (reach + label), ly = cy + dy * (reach + label);
  PrintAbove(s, "N", lx, ly + s.TextHeight("N") / 2);
}

}  // namespace

bool SeenFromAbove(const ViewProjection& view) {
  return view.Dist == NoPerspective && view.TowardZ > 1 - 1e-9;
}

double RoundLength(double most) {
  if (!(most > 0) || !std::isfinite(most)) return 0;
  const double power = std::pow(10, std::floor(std::log10(most)));
  for (const double step : {5.0, 2.0, 1.0}) {
    // A hair of tolerance, so that 500 is not taken for 499.99...
    if (step * power <= most * (1 + 1e-12)) return step * power;
  }
  return power;
}

void DrawScaleBar(DrawingSurface& surface, const ViewProjection& view, Color color,
                  const std::string& unit) {
  if (!SeenFromAbove(view) || !(view.PixelScale > 0) || !std::isfinite(view.PixelScale)) return;
  const KeptState kept(surface);
  surface.SetForeColor(color);
  surface.SetDrawStyle(kDrawSolid);
  surface.SetDrawWidth(1);
  surface.SetFontName("Century");
  surface.SetFontSize(7);
  DrawBar(surface, view.PixelScale, unit);
  DrawNorthArrow(surface, view, color);
}

}  // namespace kessadon
