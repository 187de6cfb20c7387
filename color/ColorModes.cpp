#include "ColorModes.h"

#include <algorithm>
#include <cmath>

#include "io/NumberText.h"
#include "io/WorkSplit.h"

namespace kessadon {
namespace {

// The 64-bit real nearest to the decimal 0.99999.
constexpr double kUpToWhole = 0.99999;

// A slot number for a palette lookup: levels that disagree with the band
// count shown (or an interval far too fine) cannot index beyond the palette.
int Slot(double k) {
  if (!(k >= 1)) return 1;
  if (k > kMaxColors) return kMaxColors;
  return static_cast<int>(k);
}

std::int32_t PaletteColor(const Palette& palette, int k) {
  return PackColor(palette.PalR[k], palette.PalG[k], palette.PalB[k]);
}

// Levels that make no bands from start to end: an interval of 0, or one that
// steps away from the end level.
std::optional<std::string> LevelRefusal(const ContourLevels& levels) {
  if (levels.Cin == 0) {
    return std::string(
        "コンターの間隔が 0 のため，色分けができません。「間　隔」に 0 以外の値を入れてください");
  }
  if ((levels.Cen - levels.Cst) / levels.Cin < 0) {
    return "コンターの開始値" + FormatSigned(levels.Cst) + " から終了値" +
           FormatSigned(levels.Cen) + " へ間隔" + FormatSigned(levels.Cin) +
           " では進めないため，色分けができません。「開始値」「終了値」「間　隔」を直してください";
  }
  return std::nullopt;
}

}  // namespace

Palette PaletteFromTable(const ColorTable& table) {
  Palette palette;
  palette.NPalette = table.NColor;
  const int m = ColorCount(table.NColor);
  for (int i = 1; i <= kMaxColors; ++i) {
    const bool fromTable = i <= m;
    palette.PalR[i] = fromTable ? table.ColorR[i] : 255;
    palette.PalG[i] = fromTable ? table.ColorG[i] : 255;
    palette.PalB[i] = fromTable ? table.ColorB[i] : 255;
  }
  return palette;
}

std::optional<std::string> ColorContourRefusal(double bands, double nColor,
                                               const ContourLevels& levels) {
  if (bands > nColor) {
    return "コンターが" + FormatSigned(nColor) + "色を超えるときには利用できません";
  }
  return LevelRefusal(levels);
}

std::optional<std::string> ColorShadeRefusal(double bands, const ContourLevels& levels) {
  if (bands > kShadeBands) return std::string("コンターが２０色を超えるときには利用できません");
  return LevelRefusal(levels);
}

int ColorContourSlot(const ContourLevels& levels, int m, double z) {
  const double hi = std::max(levels.Cst, levels.Cen), lo = std::min(levels.Cst, levels.Cen);
  if (z > hi) return m;
  if (z < lo) return 1;
  return Slot(IntFloor((z - levels.Cst) / levels.Cin + kUpToWhole));
}

int PaletteSlots(const Palette& palette) { return Slot(ColorCount(palette.NPalette)); }

void FillColorContour(const GridData& grid, const ContourLevels& levels, const Palette& palette,
                      NodeArray<std::int32_t>& cells) {
  const int m = PaletteSlots(palette);
  SplitRange(1, grid.Nx + 1, grid.Ny, [&](int from, int to) {
    for (int ix = from; ix < to; ++ix) {
      for (int iy = 1; iy <= grid.Ny; ++iy) {
        cells(ix, iy) = PaletteColor(palette, ColorContourSlot(levels, m, grid.Z(ix, iy)));
      }
    }
  });
}

void FillColorShade(const GridData& grid, const ContourLevels& levels, const Palette& palette,
                    NodeArray<std::int32_t>& cells) {
  const double hi = std::max(levels.Cst, levels.Cen), lo = std::min(levels.Cst, levels.Cen);
  SplitRange(1, grid.Nx + 1, grid.Ny, [&](int from, int to) {
    for (int ix = from; ix < to; ++ix) {
      for (int iy = 1; iy <= grid.Ny; ++iy) {
        const double z = grid.Z(ix, iy);
        std::int32_t& cell = cells(ix, iy);
        if (z > hi) {
          cell = PackColor(255, 255, 255);
        } else if (z < lo) {
          cell = PackColor(0, 0, 0);
        } else {
          const double band = IntFloor((z - levels.Cst) / levels.Cin + 1);
          const double shade = IntFloor(cell / 29.0);
          cell = PaletteColor(palette, Slot(9 * band - shade + 1));
        }
      }
    }
  });
}

}  // namespace kessadon
