#include "PieceFreedom.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

namespace kessadon {
namespace {

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
  template <class F>
  void ForEachAt(std::int64_t node, F&& f) const {
    ForEachAt(static_cast<std::int32_t>(node / g_.Ny + 1),
              static_cast<std::int32_t>(node % g_.Ny + 1), f);
  }
  // Calls f(row) for every row of the grid.
  template <class F>
  void ForEach(F&& f) const {
    SmoothRow row;
    for (std::int32_t i = 1; i <= g_.Nx; ++i) {
      for (std::int32_t j = 1; j <= g_.Ny; ++j) {
        if (AlongX(i, j, row)) f(row);
        if (AlongY(i, j, row)) f(row);
        if (Cross(i, j, row)) f(row);
      }
    }
  }

  bool Cross(std::int32_t i, std::int32_t j, SmoothRow& row) const {
    if (i < 1 || i > g_.Nx - 1 || j < 1 || j > g_.Ny - 1) return false;
    if (CutX(i, j) || CutX(i, j + 1) || CutY(i, j) || CutY(i + 1, j)) return false;
    Set(row, 2, i, j, {{i, j, 1}, {i, j + 1, -1}, {i + 1, j, -1}, {i + 1, j + 1, 1}});
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
           std::initializer_list<Term> terms) const {
    row.key = type * g_.NodeCount() + g_.Unknown(i, j);
    row.count = 0;
    for (const Term& t : terms) {
      row.node[row.count] = g_.Unknown(t.i, t.j);
      row.c[row.count++] = t.c;
    }
  }
  bool AlongX(std::int32_t i, std::int32_t j, SmoothRow& row) const {
    if (i < 2 || i > g_.Nx - 1 || CutX(i - 1, j) || CutX(i, j)) return false;
    Set(row, 0, i, j, {{i - 1, j, 1}, {i, j, -2}, {i + 1, j, 1}});
    return true;
  }
  bool AlongY(std::int32_t i, std::int32_t j, SmoothRow& row) const {
    if (j < 2 || j > g_.Ny - 1 || CutY(i, j - 1) || CutY(i, j)) return false;
    Set(row, 1, i, j, {{i, j - 1, 1}, {i, j, -2}, {i, j + 1, 1}});
    return true;
  }

  const EstimationGrid& g_;
  const FaultCuts* f_;
};

enum class Kind : std::uint8_t { Level, Plane, General };

// A region's plane about its centre, in its half size.
struct Frame {
  double ci = 0, cj = 0, half = 0.5;
  int offset = 0;  // of its three free values among its piece's
};

// The smallest box of nodes, for a frame.
struct Box {
  std::int32_t lowI = INT32_MAX, highI = 0, lowJ = INT32_MAX, highJ = 0;
  void Add(std::int32_t i, std::int32_t j) {
    lowI = std::min(lowI, i);
    highI = std::max(highI, i);
    lowJ = std::min(lowJ, j);
    highJ = std::max(highJ, j);
  }
  Frame ToFrame() const {
    Frame f;
    f.ci = 0.5 * (lowI + highI);
    f.cj = 0.5 * (lowJ + highJ);
    f.half = std::max(0.5 * std::max(highI - lowI, highJ - lowJ), 0.5);
    return f;
  }
};

}  // namespace

struct PieceFreedom::State {
  EstimationGrid grid;
  std::vector<std::int32_t> block;  // by node; empty when the whole grid is one piece
  std::int32_t count = 1;
  std::vector<std::int64_t> size;
  std::vector<Kind> kind;
  std::vector<int> params;
  std::vector<Frame> frame;  // by piece, for a plane piece
  std::vector<std::vector<std::vector<double>>> constraints;
  std::vector<std::int32_t> region;  // by node, -1 when loose; empty without regions
  std::vector<Frame> regions;
  std::unordered_map<std::int64_t, std::vector<double>> loose;  // by node
  std::vector<std::uint8_t> overflow;  // by piece: too free to carry further

  std::int32_t PieceOf(std::int64_t node) const {
    return block.empty() ? 0 : block[static_cast<std::size_t>(node)];
  }
  std::int32_t RegionOf(std::int64_t node) const {
    return region.empty() ? -1 : region[static_cast<std::size_t>(node)];
  }
  bool Known(std::int64_t node) const { return RegionOf(node) >= 0 || loose.count(node) != 0; }
  void Add(std::int64_t node, double w, std::vector<double>& row) const;
  void Measure();
  void LabelRegions(const CurvatureRows& rows);
  void CarryLoose(const CurvatureRows& rows);
};

