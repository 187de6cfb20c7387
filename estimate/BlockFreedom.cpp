#include "BlockFreedom.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <string>

#include "PieceFreedom.h"
#include "SeenStencils.h"
#include "io/NumberText.h"

namespace kessadon {
namespace {

// The sum of the outer products of unit rows, and whether they fix all its
// dimensions: no direction is left below kLineTolerance^2 / 4 of the most
// fixed one (three heights, the middle one off the line of the others by
// that share of the piece's half size, just fix a tilt). Judged by a
// Cholesky factorisation that takes the largest diagonal left first.
struct Gram {
  std::size_t n = 0;
  std::vector<double> g;

  void Add(const std::vector<double>& row) {
    std::vector<std::size_t> nonzero;
    double norm = 0;
    for (std::size_t k = 0; k < row.size(); ++k) {
      if (row[k] == 0) continue;
      nonzero.push_back(k);
      norm += row[k] * row[k];
    }
    if (!(norm > 0)) return;
    for (const std::size_t r : nonzero) {
      for (const std::size_t c : nonzero) g[r * n + c] += row[r] * row[c] / norm;
    }
  }

  // Unit directions it leaves free, by Jacobi's rotations.
  std::vector<std::vector<double>> FreeDirections() const;

  bool Fixes() const {
    std::vector<double> a = g;
    std::vector<std::size_t> left(n);
    for (std::size_t k = 0; k < n; ++k) left[k] = k;
    double first = 0;
    for (std::size_t step = 0; step < n; ++step) {
      std::size_t best = step;
      for (std::size_t k = step; k < n; ++k) {
        if (a[left[k] * n + left[k]] > a[left[best] * n + left[best]]) best = k;
      }
      std::swap(left[step], left[best]);
      const std::size_t p = left[step];
      const double pivot = a[p * n + p];
      if (step == 0) first = pivot;
      if (!(pivot > 0.25 * kLineTolerance * kLineTolerance * first)) return false;
      for (std::size_t r = step + 1; r < n; ++r) {
        const std::size_t q = left[r];
        const double f = a[q * n + p] / pivot;
        if (f == 0) continue;
        for (std::size_t c = step + 1; c < n; ++c) a[q * n + left[c]] -= f * a[p * n + left[c]];
      }
    }
    return true;
  }
};

// The free directions are found only among this many values; a piece more
// free than that counts as moved whole.
constexpr std::size_t kMaxEigenParams = 200;

std::vector<std::vector<double>> Gram::FreeDirections() const {
  std::vector<double> a = g, v(n * n, 0.0);
  for (std::size_t k = 0; k < n; ++k) v[k * n + k] = 1;
  for (int sweep = 0; sweep < 60; ++sweep) {
    double off = 0, diagonal = 0;
    for (std::size_t r = 0; r < n; ++r) {
      diagonal += a[r * n + r] * a[r * n + r];
      for (std::size_t c = r + 1; c < n; ++c) off += a[r * n + c] * a[r * n + c];
    }
    if (off <= 1e-30 * diagonal) break;
    for (std::size_t p = 0; p < n; ++p) {
      for (std::size_t q = p + 1; q < n; ++q) {
        const double apq = a[p * n + q];
        if (apq == 0) continue;
        const double theta = (a[q * n + q] - a[p * n + p]) / (2 * apq);
        const double t = (theta >= 0 ? 1 : -1) / (std::abs(theta) + std::sqrt(theta * theta + 1));
        const double cs = 1 / std::sqrt(t * t + 1), sn = t * cs;
        for (std::size_t k = 0; k < n; ++k) {
          const double kp = a[k * n + p], kq = a[k * n + q];
          a[k * n + p] = cs * kp - sn * kq;
          a[k * n + q] = sn * kp + cs * kq;
        }
        for (std::size_t k = 0; k < n; ++k) {
          const double pk = a[p * n + k], qk = a[q * n + k];
          a[p * n + k] = cs * pk - sn * qk;
          a[q * n + k] = sn * pk + cs * qk;
          const double vp = v[k * n + p], vq = v[k * n + q];
          v[k * n + p] = cs * vp - sn * vq;
          v[k * n + q] = sn * vp + cs * vq;
        }
      }
    }
  }
  double high = 0;
  for (std::size_t k = 0; k < n; ++k) high = std::max(high, a[k * n + k]);
  std::vector<std::vector<double>> free;
  for (std::size_t k = 0; k < n; ++k) {
    if (a[k * n + k] > 0.25 * kLineTolerance * kLineTolerance * high) continue;
    std::vector<double> direction(n);
    for (std::size_t r = 0; r < n; ++r) direction[r] = v[r * n + k];
    free.push_back(std::move(direction));
  }
  return free;
}

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
  PieceFreedom freedom;

