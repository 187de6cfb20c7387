// What the estimation panel asks for, its defaults, and the plan derived from
// it: node spacing, the extension of the grid and the weight of each pass.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "EstimationGrid.h"
#include "io/FaultTraces.h"
#include "io/MeasuredData.h"
#include "io/Result.h"

namespace kessadon {

struct EstimationParameters {
  double Xmin = 0, Ymin = 0, Xmax = 0, Ymax = 0;  // first and last node of the grid to produce
  std::int32_t Nx = 0, Ny = 0;                    // its node counts
  double Xexp = 0, Yexp = 0;      // extension beyond the range, percent of the cells
  double M1 = 0, M2 = 1;          // weights of J1 and J2
  double Ratio = 0;               // beta / alpha; used only with dip data
  double AlphaMin = 32;           // height-data weight of the first pass
  double AlphaMax = 0, Nitr = 0;  // last weight and pass count; used only with bound data
  FaultTraces Faults;             // where the surface may break; none by default
  bool operator==(const EstimationParameters&) const = default;
};

// What the panel shows after data are prepared or cleared. The fields left
// empty stay disabled and keep their text.
struct EstimationDefaults {
  double AlphaMin = 32, M1 = 0, M2 = 1, Xexp = 0, Yexp = 0;
  std::optional<double> Ratio;           // 1 with dip data
  std::optional<double> AlphaMax, Nitr;  // 16 and 6 with bound data (and AlphaMin 0.25)
};
EstimationDefaults DefaultEstimationParameters(bool hasDipData, bool hasBoundData);
EstimationDefaults DefaultEstimationParameters(const PreparedData& data);

// Nodes added on each side: the percentage of the cells to the nearest
// integer, halves up, at least one. Nothing when it is beyond any grid.
std::optional<std::int32_t> ExtensionNodes(std::int32_t nodes, double percent);

// Most nodes an estimation grid may have, extension included; the solver may
// still refuse a smaller grid whose factor would not fit in memory.
inline constexpr std::int64_t kMaxEstimationNodes = 64'000'000;

struct EstimationPlan {
  double Dx = 0, Dy = 0;
  std::int32_t ex = 1, ey = 1;
  EstimationGrid grid;         // the extended grid the passes work on
  std::vector<double> alphas;  // alpha of each pass
  double ratio = 0;            // beta / alpha of every pass
};

// Checks the parameters against the data and derives the plan; a refusal
// names the field to change.
Result<EstimationPlan> PlanEstimation(const PreparedData& data, const EstimationParameters& p);

}  // namespace kessadon
