#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

#include "overlay/DataDistribution.h"

namespace kessadon {
namespace {

// Records (x, y, z); those without a height carry a strike and dip.
MeasuredData Records(const std::vector<std::array<double, 3>>& records) {
  MeasuredData data;
  for (const auto& [x, y, z] : records) {
    data.DataX.push_back(x);
    data.DataY.push_back(y);
    data.DataZ.push_back(z);
    data.DataL.push_back(0);
    data.DataTrend.push_back(z < NoValue ? NoValue : 90);
    data.DataDip.push_back(z < NoValue ? NoValue : 30);
  }
  return data;
}

TEST(FitDataWindow, SquareAroundTheData) {
  constexpr double none = NoValue;
  struct Case {
    std::vector<std::array<double, 3>> records;
    std::array<double, 9> want;  // window and extent (x min, x max, y min, y max), Zcen
  };
  const Case cases[] = {
      {{{1000, 500, 10}, {3000, 1500, 30}}, {900, 3100, 450, 2650, 1000, 3000, 500, 1500, 20}},
      {{{100, 50, 7}}, {0, 200, -100, 100, 0, 200, -100, 50, 7}},  // the extent keeps its y max
      {{{0, 0, none}, {200, 100, none}}, {-10, 210, -5, 215, 0, 200, 0, 100, 0}},
      // A single point's window that would miss it, a window of no size, no data.
      {{{-100, 50, none}}, {-200, 0, -50, 150, -200, 0, -50, 150, 0}},
      {{{300, 400, 1}, {300, 400, 3}}, {-100, 700, 0, 800, -100, 700, 0, 800, 2}},
      {{}, {-0.5, 0.5, -0.5, 0.5, -0.5, 0.5, -0.5, 0.5, 0}},
  };
  for (const Case& c : cases) {
    const PreparedData data = PrepareMeasuredData(Records(c.records));
    const FittedDataWindow f = FitDataWindow(data, {data.XminH, data.XmaxH, data.YminH, data.YmaxH},
                                             data.ZminH, data.ZmaxH);
    const double got[] = {f.window.Xmin,  f.window.Xmax,  f.window.Ymin,
                          f.window.Ymax,  f.extent.XminH, f.extent.XmaxH,
                          f.extent.YminH, f.extent.YmaxH, f.Zcen};
    for (int k = 0; k < 9; ++k)
      EXPECT_NEAR(got[k], c.want[k], 1e-9) << c.records.size() << ", " << k;
    EXPECT_NEAR(f.Xcen, (c.want[0] + c.want[1]) / 2, 1e-9);
    EXPECT_NEAR(f.Ycen, (c.want[2] + c.want[3]) / 2, 1e-9);
  }
}

}  // namespace
}  // namespace kessadon
