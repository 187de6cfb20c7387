// The synthetic survey the estimation benches share: a smooth terrain over a
// kSide square, heights scattered over it, dips of it at other points.
#pragma once

#include <cmath>
#include <random>

#include "io/MeasuredData.h"

namespace kessadon {

inline constexpr double kSide = 1000;  // map units across the grid
inline constexpr int kHeights = 3000;

inline double Terrain(double x, double y) {
  return 200 + 80 * std::sin(x / 170) * std::cos(y / 230) + 0.05 * x;
}

// Heights scattered over the grid; with bounds, every tenth is a bound the
// terrain satisfies by a few units, lower and upper in turn. Dips of the
// terrain at other points.
inline PreparedData ScatteredData(bool withBounds, int heights = kHeights, int dips = 0) {
  std::mt19937 random(2001);
  std::uniform_real_distribution<double> position(0, kSide), margin(1, 5);
  PreparedData data;
  for (int k = 0; k < dips; ++k) {
    const double x = position(random), y = position(random), h = 1e-3;
    data.XD.push_back(x);
    data.YD.push_back(y);
    data.ZD.push_back(Terrain(x, y));
    data.TrendD.push_back(0);
    data.DipD.push_back(0);
    data.GxD.push_back((Terrain(x + h, y) - Terrain(x - h, y)) / (2 * h));
    data.GyD.push_back((Terrain(x, y + h) - Terrain(x, y - h)) / (2 * h));
  }
  data.HasDipData = dips > 0;
  for (int k = 0; k < heights; ++k) {
    const double x = position(random), y = position(random);
    std::int16_t l = 0;
    double z = Terrain(x, y);
    if (withBounds && k % 10 == 0) {
      l = (k / 10) % 2 ? 1 : -1;
      z -= l * margin(random);
    }
    data.XH.push_back(x);
    data.YH.push_back(y);
    data.ZH.push_back(z);
    data.LH.push_back(l);
  }
  data.HasBoundData = withBounds;
  return data;
}

}  // namespace kessadon
