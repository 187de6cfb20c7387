// The colour every picture and table uses: red + 256*green + 65536*blue in a
// 32-bit integer, each component 0 ... 255.
#pragma once

#include <algorithm>
#include <cstdint>

namespace kessadon {

using Color = std::int32_t;

constexpr Color Rgb(int red, int green, int blue) { return red + 256 * green + 65536 * blue; }
constexpr int RedOf(Color color) { return color & 0xFF; }
constexpr int GreenOf(Color color) { return (color >> 8) & 0xFF; }
constexpr int BlueOf(Color color) { return (color >> 16) & 0xFF; }

// A colour from components as a table file holds them: above 255 counts as
// 255, below 0 as 0.
constexpr Color PackColor(std::int32_t red, std::int32_t green, std::int32_t blue) {
  auto clamp = [](std::int32_t c) { return std::clamp(c, 0, 255); };
  return clamp(red) + 256 * clamp(green) + 65536 * clamp(blue);
}
static_assert(PackColor(1, 2, 3) == Rgb(1, 2, 3));
static_assert(PackColor(300, -4, 255) == Rgb(255, 0, 255));

inline constexpr Color kBlack = Rgb(0, 0, 0);
inline constexpr Color kWhite = Rgb(255, 255, 255);

}  // namespace kessadon