  Pieces(const EstimationGrid& g, const FaultCuts* cuts, double slope, double curvature)
      : grid(g),
        m1(slope),
        m2(curvature),
        faults(cuts != nullptr && cuts->Any()),
        freedom(g, cuts, slope, curvature) {}

  // The row of data row `d` in the free values of its piece (the piece of
  // the node it weighs most); empty when it weighs none or the piece is too
  // free to reckon with.
  std::vector<double> RowIn(const DataRow& d, std::int32_t& piece) const;
  Judged Judge(const std::vector<DataRow>& rows) const;
  std::vector<std::int64_t> Moved(std::int32_t piece, const Gram& gram,
                                  const std::vector<std::int64_t>& nodes) const;
  // The refusal of a free piece of `size` nodes, naming requested node `node`.
  std::string Refusal(std::int32_t piece, std::int64_t node, std::int64_t size,
                      std::int32_t heights, std::int32_t dips) const;
};

std::vector<double> BlockFreedom::Pieces::RowIn(const DataRow& d, std::int32_t& piece) const {
  double most = 0;
  for (int a = 0; a < 3; ++a) {
    for (int b = 0; b < 3; ++b) {
      if (std::abs(d.stencil.W[a][b]) > most) {
        most = std::abs(d.stencil.W[a][b]);
        piece = freedom.PieceOf(grid.Unknown(d.ic + a - 1, d.jc + b - 1));
      }
    }
  }
  if (most == 0 || freedom.Params(piece) == 0) return {};
  std::vector<double> row(static_cast<std::size_t>(freedom.Params(piece)), 0.0);
  for (int a = 0; a < 3; ++a) {
    for (int b = 0; b < 3; ++b) {
      const std::int64_t node = grid.Unknown(d.ic + a - 1, d.jc + b - 1);
      if (d.stencil.W[a][b] != 0 && freedom.PieceOf(node) == piece) {
        freedom.AddNode(node, d.stencil.W[a][b], row);
      }
    }
  }
  return row;
}

BlockFreedom::BlockFreedom(const EstimationGrid& grid, const FaultCuts* faults, double m1,
                           double m2)
    : p_(std::make_unique<Pieces>(grid, faults, m1, m2)) {}

BlockFreedom::BlockFreedom(BlockFreedom&&) noexcept = default;
BlockFreedom& BlockFreedom::operator=(BlockFreedom&&) noexcept = default;
BlockFreedom::~BlockFreedom() = default;

std::string BlockFreedom::Pieces::Refusal(std::int32_t piece, std::int64_t node, std::int64_t size,
                                          std::int32_t heights, std::int32_t dips) const {
  const bool plane = m1 == 0 && freedom.Plane(piece);
  std::string why = "位置データ " + std::to_string(heights) + " 個";
  if (plane && heights >= 3 && dips == 0) {
    why += "が一直線上にあり、面の傾きが決まりません";
  } else {
    why += "、傾斜データ " + std::to_string(dips) + " 個";
  }
  why += m1 != 0 ? "。位置データが 1 個以上必要"
         : plane ? "。一直線上にない位置データ 3 個か、位置データと傾斜データが 1 個ずつ必要"
                 : "。断層で細く区切られていて、位置データがさらに必要";
  if (!faults) {
    return "格子の内側（境界から 1 格子より内）にあるデータでは高さが決まりません（" + why +
           "）：データを足すか、m1 を 0 より大きくしてください";
  }
  return "断層で区切られた区画（" + Where(grid, node) + " の格子点を含む " + std::to_string(size) +
         " 点）のデータでは高さが決まりません（" + why + "）：断層線か格子の範囲を見直してください";
}

// The data of each piece, as its free values see them.
struct BlockFreedom::Judged {
  std::vector<Gram> grams;
  std::vector<std::int32_t> heights, dipRows;
  std::vector<double> heightSum;
};

BlockFreedom::Judged BlockFreedom::Pieces::Judge(const std::vector<DataRow>& rows) const {
  const auto n = static_cast<std::size_t>(freedom.Pieces());
  Judged out;
  out.grams.resize(n);
  out.heights.assign(n, 0);
  out.dipRows.assign(n, 0);
  out.heightSum.assign(n, 0.0);
  for (std::size_t b = 0; b < n; ++b) {
    Gram& g = out.grams[b];
    g.n = static_cast<std::size_t>(freedom.Params(static_cast<std::int32_t>(b)));
    g.g.assign(g.n * g.n, 0.0);
    if (g.n == 0) continue;
    for (const std::vector<double>& c : freedom.Constraints(static_cast<std::int32_t>(b))) g.Add(c);
  }
  for (const DataRow& d : rows) {
    std::int32_t piece = 0;
    const std::vector<double> row = RowIn(d, piece);
    const auto b = static_cast<std::size_t>(piece);
    if (d.height) {
      ++out.heights[b];
      out.heightSum[b] += d.target;
    } else {
      ++out.dipRows[b];
    }
    if (!row.empty()) out.grams[b].Add(row);
  }
  return out;
}

// The nodes of piece b that what its rows and data leave free moves: every
// node of a level, of a plane or of a piece too free to reckon with; in any
// other, those whose height changes along a free direction.
std::vector<std::int64_t> BlockFreedom::Pieces::Moved(
    std::int32_t piece, const Gram& gram, const std::vector<std::int64_t>& nodes) const {
  if (m1 != 0 || freedom.Plane(piece) || gram.n == 0 || gram.n > kMaxEigenParams) return nodes;
  const std::vector<std::vector<double>> free = gram.FreeDirections();
  std::vector<std::int64_t> moved;
  std::vector<double> row(gram.n);
  for (const std::int64_t node : nodes) {
    std::fill(row.begin(), row.end(), 0.0);
    freedom.AddNode(node, 1, row);
    bool moves = false;
    for (const std::vector<double>& v : free) {
      double dot = 0;
      for (std::size_t k = 0; k < gram.n; ++k) dot += row[k] * v[k];
      moves = moves || std::abs(dot) > 1e-8;
    }
    if (moves) moved.push_back(node);
  }
  return moved;
}

Result<WeakTies> BlockFreedom::Settle(const std::vector<DataRow>& rows, const NodeRange& requested,
                                      double level) const {
  const Pieces& p = *p_;
  if (p.m1 == 0 && p.m2 == 0) {
    return Failure{
        "データと平滑化の重みでは高さの決まらない格子点があります（m1 = m2 = 0）：m1 か m2 "
        "を 0 より大きくしてください"};
  }
  const PieceFreedom& f = p.freedom;
  const Judged judged = p.Judge(rows);
  // The nodes of each piece the data leave free, gathered in one pass.
  std::map<std::int32_t, std::vector<std::int64_t>> loose;
  for (std::size_t b = 0; b < judged.grams.size(); ++b) {
    const Gram& g = judged.grams[b];
    if (g.n == 0 || !g.Fixes()) loose[static_cast<std::int32_t>(b)];
  }
  WeakTies ties;
  if (loose.empty()) return ties;
  for (std::int64_t node = 0; node < p.grid.NodeCount(); ++node) {
    auto it = loose.find(f.PieceOf(node));
    if (it != loose.end()) it->second.push_back(node);
  }
  for (auto& [piece, nodes] : loose) {
    const auto b = static_cast<std::size_t>(piece);
    std::vector<std::int64_t> moved = p.Moved(piece, judged.grams[b], nodes);
    const auto asked = std::find_if(moved.begin(), moved.end(), [&](std::int64_t node) {
      return requested.Contains(static_cast<std::int32_t>(node / p.grid.Ny + 1),
                                static_cast<std::int32_t>(node % p.grid.Ny + 1));
    });
    if (asked == moved.end()) {
      ++ties.pinnedBlocks;
      const double held = judged.heights[b] > 0 ? judged.heightSum[b] / judged.heights[b] : level;
      for (const std::int64_t node : moved) {
        ties.pinned.push_back(node);
        ties.pinLevel.push_back(held);
      }
    } else if (static_cast<std::int64_t>(moved.size()) <= kTiedBlockNodes) {
      ++ties.tiedBlocks;
      ties.tied.insert(ties.tied.end(), moved.begin(), moved.end());
    } else {
      return Failure{p.Refusal(piece, *asked, static_cast<std::int64_t>(nodes.size()),
                               judged.heights[b], judged.dipRows[b] / 2)};
    }
  }
  std::sort(ties.tied.begin(), ties.tied.end());
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

Result<WeakTies> SettlePass(const BlockFreedom& freedom, const EstimationGrid& grid,
                            const PreparedData& data, const NodeArray<double>& previous,
                            const FaultCuts* faults, const NodeRange& requested) {
  const PassRows rows = DataRowsOfPass(grid, data, previous, faults);
  if (!(rows.nH >= 1 && rows.nH + 2 * rows.nD >= 3)) return WeakTies();
  double sum = 0;
  std::int32_t heights = 0;
  for (const DataRow& row : rows.rows) {
    if (!row.height) continue;
    sum += row.target;
    ++heights;
  }
  return freedom.Settle(rows.rows, requested, heights > 0 ? sum / heights : 0);
}

}  // namespace kessadon
