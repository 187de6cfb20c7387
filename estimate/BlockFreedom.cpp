#include "BlockFreedom.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "SeenStencils.h"
#include "io/NumberText.h"

namespace kessadon {
namespace {

// What the smoothness rows leave free in a piece.
enum class Freedom : std::uint8_t {
  Level,    // m1 > 0: its level
  Plane,    // m1 = 0: a plane, the curvature rows holding the piece together
  General,  // m1 = 0: more, carried node by node (GeneralPiece)
};

// A piece with more freedom than a plane: each node's height as a
// combination of `params` free values, and the combinations its rows
// require to vanish where they close a loop.
struct GeneralPiece {
  int params = 0;
  bool overflow = false;  // too free to reckon with: free whatever its data
  std::unordered_map<std::int64_t, std::vector<double>> expr;
  std::vector<std::vector<double>> constraints;
};

// A piece's freedom is not carried past this many free values: a piece that
// free is never fixed by its data in practice.
constexpr int kMaxParams = 256;

// A smoothness row: up to four nodes and their whole-number coefficients.
struct SmoothRow {
  std::int64_t key = 0;  // unique among the grid's rows
  int count = 0;
  std::int64_t node[4] = {};
  double c[4] = {};
};

// The curvature rows of the grid with its cuts, as the equations add them.
class CurvatureRows {
 public:
  CurvatureRows(const EstimationGrid& grid, const FaultCuts* faults)
      : g_(grid), f_(faults != nullptr && faults->Any() ? faults : nullptr) {}

  // Calls f(row) for every row that weighs node (i, j).
  template <class F>
  void ForEachAt(std::int32_t i, std::int32_t j, F&& f) const {
    SmoothRow row;
    for (std::int32_t c = i - 1; c <= i + 1; ++c) {
      if (AlongX(c, j, row)) f(row);
    }
    for (std::int32_t c = j - 1; c <= j + 1; ++c) {
      if (AlongY(i, c, row)) f(row);
    }
    for (std::int32_t a = i - 1; a <= i; ++a) {
      for (std::int32_t b = j - 1; b <= j; ++b) {
        if (Cross(a, b, row)) f(row);
      }
    }
  }

  bool Cross(std::int32_t i, std::int32_t j, SmoothRow& row) const {
    if (i < 1 || i > g_.Nx - 1 || j < 1 || j > g_.Ny - 1) return false;
    if (CutX(i, j) || CutX(i, j + 1) || CutY(i, j) || CutY(i + 1, j)) return false;
    Set(row, 2, i, j, {{i, j, 1}, {i, j + 1, -1}, {i + 1, j, -1}, {i + 1, j + 1, 1}}, 4);
    return true;
  }

 private:
  struct Term {
    std::int32_t i, j;
    double c;
  };
  bool CutX(std::int32_t i, std::int32_t j) const { return f_ != nullptr && f_->CutX(i, j); }
  bool CutY(std::int32_t i, std::int32_t j) const { return f_ != nullptr && f_->CutY(i, j); }
  void Set(SmoothRow& row, int type, std::int32_t i, std::int32_t j,
           std::initializer_list<Term> terms, int count) const {
    row.key = type * g_.NodeCount() + g_.Unknown(i, j);
    row.count = count;
    int k = 0;
    for (const Term& t : terms) {
      row.node[k] = g_.Unknown(t.i, t.j);
      row.c[k++] = t.c;
    }
  }
  bool AlongX(std::int32_t i, std::int32_t j, SmoothRow& row) const {
    if (i < 2 || i > g_.Nx - 1 || CutX(i - 1, j) || CutX(i, j)) return false;
    Set(row, 0, i, j, {{i - 1, j, 1}, {i, j, -2}, {i + 1, j, 1}}, 3);
    return true;
  }
  bool AlongY(std::int32_t i, std::int32_t j, SmoothRow& row) const {
    if (j < 2 || j > g_.Ny - 1 || CutY(i, j - 1) || CutY(i, j)) return false;
    Set(row, 1, i, j, {{i, j - 1, 1}, {i, j, -2}, {i, j + 1, 1}}, 3);
    return true;
  }

