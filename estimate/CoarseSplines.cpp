#include "CoarseSplines.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <utility>
#include <vector>

namespace kessadon {

CoarseSplines::Axis CoarseSplines::MakeAxis(std::int32_t n, std::int32_t k) {
  Axis axis;
  // Fewer than three nodes cannot carry a quadratic piece of two cells.
  axis.k = n < 3 ? 1 : k;
  if (axis.k == 1) {
    axis.places = n;
    for (std::int32_t f = 0; f < n; ++f) {
      axis.first.push_back(f);
      axis.w.insert(axis.w.end(), {1.0, 0.0, 0.0});
      axis.low.push_back(f + 1);
      axis.high.push_back(f + 1);
    }
    return axis;
  }
  // Cells of at least k nodes, so at least two: every function then has a
  // node of its own, and the functions stay independent.
  const std::int32_t cells = std::max(1, (n - 1) / axis.k);
  std::vector<double> t;  // the knots, the border ones tripled
  for (std::int32_t q = 0; q <= cells; ++q) {
    const double knot = std::round(double(q) * (n - 1) / cells);
    t.insert(t.end(), q == 0 || q == cells ? 3 : 1, knot);
  }
  axis.places = cells + 2;
  axis.low.assign(static_cast<std::size_t>(axis.places), n + 1);
  axis.high.assign(static_cast<std::size_t>(axis.places), 0);
  std::int32_t span = 2;  // t[span] <= f < t[span + 1], the last cell keeping its end
  for (std::int32_t f = 0; f < n; ++f) {
    while (span < cells + 1 && f >= t[static_cast<std::size_t>(span) + 1]) ++span;
    const double x = f;
    // de Boor's triangle for the three B-splines nonzero on the cell.
    double b[3] = {1, 0, 0}, left[3] = {}, right[3] = {};
    for (int j = 1; j <= 2; ++j) {
      left[j] = x - t[static_cast<std::size_t>(span) + 1 - static_cast<std::size_t>(j)];
      right[j] = t[static_cast<std::size_t>(span) + static_cast<std::size_t>(j)] - x;
      double saved = 0;
      for (int r = 0; r < j; ++r) {
        const double temp = b[r] / (right[r + 1] + left[j - r]);
        b[r] = saved + right[r + 1] * temp;
        saved = left[j - r] * temp;
      }
      b[j] = saved;
    }
    axis.first.push_back(span - 2);
    axis.w.insert(axis.w.end(), {b[0], b[1], b[2]});
    for (int a = 0; a < 3; ++a) {
      if (b[a] == 0) continue;
      const auto p = static_cast<std::size_t>(span) - 2 + static_cast<std::size_t>(a);
      axis.low[p] = std::min(axis.low[p], f + 1);
      axis.high[p] = std::max(axis.high[p], f + 1);
    }
  }
  return axis;
}

double CoarseSplines::Axis::WeightAt(std::int32_t node, std::int32_t place) const {
  const std::int32_t offset = place - first[static_cast<std::size_t>(node - 1)];
  if (offset < 0 || offset > 2) return 0;
  return w[3 * static_cast<std::size_t>(node - 1) + static_cast<std::size_t>(offset)];
}

CoarseSplines::CoarseSplines(const EstimationGrid& grid, std::int32_t kx, std::int32_t ky,
                             const FaultCuts* faults, std::int64_t leastPiece)
    : x_(MakeAxis(grid.Nx, kx)), y_(MakeAxis(grid.Ny, ky)), leastPiece_(leastPiece) {
  const std::int64_t places = std::int64_t{x_.places} * y_.places;
  firstId_.assign(static_cast<std::size_t>(places + 1), 0);
  for (std::int64_t p = 0; p < places; ++p) firstId_[static_cast<std::size_t>(p + 1)] = p + 1;
  if (faults != nullptr && faults->Any()) CutIntoPieces(grid, *faults);
}

int CoarseSplines::PieceAt(std::int64_t place, std::int32_t px, std::int32_t py, std::int32_t i,
                           std::int32_t j) const {
  if (labelsAt_.empty() || labelsAt_[static_cast<std::size_t>(place)] < 0) {
    return firstId_[static_cast<std::size_t>(place + 1)] > firstId_[static_cast<std::size_t>(place)]
               ? 0
               : -1;
  }
  const std::int64_t height = HighJ(py) - LowJ(py) + 1;
  const std::int64_t at =
      labelsAt_[static_cast<std::size_t>(place)] + (i - LowI(px)) * height + (j - LowJ(py));
  return labels_[static_cast<std::size_t>(at)];
}

int CoarseSplines::At(std::int32_t i, std::int32_t j, Term* terms) const {
  int count = 0;
  const std::int32_t fx = FirstPlaceX(i), fy = FirstPlaceY(j);
  for (int a = 0; a < 3; ++a) {
    const double wx = x_.w[3 * static_cast<std::size_t>(i - 1) + static_cast<std::size_t>(a)];
    if (wx == 0) continue;
    for (int b = 0; b < 3; ++b) {
      const double wy = y_.w[3 * static_cast<std::size_t>(j - 1) + static_cast<std::size_t>(b)];
      if (wy == 0) continue;
      const std::int64_t place = Place(fx + a, fy + b);
      const int piece = PieceAt(place, fx + a, fy + b, i, j);
      if (piece < 0) continue;
      terms[count++] = {firstId_[static_cast<std::size_t>(place)] + piece, fx + a, fy + b, wx * wy};
    }
  }
  return count;
}

double CoarseSplines::Weight(std::int64_t id, std::int32_t px, std::int32_t py, std::int32_t i,
                             std::int32_t j) const {
  const double w = x_.WeightAt(i, px) * y_.WeightAt(j, py);
  if (w == 0) return 0;
  const std::int64_t place = Place(px, py);
  const int piece = PieceAt(place, px, py, i, j);
  return piece >= 0 && firstId_[static_cast<std::size_t>(place)] + piece == id ? w : 0;
}

namespace {

// Of the functions whose Gram matrix (over some nodes) is `g`, m by m by
// columns, the share of the last one's square that the others leave
// unexplained: Cholesky, passing over the functions the ones before
// already explain.
// A piece whose square the functions before it explain but for this share
// adds nothing they lack.
constexpr double kIndependent = 1e-6;

double LastPivotShare(std::vector<double>& g, int m) {
  const auto at = [&g, m](int r, int c) -> double& {
    return g[static_cast<std::size_t>(c) * static_cast<std::size_t>(m) +
             static_cast<std::size_t>(r)];
  };
  const double last = at(m - 1, m - 1);
  for (int k = 0; k < m; ++k) {
    const double original = at(k, k);
    for (int p = 0; p < k; ++p) at(k, k) -= at(k, p) * at(k, p);
    if (k == m - 1) break;
    if (!(at(k, k) > 1e-9 * original)) {
      for (int r = k; r < m; ++r) at(r, k) = 0;
      continue;
    }
    const double pivot = std::sqrt(at(k, k));
    for (int r = k + 1; r < m; ++r) {
      for (int p = 0; p < k; ++p) at(r, k) -= at(r, p) * at(k, p);
      at(r, k) /= pivot;
    }
  }
  return last > 0 ? at(m - 1, m - 1) / last : 0;
}

}  // namespace

// The places whose rectangle a cut link crosses get one function for each
// piece of it the cuts leave connected, but a piece of fewer nodes than
// leastPiece is dropped, and so is one that the functions before it already
// span on its own nodes (a thin sliver between faults meets more pieces than
// its few columns can tell apart): the local parts see those nodes instead.
void CoarseSplines::CutIntoPieces(const EstimationGrid& grid, const FaultCuts& faults) {
  const std::vector<std::uint8_t>& cutX = faults.CutXByNode();
  const std::vector<std::uint8_t>& cutY = faults.CutYByNode();
  const auto cut = [&](std::int32_t i, std::int32_t j, bool alongX) {
    const auto node = static_cast<std::size_t>(grid.Unknown(i, j));
    return (alongX ? cutX : cutY)[node] != 0;
  };
  labelsAt_.assign(firstId_.size() - 1, -1);
  std::vector<std::int64_t> counts(firstId_.size() - 1, 1);
  for (std::int32_t px = 0; px < x_.places; ++px) {
    for (std::int32_t py = 0; py < y_.places; ++py) {
      const std::int32_t i0 = LowI(px), i1 = HighI(px), j0 = LowJ(py), j1 = HighJ(py);
      bool crossed = false;
      for (std::int32_t i = i0; i <= i1 && !crossed; ++i) {
        for (std::int32_t j = j0; j <= j1 && !crossed; ++j) {
          crossed = (i < i1 && cut(i, j, true)) || (j < j1 && cut(i, j, false));
        }
      }
      if (!crossed) continue;
      const auto start = static_cast<std::int64_t>(labels_.size());
      labels_.resize(static_cast<std::size_t>(start + std::int64_t{i1 - i0 + 1} * (j1 - j0 + 1)));
      labelsAt_[static_cast<std::size_t>(Place(px, py))] = start;
      counts[static_cast<std::size_t>(Place(px, py))] = Flood(px, py, grid, faults);
    }
  }
  for (std::size_t p = 0; p < counts.size(); ++p) firstId_[p + 1] = firstId_[p] + counts[p];
  DropDependentPieces();
}

std::int64_t CoarseSplines::Flood(std::int32_t px, std::int32_t py, const EstimationGrid& grid,
                                  const FaultCuts& faults) {
  const auto cut = [&](std::int32_t i, std::int32_t j, bool alongX) {
    const auto node = static_cast<std::size_t>(grid.Unknown(i, j));
    return (alongX ? faults.CutXByNode() : faults.CutYByNode())[node] != 0;
  };
  const std::int32_t i0 = LowI(px), i1 = HighI(px), j0 = LowJ(py), j1 = HighJ(py);
  const std::int64_t start = labelsAt_[static_cast<std::size_t>(Place(px, py))];
  const auto label = [&](std::int32_t i, std::int32_t j) -> std::int16_t& {
    return labels_[static_cast<std::size_t>(start + std::int64_t{i - i0} * (j1 - j0 + 1) +
                                            (j - j0))];
  };
  for (std::int32_t i = i0; i <= i1; ++i) {
    for (std::int32_t j = j0; j <= j1; ++j) label(i, j) = -1;
  }
  std::vector<std::int32_t> sizes;
  std::deque<std::pair<std::int32_t, std::int32_t>> queue;
  for (std::int32_t i = i0; i <= i1; ++i) {
    for (std::int32_t j = j0; j <= j1; ++j) {
      if (label(i, j) >= 0) continue;
      const auto piece = static_cast<std::int16_t>(sizes.size());
      sizes.push_back(0);
      label(i, j) = piece;
      queue.emplace_back(i, j);
      while (!queue.empty()) {
        const auto [a, b] = queue.front();
        queue.pop_front();
        ++sizes.back();
        const auto visit = [&](std::int32_t p, std::int32_t q, bool open) {
          if (open && label(p, q) < 0) {
            label(p, q) = piece;
            queue.emplace_back(p, q);
          }
        };
        if (a < i1) visit(a + 1, b, !cut(a, b, true));
        if (a > i0) visit(a - 1, b, !cut(a - 1, b, true));
        if (b < j1) visit(a, b + 1, !cut(a, b, false));
        if (b > j0) visit(a, b - 1, !cut(a, b - 1, false));
      }
    }
  }
  std::vector<std::int16_t> kept(sizes.size(), -1);
  std::int16_t next = 0;
  for (std::size_t s = 0; s < sizes.size(); ++s) {
    if (sizes[s] >= leastPiece_) kept[s] = next++;
  }
  for (std::int32_t i = i0; i <= i1; ++i) {
    for (std::int32_t j = j0; j <= j1; ++j)
      label(i, j) = kept[static_cast<std::size_t>(label(i, j))];
  }
  return next;
}

// Whether piece `id` of place (px, py) adds to the span of the functions
// accepted before it, judged on its own nodes.
bool CoarseSplines::Adds(std::int64_t id, std::int32_t px, std::int32_t py,
                         const std::vector<std::uint8_t>& accepted) const {
  const int piece = static_cast<int>(id - FirstOf(px, py));
  // The functions met, the piece itself last, and at each node their weights.
  std::vector<std::int64_t> ids;
  std::vector<std::vector<std::pair<std::int64_t, double>>> nodes;
  for (std::int32_t i = LowI(px); i <= HighI(px); ++i) {
    for (std::int32_t j = LowJ(py); j <= HighJ(py); ++j) {
      if (PieceAt(Place(px, py), px, py, i, j) != piece) continue;
      Term terms[kMaxAt];
      const int count = At(i, j, terms);
      nodes.emplace_back();
      for (int t = 0; t < count; ++t) {
        const std::int64_t f = terms[t].id;
        if (f != id && accepted[static_cast<std::size_t>(f)] == 0) continue;
        nodes.back().emplace_back(f, terms[t].weight);
        if (f != id && std::find(ids.begin(), ids.end(), f) == ids.end()) ids.push_back(f);
      }
    }
  }
  ids.push_back(id);
  const auto m = static_cast<int>(ids.size());
  std::vector<double> gram(static_cast<std::size_t>(m) * m, 0.0);
  for (const auto& node : nodes) {
    for (const auto& [a, wa] : node) {
      const auto ia = std::find(ids.begin(), ids.end(), a) - ids.begin();
      for (const auto& [b, wb] : node) {
        const auto ib = std::find(ids.begin(), ids.end(), b) - ids.begin();
        gram[static_cast<std::size_t>(ib * m + ia)] += wa * wb;
      }
    }
  }
  return LastPivotShare(gram, m) > kIndependent;
}

void CoarseSplines::DropDependentPieces() {
  std::vector<std::uint8_t> accepted(static_cast<std::size_t>(Count()), 0);
  for (std::size_t p = 0; p + 1 < firstId_.size(); ++p) {
    if (labelsAt_[p] < 0 && firstId_[p + 1] > firstId_[p]) {
      accepted[static_cast<std::size_t>(firstId_[p])] = 1;
    }
  }
  for (std::int32_t px = 0; px < x_.places; ++px) {
    for (std::int32_t py = 0; py < y_.places; ++py) {
      if (!Cut(px, py)) continue;
      const std::int64_t first = FirstOf(px, py);
      for (std::int64_t id = first; id < first + CountOf(px, py); ++id) {
        if (Adds(id, px, py, accepted)) accepted[static_cast<std::size_t>(id)] = 1;
      }
    }
  }
  // Renumbered once every piece is judged: the judging reads the old numbers.
  std::vector<std::int64_t> counts(firstId_.size() - 1, 0);
  for (std::int32_t px = 0; px < x_.places; ++px) {
    for (std::int32_t py = 0; py < y_.places; ++py) {
      const auto place = static_cast<std::size_t>(Place(px, py));
      const std::int64_t first = FirstOf(px, py), count = CountOf(px, py);
      std::vector<std::int16_t> renumber(static_cast<std::size_t>(count), -1);
      for (std::int64_t id = first; id < first + count; ++id) {
        if (accepted[static_cast<std::size_t>(id)] != 0) {
          renumber[static_cast<std::size_t>(id - first)] =
              static_cast<std::int16_t>(counts[place]++);
        }
      }
      if (!Cut(px, py)) continue;
      const std::int64_t start = labelsAt_[place];
      const std::int64_t size = std::int64_t{HighI(px) - LowI(px) + 1} * (HighJ(py) - LowJ(py) + 1);
      for (std::int64_t at = start; at < start + size; ++at) {
        std::int16_t& l = labels_[static_cast<std::size_t>(at)];
        if (l >= 0) l = renumber[static_cast<std::size_t>(l)];
      }
    }
  }
  for (std::size_t p = 0; p < counts.size(); ++p) firstId_[p + 1] = firstId_[p] + counts[p];
}

}  // namespace kessadon
