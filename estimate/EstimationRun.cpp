#include "EstimationRun.h"

#include <new>

#include "BandCholesky.h"
#include "NormalEquations.h"

namespace kessadon {
namespace {

std::string Reason(SolveStatus status, const NormalEquationsOutcome& built,
                   const EstimationParameters& p) {
  if (status == SolveStatus::TooFewData) {
    return "格子の内側（境界から 1 格子より内）にあるデータが足りません（位置データ " +
           std::to_string(built.nH) + " 個、傾斜データ " + std::to_string(built.nD) +
           " 個。位置データが 1 個以上、位置データ + 2 × 傾斜データが 3 以上必要）：範囲を広げるか"
           "拡張の割合を大きくしてください";
  }
  std::string reason = "データと平滑化の重みでは高さの決まらない格子点があります";
  if (p.M1 == 0 && p.M2 == 0) reason += "（m1 = m2 = 0）：m1 か m2 を 0 より大きくしてください";
  return reason;
}

}  // namespace

Result<EstimationResult> RunEstimation(const PreparedData& data, const EstimationParameters& params,
                                       const EstimationProgress& progress) {
  Result<EstimationPlan> planned = PlanEstimation(data, params);
  if (!planned) return planned.failure();
  const EstimationPlan& plan = *planned;
  const EstimationGrid& grid = plan.grid;
  const int passes = static_cast<int>(plan.alphas.size());

  EstimationResult result;
  result.PassesPlanned = passes;
  result.ex = plan.ex;
  result.ey = plan.ey;
  try {
    NodeArray<double> zEst(grid.Nx, grid.Ny);  // the first pass's bounds are judged against zeros
    BandSystem system(grid.NodeCount(), grid.HalfBandwidth());

    for (int pass = 1; pass <= passes; ++pass) {
      const double alpha = plan.alphas[pass - 1];
      const double beta = plan.ratio * alpha;
      if (progress) progress({pass, passes, EstimationStage::Building, 0});
      const NormalEquationsOutcome built =
          BuildNormalEquations(system, grid, data, zEst, {params.M1, params.M2, alpha, beta});
      SolveStatus status = built.status;
      if (status == SolveStatus::Success) {
        SolveProgress solving;
        if (progress) {
          solving = [&](double fraction) {
            progress({pass, passes, EstimationStage::Factorising, fraction});
          };
        }
        status = SolveBandCholesky(system, solving);
      }
      if (status != SolveStatus::Success) {
        if (pass == 1) return Failure{Reason(status, built, params)};
        result.Status = status;
        result.StoppedAtPass = pass;
        result.StopReason = "繰り返しの " + std::to_string(pass) + " 回目で止まりました（" +
                            std::to_string(pass - 1) + " 回目の結果です）：" +
                            Reason(status, built, params);
        break;
      }
      const std::vector<double>& z = system.Rhs();
      for (std::int32_t i = 1; i <= grid.Nx; ++i) {
        for (std::int32_t j = 1; j <= grid.Ny; ++j) {
          zEst(i, j) = z[static_cast<std::size_t>(grid.Unknown(i, j))];
        }
      }
      result.PassReports.push_back(
          MakeEstimationReport(grid, data, zEst, params.M1, params.M2, alpha, beta));
    }
    result.Report = result.PassReports.back();

    GridData& out = result.Grid;
    out.Nx = params.Nx;
    out.Ny = params.Ny;
    out.Xmin = params.Xmin;
    out.Ymin = params.Ymin;
    out.Dx = plan.Dx;
    out.Dy = plan.Dy;
    out.Z = NodeArray<double>(out.Nx, out.Ny);
    for (std::int32_t i = 1; i <= out.Nx; ++i) {
      for (std::int32_t j = 1; j <= out.Ny; ++j) out.Z(i, j) = zEst(i + plan.ex, j + plan.ey);
    }
  } catch (const std::bad_alloc&) {
    return Failure{"メモリが足りません：Nx, Ny か拡張の割合を小さくしてください"};
  }
  return result;
}

}  // namespace kessadon
