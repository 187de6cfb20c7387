// The colour contour and the colour shade: one colour per grid node from the
// contour band its height falls in, plain or darkened and lightened by the
// relief shading. Band k of the colour contour holds the heights above
// Cst + (k−1)·Cin up to and including Cst + k·Cin; band b of the colour shade
// holds the heights from Cst + (b−1)·Cin up to but not including Cst + b·Cin and
// owns the nine palette slots 9b − 7 (lightest) ... 9b + 1 (darkest).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "ColorTable.h"
#include "ContourLevels.h"
#include "io/GridData.h"
#include "io/NodeArray.h"

namespace kessadon {

// What the last colour drawing painted with, read again by the legend.
// Slots 1 ... m hold the source's colours (m the count rounded half to even),
// every slot above them white.
struct Palette {
  double NPalette = 0;
  std::array<std::int32_t, kMaxColors + 1> PalR{}, PalG{}, PalB{};
};

// The colour shade has room for this many bands of levels.
inline constexpr double kShadeBands = 20;

// The palette of a table: its colours, white above them.
Palette PaletteFromTable(const ColorTable& table);

// Why the levels cannot colour the grid, as the message box says it; nothing
// when they can. `bands` is the band count shown beside the level fields.
std::optional<std::string> ColorContourRefusal(double bands, double nColor,
                                               const ContourLevels& levels);
std::optional<std::string> ColorShadeRefusal(double bands, const ContourLevels& levels);

// The palette slot of a height in the colour contour with m colours: its
// band, the last slot above the end level, the first below the start level.
int ColorContourSlot(const ContourLevels& levels, int m, double z);

// The number of colours of a palette, as a slot.
int PaletteSlots(const Palette& palette);

// Colours of nodes 1 ... Nx by 1 ... Ny; the heights above the end level take
// the palette's last colour, those below the start level its first.
void FillColorContour(const GridData& grid, const ContourLevels& levels, const Palette& palette,
                      NodeArray<std::int32_t>& cells);

// `cells` holds the grey levels 0 ... 255 of the nodes on entry and their
// colours on return; heights above the levels are white, below them black.
void FillColorShade(const GridData& grid, const ContourLevels& levels, const Palette& palette,
                    NodeArray<std::int32_t>& cells);

}  // namespace kessadon