void PieceFreedom::State::Add(std::int64_t node, double w, std::vector<double>& row) const {
  const auto piece = static_cast<std::size_t>(PieceOf(node));
  if (kind[piece] == Kind::Level) {
    row[0] += w;
    return;
  }
  const std::int32_t r = RegionOf(node);
  if (r >= 0 || kind[piece] == Kind::Plane) {
    const Frame& f = r >= 0 ? regions[static_cast<std::size_t>(r)] : frame[piece];
    const std::int64_t column = node / grid.Ny, line = node % grid.Ny;
    const double i = static_cast<double>(column + 1), j = static_cast<double>(line + 1);
    row[static_cast<std::size_t>(f.offset)] += w;
    row[static_cast<std::size_t>(f.offset) + 1] += w * (i - f.ci) / f.half;
    row[static_cast<std::size_t>(f.offset) + 2] += w * (j - f.cj) / f.half;
    return;
  }
  const std::vector<double>& v = loose.at(node);
  for (std::size_t k = 0; k < v.size(); ++k) row[k] += w * v[k];
}

// Each piece's node count and the frame of its whole box.
void PieceFreedom::State::Measure() {
  const auto n = static_cast<std::size_t>(count);
  size.assign(n, 0);
  std::vector<Box> boxes(n);
  for (std::int32_t i = 1; i <= grid.Nx; ++i) {
    for (std::int32_t j = 1; j <= grid.Ny; ++j) {
      const auto b = static_cast<std::size_t>(PieceOf(grid.Unknown(i, j)));
      ++size[b];
      boxes[b].Add(i, j);
    }
  }
  frame.resize(n);
  for (std::size_t b = 0; b < n; ++b) frame[b] = boxes[b].ToFrame();
}

// The rigid regions: from each cell whose cross row is kept and whose nodes
// no region holds yet, every row whose other nodes the region holds adds the
// last one.
void PieceFreedom::State::LabelRegions(const CurvatureRows& rows) {
  region.assign(static_cast<std::size_t>(grid.NodeCount()), -1);
  std::vector<std::int32_t> queue;
  std::vector<Box> boxes;
  for (std::int32_t i = 1; i < grid.Nx; ++i) {
    for (std::int32_t j = 1; j < grid.Ny; ++j) {
      SmoothRow cell;
      if (!rows.Cross(i, j, cell)) continue;
      bool free = true;
      for (int k = 0; k < 4; ++k) free = free && RegionOf(cell.node[k]) < 0;
      if (!free) continue;
      const auto r = static_cast<std::int32_t>(boxes.size());
      boxes.emplace_back();
      auto take = [&](std::int64_t n) {
        region[static_cast<std::size_t>(n)] = r;
        boxes.back().Add(static_cast<std::int32_t>(n / grid.Ny + 1),
                         static_cast<std::int32_t>(n % grid.Ny + 1));
        queue.push_back(static_cast<std::int32_t>(n));
      };
      for (int k = 0; k < 4; ++k) take(cell.node[k]);
      while (!queue.empty()) {
        const std::int64_t n = queue.back();
        queue.pop_back();
        rows.ForEachAt(n, [&](const SmoothRow& row) {
          int outside = -1, outsiders = 0;
          for (int k = 0; k < row.count; ++k) {
            if (RegionOf(row.node[k]) != r) {
              outside = k;
              ++outsiders;
            }
          }
          if (outsiders == 1 && RegionOf(row.node[outside]) < 0) take(row.node[outside]);
        });
      }
    }
  }
  regions.resize(boxes.size());
  for (std::size_t r = 0; r < boxes.size(); ++r) regions[r] = boxes[r].ToFrame();
}

// The loose nodes of the pieces that are not one region: each carried from
// the nodes its rows already express, or given a free value of its own;
// every row that is then fully expressed, and every row joining two
// regions, is a constraint of its piece.
void PieceFreedom::State::CarryLoose(const CurvatureRows& rows) {
  std::vector<std::int64_t> queue;
  std::unordered_set<std::int64_t> used;
  auto express = [&](const SmoothRow& row, int skip) {
    const auto piece = static_cast<std::size_t>(PieceOf(row.node[0]));
    std::vector<double> sum(static_cast<std::size_t>(params[piece]), 0.0);
    for (int k = 0; k < row.count; ++k) {
      if (k != skip) Add(row.node[k], row.c[k], sum);
    }
    return sum;
  };
  auto visit = [&](const SmoothRow& row) {
    if (used.count(row.key) != 0 || overflow[static_cast<std::size_t>(PieceOf(row.node[0]))] != 0) {
      return;
    }
    int unknown = -1, unknowns = 0;
    for (int k = 0; k < row.count; ++k) {
      if (!Known(row.node[k])) {
        unknown = k;
        ++unknowns;
      }
    }
    if (unknowns > 1) return;
    used.insert(row.key);
    std::vector<double> sum = express(row, unknown);
    const auto piece = static_cast<std::size_t>(PieceOf(row.node[0]));
    if (unknowns == 0) {
      constraints[piece].push_back(std::move(sum));
      return;
    }
    for (double& v : sum) v /= -row.c[unknown];
    loose[row.node[unknown]] = std::move(sum);
    queue.push_back(row.node[unknown]);
  };
  auto drain = [&] {
    while (!queue.empty()) {
      const std::int64_t n = queue.back();
      queue.pop_back();
      rows.ForEachAt(n, visit);
    }
  };
  std::vector<std::int64_t> looseNodes;
  for (std::int64_t n = 0; n < grid.NodeCount(); ++n) {
    if (kind[static_cast<std::size_t>(PieceOf(n))] == Kind::General && RegionOf(n) < 0) {
      looseNodes.push_back(n);
    }
  }
  // First what the regions carry, then a free value at a time.
  queue = looseNodes;
  drain();
  for (const std::int64_t n : looseNodes) {
    const auto piece = static_cast<std::size_t>(PieceOf(n));
    if (Known(n) || overflow[piece] != 0) continue;
    int& p = params[piece];
    if (p >= kMaxPieceParams) {
      overflow[piece] = 1;
      continue;
    }
    std::vector<double> unit(static_cast<std::size_t>(p) + 1, 0.0);
    unit.back() = 1;
    ++p;
    loose[n] = std::move(unit);
    queue.push_back(n);
    drain();
  }
  // Rows between regions that no loose node took part in.
  rows.ForEach([&](const SmoothRow& row) {
    if (kind[static_cast<std::size_t>(PieceOf(row.node[0]))] != Kind::General) return;
    bool mixed = false;
    for (int k = 0; k < row.count; ++k) {
      if (RegionOf(row.node[k]) < 0) return;
      mixed = mixed || RegionOf(row.node[k]) != RegionOf(row.node[0]);
    }
    if (mixed) visit(row);
  });
}