  const EstimationGrid& g_;
  const FaultCuts* f_;
};

void AddScaled(std::vector<double>& to, const std::vector<double>& v, double f) {
  if (to.size() < v.size()) to.resize(v.size(), 0.0);
  for (std::size_t k = 0; k < v.size(); ++k) to[k] += f * v[k];
}

// Carries a piece's freedom through its rows: a row with one node not yet
// expressed expresses it; a row with none is a constraint.
void CarryFreedom(const EstimationGrid& grid, const CurvatureRows& rows,
                  const std::vector<std::int64_t>& nodes, GeneralPiece& piece) {
  std::unordered_set<std::int64_t> used;
  std::vector<std::int64_t> queue;
  auto visit = [&](const SmoothRow& row) {
    if (used.count(row.key) != 0) return;
    int unknown = -1, unknowns = 0;
    for (int k = 0; k < row.count; ++k) {
      if (piece.expr.count(row.node[k]) == 0) {
        unknown = k;
        ++unknowns;
      }
    }
    if (unknowns > 1) return;
    used.insert(row.key);
    std::vector<double> sum;
    for (int k = 0; k < row.count; ++k) {
      if (k != unknown) AddScaled(sum, piece.expr[row.node[k]], row.c[k]);
    }
    if (unknowns == 0) {
      piece.constraints.push_back(std::move(sum));
      return;
    }
    for (double& v : sum) v /= -row.c[unknown];
    piece.expr[row.node[unknown]] = std::move(sum);
    queue.push_back(row.node[unknown]);
  };
  for (const std::int64_t start : nodes) {
    if (piece.expr.count(start) != 0) continue;
    if (piece.params == kMaxParams) {
      piece.overflow = true;
      return;
    }
    std::vector<double> unit(static_cast<std::size_t>(piece.params + 1), 0.0);
    unit.back() = 1;
    ++piece.params;
    piece.expr[start] = std::move(unit);
    queue.push_back(start);
    while (!queue.empty()) {
      const std::int64_t n = queue.back();
      queue.pop_back();
      rows.ForEachAt(static_cast<std::int32_t>(n / grid.Ny + 1),
                     static_cast<std::int32_t>(n % grid.Ny + 1), visit);
    }
  }
}

// The eigenvalues of the symmetric n x n matrix a (row major), by Jacobi's
// rotations.
std::vector<double> Eigenvalues(std::vector<double> a, int n) {
  auto at = [&a, n](int r, int c) -> double& {
    return a[static_cast<std::size_t>(r) * static_cast<std::size_t>(n) +
             static_cast<std::size_t>(c)];
  };
  for (int sweep = 0; sweep < 60; ++sweep) {
    double off = 0, diagonal = 0;
    for (int r = 0; r < n; ++r) {
      diagonal += at(r, r) * at(r, r);
      for (int c = r + 1; c < n; ++c) off += at(r, c) * at(r, c);
    }
    if (off <= 1e-30 * diagonal) break;
    for (int p = 0; p < n; ++p) {
      for (int q = p + 1; q < n; ++q) {
        if (at(p, q) == 0) continue;
        const double theta = (at(q, q) - at(p, p)) / (2 * at(p, q));
        const double t = (theta >= 0 ? 1 : -1) / (std::abs(theta) + std::sqrt(theta * theta + 1));
        const double cs = 1 / std::sqrt(t * t + 1), sn = t * cs;
        for (int k = 0; k < n; ++k) {
          const double kp = at(k, p), kq = at(k, q);
          at(k, p) = cs * kp - sn * kq;
          at(k, q) = sn * kp + cs * kq;
        }
        for (int k = 0; k < n; ++k) {
          const double pk = at(p, k), qk = at(q, k);
          at(p, k) = cs * pk - sn * qk;
          at(q, k) = sn * pk + cs * qk;
        }
      }
    }
  }
  std::vector<double> out(static_cast<std::size_t>(n));
  for (int k = 0; k < n; ++k) out[static_cast<std::size_t>(k)] = at(k, k);
  return out;
}

// The sum of the outer products of unit rows in n dimensions, and whether
// they fix all n directions: no direction is left below kLineTolerance^2 / 4
// of the most fixed one (three heights, the middle one off the line of the
// others by that share of the piece's half size, just fix a tilt).
struct Gram {
  int n = 0;
  std::vector<double> g;
  void Add(const std::vector<double>& row) {
    double norm = 0;
    for (double v : row) norm += v * v;
    if (!(norm > 0)) return;
    for (int r = 0; r < n && r < static_cast<int>(row.size()); ++r) {
      for (int c = 0; c < n && c < static_cast<int>(row.size()); ++c) {
        g[static_cast<std::size_t>(r) * static_cast<std::size_t>(n) +
          static_cast<std::size_t>(c)] += row[r] * row[c] / norm;
      }
    }
  }
  bool Fixes() const {
    if (n == 0) return true;
    const std::vector<double> e = Eigenvalues(g, n);
    const double low = *std::min_element(e.begin(), e.end());
    const double high = *std::max_element(e.begin(), e.end());
    return high > 0 && low > 0.25 * kLineTolerance * kLineTolerance * high;
  }
};

std::string Where(const EstimationGrid& grid, std::int64_t node) {
  const std::int64_t column = node / grid.Ny, row = node % grid.Ny;
  return "x = " + FormatGeneral(grid.Xmin + static_cast<double>(column) * grid.Dx) +
         ", y = " + FormatGeneral(grid.Ymin + static_cast<double>(row) * grid.Dy);
}

}  // namespace

struct BlockFreedom::Pieces {
  EstimationGrid grid;
  double m1 = 0, m2 = 0;
  bool faults = false;
  std::vector<std::int32_t> block;  // by node; empty when the whole grid is one piece
  std::int32_t count = 1;
  std::vector<Freedom> freedom;
  std::vector<std::int64_t> size;
  // A plane piece's rows are judged in (1, (i - ci) / half, (j - cj) / half).
  std::vector<double> ci, cj, half;
  std::unordered_map<std::int32_t, GeneralPiece> general;

