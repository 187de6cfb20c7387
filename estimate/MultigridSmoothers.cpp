// Gauss-Seidel sweeps by points and by lines, and the exact solves on the
// boxes round the tips and corners of cuts. Node r = i * ny + j of an nx by
// ny grid, 0-based, y fastest.
#include "MultigridSmoothers.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#include "io/WorkSplit.h"

namespace kessadon::multigrid {
namespace {

namespace tipbox {
constexpr std::int32_t kSide = 8;
// Boxes nearer than this to one already made are left out.
constexpr std::int32_t kCover = 2;

// a(p, q) of a level for nodes at most two apart each way, else zero.
double Coupling(const Level& level, std::int64_t p, std::int64_t q) {
  if (q < p) std::swap(p, q);
  const auto di = static_cast<int>(q / level.ny - p / level.ny);
  const auto dj = static_cast<int>(q % level.ny - p % level.ny);
  if (di > 2 || dj < -2 || dj > 2 || (di == 0 && dj < 0)) return 0;
  return level.a[p * kPartners + PatternSystem::Slot(di, dj)];
}

// Entry (r, c), c <= r, of a lower triangle kept by rows.
inline std::size_t Packed(std::int64_t r, std::int64_t c) {
  return static_cast<std::size_t>(r * (r + 1) / 2 + c);
}

bool Factor(const Level& level, TipBox& box) {
  const auto n = static_cast<std::int64_t>(box.nodes.size());
  box.factor.assign(Packed(n, 0), 0.0);
  auto f = [&](std::int64_t r, std::int64_t c) -> double& { return box.factor[Packed(r, c)]; };
  for (std::int64_t r = 0; r < n; ++r) {
    for (std::int64_t c = 0; c <= r; ++c) f(r, c) = Coupling(level, box.nodes[r], box.nodes[c]);
  }
  for (std::int64_t c = 0; c < n; ++c) {
    for (std::int64_t k = 0; k < c; ++k) f(c, c) -= f(c, k) * f(c, k);
    if (!(f(c, c) > 0)) return false;
    f(c, c) = std::sqrt(f(c, c));
    for (std::int64_t r = c + 1; r < n; ++r) {
      for (std::int64_t k = 0; k < c; ++k) f(r, c) -= f(r, k) * f(c, k);
      f(r, c) /= f(c, c);
    }
  }
  return true;
}
}  // namespace tipbox

// Gauss-Seidel by columns in three colours: columns three apart share no
// coupling, so those of one colour relax at once on every core, each along
// y, and the answer does not depend on the thread count. Backward runs the
// colours and each column the other way, so that the two make a symmetric
// smoother.
void Sweep(const Level& level, const double* b, double* x, bool backward) {
  for (int step = 0; step < 3; ++step) {
    const int colour = backward ? 2 - step : step;
    const int columns = (level.nx - colour + 2) / 3;
    SplitRange(0, columns, level.ny, [&](int from, int to) {
      for (int c = from; c < to; ++c) {
        const std::int64_t first = std::int64_t{colour + 3 * c} * level.ny;
        for (std::int32_t k = 0; k < level.ny; ++k) {
          const std::int64_t r = backward ? first + level.ny - 1 - k : first + k;
          x[r] += (b[r] - level.Row(r, x)) / level.a[r * kPartners];
        }
      }
    });
  }
}

// The lines a grid relaxes: `count` lines of `length` nodes, `stride`
// apart along a line and `across` from one line to the next; `near` and
// `far` are the partner slots of the next node along and the one after.
struct LineShape {
  std::int32_t count, length;
  std::int64_t stride, across;
  int near, far;
};

LineShape Lines(const Level& level) {
  if (level.relax == Relax::LinesAlongX) {
    return {level.ny, level.nx, level.ny, 1, PatternSystem::Slot(1, 0), PatternSystem::Slot(2, 0)};
  }
  return {level.nx, level.ny, 1, level.ny, PatternSystem::Slot(0, 1), PatternSystem::Slot(0, 2)};
}

// Calls f(r, k) for node k of each line from, from + 1, ... to - 1 of a
// colour (every third line from `colour`), all the lines at each k in
// turn, k ascending (descending when backward).
template <class F>
void WalkLines(const LineShape& s, int colour, int from, int to, bool backward, F&& f) {
  auto node = [&](int line, std::int32_t k) {
    return std::int64_t{colour + 3 * line} * s.across + k * s.stride;
  };
  for (std::int32_t step = 0; step < s.length; ++step) {
    const std::int32_t k = backward ? s.length - 1 - step : step;
    for (int line = from; line < to; ++line) f(node(line, k), k);
  }
}

// Gauss-Seidel by lines in three colours, as Sweep by points: lines three
// apart share no coupling. Each line's correction solves its block against
// the residual it had before, by the factors of FactorLines; t holds the
// residuals meanwhile.
void SweepLines(const Level& level, const double* b, double* x, double* t, bool backward) {
  const LineShape s = Lines(level);
  const double* f = level.lineFactor.data();
  for (int step = 0; step < 3; ++step) {
    const int colour = backward ? 2 - step : step;
    SplitRange(0, (s.count - colour + 2) / 3, s.length, [&](int from, int to) {
      // A column lies together and is walked whole; the nodes of a row lie
      // ny apart, and walking the rows side by side keeps the memory near.
      const int block = s.stride == 1 ? 1 : to - from;
      for (int first = from; first < to; first += block) {
        const int last = std::min(to, first + block);
        WalkLines(s, colour, first, last, false,
                  [&](std::int64_t r, std::int32_t) { t[r] = b[r] - level.Row(r, x); });
        WalkLines(s, colour, first, last, false, [&](std::int64_t r, std::int32_t k) {
          if (k >= 1) t[r] -= f[3 * r] * t[r - s.stride];
          if (k >= 2) t[r] -= f[3 * r + 1] * t[r - 2 * s.stride];
        });
        WalkLines(s, colour, first, last, true, [&](std::int64_t r, std::int32_t k) {
          t[r] *= f[3 * r + 2];
          if (k + 1 < s.length) t[r] -= f[3 * (r + s.stride)] * t[r + s.stride];
          if (k + 2 < s.length) t[r] -= f[3 * (r + 2 * s.stride) + 1] * t[r + 2 * s.stride];
          x[r] += t[r];
        });
      }
    });
  }
}

}  // namespace

// The boxes round the cells where a cut ends or turns: a cell with an odd
// number of cut sides, or with two that meet.
void TipBoxes(Level& level) {
  level.tips.clear();
  if (level.cutX.empty() || level.nx < tipbox::kSide || level.ny < tipbox::kSide) return;
  std::vector<std::uint8_t> covered(static_cast<std::size_t>(level.N()), 0);
  for (std::int32_t i = 0; i + 1 < level.nx; ++i) {
    for (std::int32_t j = 0; j + 1 < level.ny; ++j) {
      const int sides =
          level.CutX(i, j) + level.CutX(i, j + 1) + level.CutY(i, j) + level.CutY(i + 1, j);
      const bool turn = sides == 2 && level.CutX(i, j) != level.CutX(i, j + 1);
      if (sides % 2 == 0 && !turn) continue;
      if (covered[static_cast<std::size_t>(std::int64_t{i} * level.ny + j)] != 0) continue;
      for (std::int32_t p = std::max(0, i - tipbox::kCover);
           p <= std::min(level.nx - 1, i + tipbox::kCover); ++p) {
        for (std::int32_t q = std::max(0, j - tipbox::kCover);
             q <= std::min(level.ny - 1, j + tipbox::kCover); ++q) {
          covered[static_cast<std::size_t>(std::int64_t{p} * level.ny + q)] = 1;
        }
      }
      const std::int32_t i0 = std::clamp(i + 1 - tipbox::kSide / 2, 0, level.nx - tipbox::kSide);
      const std::int32_t j0 = std::clamp(j + 1 - tipbox::kSide / 2, 0, level.ny - tipbox::kSide);
      TipBox box;
      for (std::int32_t p = i0; p < i0 + tipbox::kSide; ++p) {
        for (std::int32_t q = j0; q < j0 + tipbox::kSide; ++q)
          box.nodes.push_back(std::int64_t{p} * level.ny + q);
      }
      if (tipbox::Factor(level, box)) level.tips.push_back(std::move(box));
    }
  }
}

// x += the exact correction on each box, in turn (the other way round
// when backward).
void SolveTips(const Level& level, const double* b, double* x, bool backward) {
  const auto count = static_cast<std::int64_t>(level.tips.size());
  std::vector<double> r;
  for (std::int64_t k = 0; k < count; ++k) {
    const TipBox& box = level.tips[static_cast<std::size_t>(backward ? count - 1 - k : k)];
    const auto n = static_cast<std::int64_t>(box.nodes.size());
    r.resize(static_cast<std::size_t>(n));
    for (std::int64_t m = 0; m < n; ++m) r[m] = b[box.nodes[m]] - level.Row(box.nodes[m], x);
    const std::vector<double>& f = box.factor;
    for (std::int64_t m = 0; m < n; ++m) {
      for (std::int64_t c = 0; c < m; ++c) r[m] -= f[tipbox::Packed(m, c)] * r[c];
      r[m] /= f[tipbox::Packed(m, m)];
    }
    for (std::int64_t m = n - 1; m >= 0; --m) {
      for (std::int64_t c = m + 1; c < n; ++c) r[m] -= f[tipbox::Packed(c, m)] * r[c];
      r[m] /= f[tipbox::Packed(m, m)];
    }
    for (std::int64_t m = 0; m < n; ++m) x[box.nodes[m]] += r[m];
  }
}

// Factors every line's five-diagonal block of A, which is positive definite
// as A is; when rounding leaves a pivot that is not positive, the grid is
// smoothed by points instead.
void FactorLines(Level& level) {
  const LineShape s = Lines(level);
  level.lineFactor.assign(static_cast<std::size_t>(3 * level.N()), 0.0);
  std::atomic<bool> positive = true;
  SplitRange(0, s.count, s.length, [&](int from, int to) {
    for (int line = from; line < to; ++line) {
      double d1 = 0, d2 = 0, back = 0;  // D of the last two nodes, L between them
      for (std::int32_t k = 0; k < s.length; ++k) {
        const std::int64_t r = line * s.across + k * s.stride;
        const double l2 = k >= 2 ? level.a[(r - 2 * s.stride) * kPartners + s.far] / d2 : 0;
        const double l1 =
            k >= 1 ? (level.a[(r - s.stride) * kPartners + s.near] - l2 * back * d2) / d1 : 0;
        const double d = level.a[r * kPartners] - l1 * l1 * d1 - l2 * l2 * d2;
        if (!(d > 0)) {
          positive = false;
          break;
        }
        double* f = &level.lineFactor[static_cast<std::size_t>(3 * r)];
        f[0] = l1;
        f[1] = l2;
        f[2] = 1 / d;
        d2 = d1;
        d1 = d;
        back = l1;
      }
    }
  });
  if (!positive) {
    level.relax = Relax::Points;
    level.lineFactor = {};
  }
}

// One smoothing sweep by points or lines; scratch holds a grid's values.
void Smooth(const Level& level, const double* b, double* x, double* scratch, bool backward) {
  if (level.relax == Relax::Points) {
    Sweep(level, b, x, backward);
  } else {
    SweepLines(level, b, x, scratch, backward);
  }
}

}  // namespace kessadon::multigrid