PieceFreedom::PieceFreedom(const EstimationGrid& grid, const FaultCuts* faults, double m1,
                           double m2)
    : s_(std::make_unique<State>()) {
  State& s = *s_;
  s.grid = grid;
  const bool cut = faults != nullptr && faults->Any();
  if (cut) {
    s.block = faults->BlockOfNodes();
    s.count = *std::max_element(s.block.begin(), s.block.end()) + 1;
  }
  s.Measure();
  const auto n = static_cast<std::size_t>(s.count);
  s.constraints.resize(n);
  if (m1 != 0) {
    s.kind.assign(n, Kind::Level);
    s.params.assign(n, 1);
    return;
  }
  // Without faults the whole grid, at least 2 x 2 nodes, is held to a plane.
  s.kind.assign(n, Kind::Plane);
  s.params.assign(n, 3);
  if (!cut || m2 == 0) return;
  const CurvatureRows rows(grid, faults);
  s.LabelRegions(rows);
  // A piece that is one region keeps its plane; any other counts three
  // free values a region, then its loose nodes'.
  std::vector<int> regionsIn(n, 0);
  for (Frame& f : s.regions) f.offset = -1;
  std::vector<std::uint8_t> loose(n, 0);
  for (std::int64_t node = 0; node < grid.NodeCount(); ++node) {
    const auto piece = static_cast<std::size_t>(s.PieceOf(node));
    const std::int32_t r = s.RegionOf(node);
    if (r < 0) {
      loose[piece] = 1;
    } else if (s.regions[static_cast<std::size_t>(r)].offset < 0) {
      s.regions[static_cast<std::size_t>(r)].offset = 3 * regionsIn[piece]++;
    }
  }
  for (std::size_t b = 0; b < n; ++b) {
    if (regionsIn[b] == 1 && loose[b] == 0) continue;
    s.kind[b] = Kind::General;
    s.params[b] = 3 * regionsIn[b];
  }
  s.overflow.assign(n, 0);
  for (std::size_t b = 0; b < n; ++b) {
    if (s.params[b] > kMaxPieceParams) s.overflow[b] = 1;
  }
  s.CarryLoose(rows);
  for (std::size_t b = 0; b < n; ++b) {
    if (s.overflow[b] != 0) s.params[b] = 0;
  }
}

PieceFreedom::PieceFreedom(PieceFreedom&&) noexcept = default;
PieceFreedom& PieceFreedom::operator=(PieceFreedom&&) noexcept = default;
PieceFreedom::~PieceFreedom() = default;

std::int32_t PieceFreedom::Pieces() const { return s_->count; }
std::int32_t PieceFreedom::PieceOf(std::int64_t node) const { return s_->PieceOf(node); }
std::int64_t PieceFreedom::Size(std::int32_t piece) const {
  return s_->size[static_cast<std::size_t>(piece)];
}
int PieceFreedom::Params(std::int32_t piece) const {
  return s_->params[static_cast<std::size_t>(piece)];
}
bool PieceFreedom::Plane(std::int32_t piece) const {
  return s_->kind[static_cast<std::size_t>(piece)] == Kind::Plane;
}
const std::vector<std::vector<double>>& PieceFreedom::Constraints(std::int32_t piece) const {
  return s_->constraints[static_cast<std::size_t>(piece)];
}
void PieceFreedom::AddNode(std::int64_t node, double w, std::vector<double>& row) const {
  s_->Add(node, w, row);
}

}  // namespace kessadon
