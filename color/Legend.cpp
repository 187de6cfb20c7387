#include "Legend.h"

#include "io/NumberText.h"
#include "render/RenderSurface.h"

namespace kessadon {
namespace {

int Whole(double value) { return static_cast<int>(IntFloor(value)); }

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

bool DrawLegend(DrawingSurface& surface, int displayMode, const Palette& palette,
                const ContourLevels& levels) {
  if (displayMode != kDisplayColorContour && displayMode != kDisplayColorShade) return false;
  surface.Cls();
  const double w = surface.ScaleWidth(), h = surface.ScaleHeight();
  const int m = ColorCount(palette.NPalette);
  if (m <= 0) return true;
  const double step = IntFloor(h * 0.9 / static_cast<float>(palette.NPalette));
  const int left = Whole(0.2 * w), right = Whole(0.5 * w), bottom = Whole(0.95 * h);
  for (int i = 1; i <= m && i <= kMaxColors; ++i) {
    surface.Line(left, Whole(bottom - (i - 1) * step), right, Whole(bottom - i * step),
                 PackColor(palette.PalR[i], palette.PalG[i], palette.PalB[i]),
                 LineForm::FilledBox);
  }

  surface.SetFontName("Century");
  surface.SetFontSize(7);
  const double labelX = IntFloor(0.6 * w), labelBase = IntFloor(0.925 * h);
  auto label = [&](int t, double value) {
    surface.SetCurrentX(labelX);
    surface.SetCurrentY(labelBase - IntFloor(step * (t - 1.5)));
    surface.Print(FormatSigned(value));
  };
  if (displayMode == kDisplayColorContour) {
    const double boundaries = RoundHalfEven(palette.NPalette + 1);
    for (int t = 1; t <= boundaries; ++t) label(t, (t - 1) * levels.Cin + levels.Cst);
  } else {
    for (int t = 1; t <= m; t += 9) label(t, (t - 1) * levels.Cin / 9 + levels.Cst);
  }
  return true;
}

}  // namespace kessadon
