// Colour tables: the ordered colours the colour contour gives its bands, lowest
// band first. A table file holds the colour count, then red, green, blue of each
// colour (list input: one record per line or one number per line).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "Color.h"
#include "io/Result.h"

namespace kessadon {

inline constexpr int kMaxColors = 256;

// Entries 1 ... n of a table, n being the count rounded half to even; entry 0
// is unused, entries above n keep what an earlier table left there.
struct ColorTable {
  double NColor = 0;  // the count exactly as read
  std::array<std::int32_t, kMaxColors + 1> ColorR{}, ColorG{}, ColorB{};
};

// The built-in patterns beside the program, opt_1 ... opt_4, and the palette
// of the colour shade.
inline constexpr std::array<const char*, 4> kPatternFileNames = {"Color1.txt", "Color2.txt",
                                                                 "Color3.txt", "Color4.txt"};
inline constexpr const char* kShadePaletteFileName = "ColorShd.txt";

// n: the count rounded half to even, 0 for counts out of any sensible range.
int ColorCount(double count);

// The table a text describes, built on a copy of `previous` so that entries
// above the new count keep their values. Refused: no count, a count that rounds
// to 0 or less or to more than 256, a file ending before the last colour.
Result<ColorTable> ParseColorTable(std::string_view text, const ColorTable& previous);

// Reads a table file; the reason of a failure does not name the file.
Result<ColorTable> LoadColorTable(const std::string& path, const ColorTable& previous);

}  // namespace kessadon
