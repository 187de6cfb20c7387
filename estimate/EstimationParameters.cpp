#include "EstimationParameters.h"

#include <cmath>
#include <string>

#include "BandSystem.h"
#include "io/NumberText.h"

namespace kessadon {
namespace {

// A bound-data run re-decides its active bounds once per pass; more passes
// than this would only keep the window busy.
constexpr double kMaxPasses = 1000;

Failure Refuse(std::string message) { return Failure{std::move(message)}; }

}  // namespace

EstimationDefaults DefaultEstimationParameters(bool hasDipData, bool hasBoundData) {
  EstimationDefaults d;
  if (hasDipData == 1) d.Ratio = 1;
  if (hasBoundData == 1) {
    d.AlphaMin = 0.25;
    d.AlphaMax = 16;
    d.Nitr = 6;
  }
  return d;
}

EstimationDefaults DefaultEstimationParameters(const PreparedData& data) {
  return DefaultEstimationParameters(data.HasDipData, data.HasBoundData);
}

std::optional<std::int32_t> ExtensionNodes(std::int32_t nodes, double percent) {
  const double e = IntFloor((nodes - 1) * percent / 100 + 0.50000001);
  if (std::isnan(e) || e > 1e9) return std::nullopt;
  return e < 1 ? 1 : static_cast<std::int32_t>(e);
}

Result<EstimationPlan> PlanEstimation(const PreparedData& data, const EstimationParameters& p) {
  if (!(p.Nx > 1 && p.Ny > 1)) return Refuse("Nx と Ny は 2 以上にしてください");
  const struct {
    const char* name;
    double value;
  } fields[] = {{"X min", p.Xmin}, {"Y min", p.Ymin},   {"X Max", p.Xmax},
                {"Y Max", p.Ymax}, {"X（％）", p.Xexp}, {"Y（％）", p.Yexp},
                {"m1", p.M1},      {"m2", p.M2},        {"α(min)", p.AlphaMin}};
  for (const auto& field : fields) {
    if (!std::isfinite(field.value)) return Refuse(std::string(field.name) + " の値が大きすぎます");
  }
  // A reversed axis would turn the curvature weights Dx*Dy negative.
  if (p.Xmax == p.Xmin) return Refuse("X min と X Max が同じです（x の範囲が 0）");
  if (p.Ymax == p.Ymin) return Refuse("Y min と Y Max が同じです（y の範囲が 0）");
  if (p.Xmax < p.Xmin) return Refuse("X Max は X min より大きくしてください");
  if (p.Ymax < p.Ymin) return Refuse("Y Max は Y min より大きくしてください");

  EstimationPlan plan;
  plan.Dx = (p.Xmax - p.Xmin) / (p.Nx - 1);
  plan.Dy = (p.Ymax - p.Ymin) / (p.Ny - 1);
  if (!std::isfinite(plan.Dx) || !std::isfinite(plan.Dy) || plan.Dx <= 0 || plan.Dy <= 0) {
    return Refuse("格子の範囲が大きすぎるか小さすぎます");
  }

  const std::optional<std::int32_t> ex = ExtensionNodes(p.Nx, p.Xexp);
  const std::optional<std::int32_t> ey = ExtensionNodes(p.Ny, p.Yexp);
  const std::int64_t nx = ex ? std::int64_t{p.Nx} + 2 * std::int64_t{*ex} : -1;
  const std::int64_t ny = ey ? std::int64_t{p.Ny} + 2 * std::int64_t{*ey} : -1;
  if (nx < 0 || ny < 0 || nx > kMaxEstimationNodes || ny > kMaxEstimationNodes ||
      nx * ny > kMaxEstimationNodes) {
    return Refuse("推定する格子が大きすぎます（拡張後 " + (nx < 0 ? "?" : std::to_string(nx)) +
                  " × " + (ny < 0 ? "?" : std::to_string(ny)) +
                  "）：Nx, Ny か拡張の割合を小さくしてください");
  }
  plan.ex = *ex;
  plan.ey = *ey;
  plan.grid.Nx = static_cast<std::int32_t>(nx);
  plan.grid.Ny = static_cast<std::int32_t>(ny);
  plan.grid.Dx = plan.Dx;
  plan.grid.Dy = plan.Dy;
  plan.grid.Xmin = p.Xmin - plan.ex * plan.Dx;
  plan.grid.Ymin = p.Ymin - plan.ey * plan.Dy;

  if (!(p.AlphaMin > 0)) return Refuse("α(min) は 0 より大きくしてください");
  if (data.HasBoundData) {
    if (!(p.Nitr >= 2))
      return Refuse("上下限データがあるときは繰り返し回数を 2 以上にしてください");
    if (p.Nitr > kMaxPasses) {
      return Refuse("繰り返し回数は " + FormatGeneral(kMaxPasses) + " までにしてください");
    }
    if (!(p.AlphaMax > p.AlphaMin)) return Refuse("α(max) は α(min) より大きくしてください");
    if (!std::isfinite(p.AlphaMax)) return Refuse("α(max) の値が大きすぎます");
    // A fractional count enters the exponent as typed; rounded, it is the number of passes.
    const double step = std::pow(p.AlphaMax / p.AlphaMin, 1 / (p.Nitr - 1));
    const double passes = RoundHalfEven(p.Nitr);
    for (int k = 1; k <= passes; ++k) plan.alphas.push_back(std::pow(step, k - 1) * p.AlphaMin);
    if (!std::isfinite(plan.alphas.back())) return Refuse("α(max) / α(min) が大きすぎます");
  } else {
    plan.alphas.push_back(p.AlphaMin);
  }
  plan.ratio = data.Nd() != 0 ? p.Ratio : 0;
  if (!std::isfinite(plan.ratio)) return Refuse("Beta/Alpha の値が大きすぎます");
  return plan;
}

}  // namespace kessadon
