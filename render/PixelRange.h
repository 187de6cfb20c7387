// Pixel values are 32-bit integers; doubles on their way there are checked
// rather than converted blindly, since a conversion out of range is undefined.
#pragma once

#include <cmath>
#include <cstdint>
#include <optional>

#include "io/NumberText.h"

namespace kessadon {

inline constexpr double kPixelMin = -2147483648.0;
inline constexpr double kPixelMax = 2147483647.0;

// A whole number already (the result of Int) that fits a pixel variable.
inline bool FitsPixel(double whole) { return whole >= kPixelMin && whole <= kPixelMax; }

// Int of the value as a pixel, or nothing when it is not a finite value in range.
inline std::optional<std::int32_t> FloorToPixel(double value) {
  const double whole = IntFloor(value);
  if (!FitsPixel(whole)) return std::nullopt;  // NaN fails both comparisons
  return static_cast<std::int32_t>(whole);
}

// Int of a projected coordinate. A value a hair below a whole number, as
// rotations by angles like 180 degrees leave it, counts as that number, so that
// points on a centre line do not step a pixel aside.
inline double IntFloorNearWhole(double value) {
  const double whole = IntFloor(value);
  return value - whole >= 1 - 1e-9 ? whole + 1 : whole;
}

// Int of the value, held to the pixel range (NaN gives 0).
inline std::int32_t ClampToPixel(double value) {
  if (std::isnan(value)) return 0;
  const double whole = IntFloor(value);
  if (whole < kPixelMin) return INT32_MIN;
  if (whole > kPixelMax) return INT32_MAX;
  return static_cast<std::int32_t>(whole);
}

}  // namespace kessadon
