#include "Legend.h"

#include <algorithm>
#include <cmath>

#include "io/NumberText.h"
#include "render/RenderSurface.h"

namespace kessadon {
namespace {

int Whole(double value) { return static_cast<int>(IntFloor(value)); }

// The boxes of the colour contour's legend from the bottom: the bands first
// ... last, then perhaps the last colour, which heights above the end level take.
struct ContourStrip {
  int first = 1, last = 1;
  bool above = false;
  int Bands() const { return last - first + 1; }
  int Boxes() const { return Bands() + (above ? 1 : 0); }
};

ContourStrip UsedBands(const ContourLevels& levels, int m, double zmin, double zmax) {
  const double hi = std::max(levels.Cst, levels.Cen), lo = std::min(levels.Cst, levels.Cen);
  const int a = ColorContourSlot(levels, m, std::clamp(zmin, lo, hi));
  const int b = ColorContourSlot(levels, m, std::clamp(zmax, lo, hi));
  ContourStrip strip{std::min(a, b), std::max(a, b), false};
  strip.above = levels.Cin > 0 && zmax > hi && m > strip.last;
  return strip;
}

Color SlotColor(const Palette& palette, int slot) {
  return PackColor(palette.PalR[slot], palette.PalG[slot], palette.PalB[slot]);
}

void DrawContourLegend(DrawingSurface& surface, const Palette& palette, const ContourLevels& levels,
                       const ContourStrip& strip) {
  const double w = surface.ScaleWidth(), h = surface.ScaleHeight();
  const int boxes = strip.Boxes();
  const double step = IntFloor(h * 0.9 / static_cast<float>(boxes));
  const int left = Whole(0.2 * w), right = Whole(0.5 * w), bottom = Whole(0.95 * h);
  for (int box = 1; box <= boxes; ++box) {
    const int slot = box <= strip.Bands() ? strip.first + box - 1 : PaletteSlots(palette);
    surface.Line(left, Whole(bottom - (box - 1) * step), right, Whole(bottom - box * step),
                 SlotColor(palette, slot), LineForm::FilledBox);
  }

  surface.SetFontName("Century");
  surface.SetFontSize(7);
  const double textHeight = surface.TextHeight("0");
  // Labels centred on their boundaries, never closer than a line of text; the
  // top one always stands.
  const int bands = strip.Bands();
  const int every = step > 0 ? std::max(1, static_cast<int>(std::ceil(textHeight / step))) : bands;
  const double hi = std::max(levels.Cst, levels.Cen);
  auto label = [&](int t) {
    const double value =
        strip.above && t == bands ? hi : (strip.first - 1 + t) * levels.Cin + levels.Cst;
    surface.SetCurrentX(IntFloor(0.6 * w));
    surface.SetCurrentY(IntFloor(bottom - t * step - textHeight / 2));
    surface.Print(FormatSigned(value));
  };
  for (int t = 0; t + every <= bands; t += every) label(t);
  label(bands);
}

// The shades of the bands the heights up to zmax take (nine slots a band;
// every slot when the levels give no bands), a label at every band's
// boundary; the top one is the end level where the last band stops there.
void DrawShadeLegend(DrawingSurface& surface, const Palette& palette, const ContourLevels& levels,
                     double zmax) {
  const double w = surface.ScaleWidth(), h = surface.ScaleHeight();
  int m = std::min(ColorCount(palette.NPalette), kMaxColors);
  const double hi = std::max(levels.Cst, levels.Cen);
  double top = hi;
  if (levels.Cin > 0 && m >= 9) {
    // Heights above the end level are drawn white, which no box shows.
    const double reached = std::min(zmax, hi);
    const double ofLevels = std::ceil((hi - levels.Cst) / levels.Cin - 1e-9);
    const double ofHeights = std::floor((reached - levels.Cst) / levels.Cin) + 1;
    const int bands = static_cast<int>(std::clamp(std::min(ofLevels, ofHeights), 1.0, m / 9.0));
    m = 9 * bands;
    top = std::min(hi, levels.Cst + bands * levels.Cin);
  }
  const double step = IntFloor(h * 0.9 / static_cast<float>(m));
  const int left = Whole(0.2 * w), right = Whole(0.5 * w), bottom = Whole(0.95 * h);
  for (int i = 1; i <= m; ++i) {
    surface.Line(left, Whole(bottom - (i - 1) * step), right, Whole(bottom - i * step),
                 SlotColor(palette, i), LineForm::FilledBox);
  }

  surface.SetFontName("Century");
  surface.SetFontSize(7);
  const double labelX = IntFloor(0.6 * w), labelBase = IntFloor(0.925 * h);
  for (int t = 1; t <= m + 1; t += 9) {
    surface.SetCurrentX(labelX);
    surface.SetCurrentY(labelBase - IntFloor(step * (t - 1.5)));
    const double value = (t - 1) * levels.Cin / 9 + levels.Cst;
    surface.Print(FormatSigned(t > m && levels.Cin > 0 ? std::min(value, top) : value));
  }
}

}  // namespace

void DrawColorPreview(DrawingSurface& surface, const ColorTable& table) {
  surface.Cls();
  const double w = surface.ScaleWidth(), h = surface.ScaleHeight();
  const int n = ColorCount(table.NColor);
  if (n <= 0) return;
  const double step = IntFloor(h / static_cast<float>(table.NColor));
  for (int i = 1; i <= n && i <= kMaxColors; ++i) {
    const Color c = PackColor(table.ColorR[i], table.ColorG[i], table.ColorB[i]);
    const double top = i == table.NColor ? 0 : h - i * step;
    surface.Line(0, Whole(h - (i - 1) * step), Whole(w), Whole(top), c, LineForm::FilledBox);
  }
}

bool DrawLegend(DrawingSurface& surface, DisplayMode displayMode, const Palette& palette,
                const ContourLevels& levels, double zmin, double zmax, const std::string& title) {
  if (displayMode != DisplayMode::ColorContour && displayMode != DisplayMode::ColorShade)
    return false;
  surface.Cls();
  if (!title.empty()) {
    // Above the strip, which starts a twentieth of the height down.
    surface.SetFontSize(7);
    surface.SetCurrentX(IntFloor(0.05 * surface.ScaleWidth()));
    surface.SetCurrentY(IntFloor(0.005 * surface.ScaleHeight()));
    surface.Print(title);
  }
  if (ColorCount(palette.NPalette) <= 0) return true;
  if (displayMode == DisplayMode::ColorContour) {
    DrawContourLegend(surface, palette, levels,
                      UsedBands(levels, PaletteSlots(palette), zmin, zmax));
  } else {
    DrawShadeLegend(surface, palette, levels, zmax);
  }
  return true;
}

}  // namespace kessadon