  std::int32_t BlockOf(std::int64_t node) const {
    return block.empty() ? 0 : block[static_cast<std::size_t>(node)];
  }
  void FindPlanes(const FaultCuts* cuts);
  void Measure();
  // The row of data row `d` in the freedom of its piece, or empty.
  std::vector<double> RowIn(const DataRow& d, std::int32_t& piece) const;
  std::string Refusal(std::int32_t piece, std::int64_t node, std::int32_t heights,
                      std::int32_t dips) const;
};

// m1 = 0: which pieces their curvature rows hold to a plane. From the first
// cell of each piece whose cross row is kept (four nodes, one row: a plane's
// freedom), every row with one node not yet fixed fixes it; a piece fixed
// whole so is a plane, any other is carried node by node.
void BlockFreedom::Pieces::FindPlanes(const FaultCuts* cuts) {
  const CurvatureRows rows(grid, cuts);
  std::vector<std::uint8_t> fixed(static_cast<std::size_t>(grid.NodeCount()), 0),
      seeded(static_cast<std::size_t>(count), 0);
  std::vector<std::int32_t> queue;
  auto fix = [&](std::int64_t n) {
    if (fixed[static_cast<std::size_t>(n)] != 0) return;
    fixed[static_cast<std::size_t>(n)] = 1;
    queue.push_back(static_cast<std::int32_t>(n));
  };
  auto visit = [&](const SmoothRow& row) {
    int unknown = -1, unknowns = 0;
    for (int k = 0; k < row.count; ++k) {
      if (fixed[static_cast<std::size_t>(row.node[k])] == 0) {
        unknown = k;
        ++unknowns;
      }
    }
    if (unknowns == 1) fix(row.node[unknown]);
  };
  for (std::int32_t i = 1; i < grid.Nx; ++i) {
    for (std::int32_t j = 1; j < grid.Ny; ++j) {
      SmoothRow cell;
      const std::int32_t b = BlockOf(grid.Unknown(i, j));
      if (seeded[static_cast<std::size_t>(b)] != 0 || !rows.Cross(i, j, cell)) continue;
      seeded[static_cast<std::size_t>(b)] = 1;
      for (int k = 0; k < 4; ++k) fix(cell.node[k]);
      while (!queue.empty()) {
        const std::int64_t n = queue.back();
        queue.pop_back();
        rows.ForEachAt(static_cast<std::int32_t>(n / grid.Ny + 1),
                       static_cast<std::int32_t>(n % grid.Ny + 1), visit);
      }
    }
  }
  freedom.assign(static_cast<std::size_t>(count), Freedom::Plane);
  std::unordered_map<std::int32_t, std::vector<std::int64_t>> loose;
  for (std::int64_t n = 0; n < grid.NodeCount(); ++n) {
    if (fixed[static_cast<std::size_t>(n)] == 0) loose[BlockOf(n)];
  }
  if (loose.empty()) return;
  for (std::int64_t n = 0; n < grid.NodeCount(); ++n) {
    auto it = loose.find(BlockOf(n));
    if (it != loose.end()) it->second.push_back(n);
  }
  for (auto& [b, nodes] : loose) {
    freedom[static_cast<std::size_t>(b)] = Freedom::General;
    CarryFreedom(grid, rows, nodes, general[b]);
  }
}

// Each piece's node count and, for its plane, its centre and half size.
void BlockFreedom::Pieces::Measure() {
  const auto n = static_cast<std::size_t>(count);
  size.assign(n, 0);
  std::vector<std::int32_t> lowI(n, INT32_MAX), highI(n, 0), lowJ(n, INT32_MAX), highJ(n, 0);
  for (std::int32_t i = 1; i <= grid.Nx; ++i) {
    for (std::int32_t j = 1; j <= grid.Ny; ++j) {
      const auto b = static_cast<std::size_t>(BlockOf(grid.Unknown(i, j)));
      ++size[b];
      lowI[b] = std::min(lowI[b], i);
      highI[b] = std::max(highI[b], i);
      lowJ[b] = std::min(lowJ[b], j);
      highJ[b] = std::max(highJ[b], j);
    }
  }
  ci.resize(n);
  cj.resize(n);
  half.resize(n);
  for (std::size_t b = 0; b < n; ++b) {
    ci[b] = 0.5 * (lowI[b] + highI[b]);
    cj[b] = 0.5 * (lowJ[b] + highJ[b]);
    half[b] = std::max(0.5 * std::max(highI[b] - lowI[b], highJ[b] - lowJ[b]), 0.5);
  }
}

std::vector<double> BlockFreedom::Pieces::RowIn(const DataRow& d, std::int32_t& piece) const {
  // The piece of the node the row weighs most.
  double most = 0;
  for (int a = 0; a < 3; ++a) {
    for (int b = 0; b < 3; ++b) {
      if (std::abs(d.stencil.W[a][b]) > most) {
        most = std::abs(d.stencil.W[a][b]);
        piece = BlockOf(grid.Unknown(d.ic + a - 1, d.jc + b - 1));
      }
    }
  }
  if (most == 0) return {};
  const auto p = static_cast<std::size_t>(piece);
  std::vector<double> row(freedom[p] == Freedom::Level ? 1 : freedom[p] == Freedom::Plane ? 3 : 0);
  for (int a = 0; a < 3; ++a) {
    for (int b = 0; b < 3; ++b) {
      const double w = d.stencil.W[a][b];
      const std::int32_t i = d.ic + a - 1, j = d.jc + b - 1;
      const std::int64_t node = grid.Unknown(i, j);
      if (w == 0 || BlockOf(node) != piece) continue;
      if (freedom[p] == Freedom::General) {
        const GeneralPiece& g = general.at(piece);
        if (!g.overflow) AddScaled(row, g.expr.at(node), w);
        continue;
      }
      row[0] += w;
      if (freedom[p] == Freedom::Plane) {
        row[1] += w * (i - ci[p]) / half[p];
        row[2] += w * (j - cj[p]) / half[p];
      }
    }
  }
  return row;
}

BlockFreedom::BlockFreedom(const EstimationGrid& grid, const FaultCuts* faults, double m1,
                           double m2)
    : p_(std::make_unique<Pieces>()) {
  p_->grid = grid;
  p_->m1 = m1;
  p_->m2 = m2;
  p_->faults = faults != nullptr && faults->Any();
  if (p_->faults) {
    p_->block = faults->BlockOfNodes();
    p_->count = *std::max_element(p_->block.begin(), p_->block.end()) + 1;
  }
  p_->Measure();
  if (m1 != 0) {
    p_->freedom.assign(static_cast<std::size_t>(p_->count), Freedom::Level);
  } else if (m2 != 0 && p_->faults) {
    p_->FindPlanes(faults);
  } else {
    // Without faults the whole grid, at least 2 x 2 nodes, is held to a plane.
    p_->freedom.assign(static_cast<std::size_t>(p_->count), Freedom::Plane);
  }
}

BlockFreedom::BlockFreedom(BlockFreedom&&) noexcept = default;
BlockFreedom& BlockFreedom::operator=(BlockFreedom&&) noexcept = default;
BlockFreedom::~BlockFreedom() = default;

std::string BlockFreedom::Pieces::Refusal(std::int32_t piece, std::int64_t node,
                                          std::int32_t heights, std::int32_t dips) const {
  const Freedom f = freedom[static_cast<std::size_t>(piece)];
  std::string why = "位置データ " + std::to_string(heights) + " 個";
  if (f == Freedom::Plane && heights >= 3 && dips == 0) {
    why += "が一直線上にあり、面の傾きが決まりません";
  } else {
    why += "、傾斜データ " + std::to_string(dips) + " 個";
  }
  why += f == Freedom::Level ? "。位置データが 1 個以上必要"
         : f == Freedom::Plane ? "。一直線上にない位置データ 3 個か、位置データと傾斜データが "
                                 "1 個ずつ必要"
                               : "。断層で細く区切られていて、一直線上にない位置データがさらに必要";
  if (!faults) {
    return "格子の内側（境界から 1 格子より内）にあるデータでは高さが決まりません（" + why +
           "）：データを足すか、m1 を 0 より大きくしてください";
  }
  return "断層で区切られた区画（" + Where(grid, node) + " の格子点を含む " +
         std::to_string(size[static_cast<std::size_t>(piece)]) +
         " 点）のデータでは高さが決まりません（" + why + "）：断層線か格子の範囲を見直してください";
}

Result<WeakTies> BlockFreedom::Settle(const std::vector<DataRow>& rows, const NodeRange& requested,
                                      double level) const {
  const Pieces& p = *p_;
  if (p.m1 == 0 && p.m2 == 0) {
    return Failure{
        "データと平滑化の重みでは高さの決まらない格子点があります（m1 = m2 = 0）：m1 か m2 "
        "を 0 より大きくしてください"};
  }
  const auto n = static_cast<std::size_t>(p.count);
  std::vector<Gram> grams(n);
  std::vector<std::int32_t> heights(n, 0), dipRows(n, 0);
  std::vector<double> heightSum(n, 0.0);
  for (std::size_t b = 0; b < n; ++b) {
    const Freedom f = p.freedom[b];
    grams[b].n = f == Freedom::Level   ? 1
                 : f == Freedom::Plane ? 3
                                       : p.general.at(static_cast<std::int32_t>(b)).params;
    const auto dimension = static_cast<std::size_t>(grams[b].n);
    grams[b].g.assign(dimension * dimension, 0.0);
    if (f == Freedom::General) {
      for (const auto& c : p.general.at(static_cast<std::int32_t>(b)).constraints) {
        grams[b].Add(c);
      }
    }
  }
  for (const DataRow& d : rows) {
    std::int32_t piece = 0;
    const std::vector<double> row = p.RowIn(d, piece);
    if (row.empty()) continue;
    const auto b = static_cast<std::size_t>(piece);
    grams[b].Add(row);
    if (d.height) {
      ++heights[b];
      heightSum[b] += d.target;
    } else {
      ++dipRows[b];
    }
  }
  std::vector<std::uint8_t> loose(n, 0);
  bool any = false;
  for (std::size_t b = 0; b < n; ++b) {
    const bool overflow =
        p.freedom[b] == Freedom::General && p.general.at(static_cast<std::int32_t>(b)).overflow;
    loose[b] = overflow || !grams[b].Fixes() ? 1 : 0;
    any = any || loose[b] != 0;
  }
  WeakTies ties;
  if (!any) return ties;

  // A requested node of each free piece, the first in the grid's order.
  std::vector<std::int64_t> asked(n, -1);
  for (std::int32_t i = requested.i0; i <= requested.i1; ++i) {
    for (std::int32_t j = requested.j0; j <= requested.j1; ++j) {
      const std::int64_t node = p.grid.Unknown(i, j);
      const auto b = static_cast<std::size_t>(p.BlockOf(node));
      if (loose[b] != 0 && asked[b] < 0) asked[b] = node;
    }
  }
  for (std::size_t b = 0; b < n; ++b) {
    if (loose[b] == 0 || asked[b] < 0 || p.size[b] <= kTiedBlockNodes) continue;
    return Failure{p.Refusal(static_cast<std::int32_t>(b), asked[b], heights[b], dipRows[b] / 2)};
  }
  for (std::size_t b = 0; b < n; ++b) {
    if (loose[b] == 0) continue;
    if (asked[b] < 0) {
      ++ties.pinnedBlocks;
    } else {
      ++ties.tiedBlocks;
    }
  }
  for (std::int64_t node = 0; node < p.grid.NodeCount(); ++node) {
    const auto b = static_cast<std::size_t>(p.BlockOf(node));
    if (loose[b] == 0) continue;
    if (asked[b] >= 0) {
      ties.tied.push_back(node);
    } else {
      ties.pinned.push_back(node);
      ties.pinLevel.push_back(heights[b] > 0 ? heightSum[b] / heights[b] : level);
    }
  }
  return ties;
}

PassRows DataRowsOfPass(const EstimationGrid& grid, const PreparedData& data,
                        const NodeArray<double>& previous, const FaultCuts* faults) {
  PassRows out;
  for (std::int32_t k = 0; k < data.Nh(); ++k) {
    const std::optional<SeenHeight> seen = LocateHeight(grid, faults, data.XH[k], data.YH[k]);
    if (!seen) continue;
    ++out.nH;
    const double r = ApplyStencil(seen->stencil, seen->at.ic, seen->at.jc, previous) - data.ZH[k];
    if (KeepsHeight(data.LH[k], r)) {
      out.rows.push_back({seen->at.ic, seen->at.jc, seen->stencil, true, data.ZH[k]});
    }
  }
  for (std::int32_t k = 0; k < data.Nd(); ++k) {
    const std::optional<SeenDip> seen = LocateDip(grid, faults, data.XD[k], data.YD[k]);
    if (!seen) continue;
    ++out.nD;
    out.rows.push_back({seen->at.ic, seen->at.jc, seen->slopeX, false, 0});
    out.rows.push_back({seen->at.ic, seen->at.jc, seen->slopeY, false, 0});
  }
  return out;
}

}  // namespace kessadon
