#include "CoarseOperator.h"

#include <algorithm>

#include "LowerMatrix.h"
#include "io/WorkSplit.h"

namespace kessadon {
namespace {

constexpr int kPartners = PatternSystem::kPartners;

NodeWindow Intersect(NodeWindow a, NodeWindow b) {
  return {std::max(a.i0, b.i0), std::min(a.i1, b.i1), std::max(a.j0, b.j0), std::min(a.j1, b.j1)};
}

NodeWindow Rectangle(const CoarseSplines& s, std::int32_t px, std::int32_t py) {
  return {s.LowI(px), s.HighI(px), s.LowJ(py), s.HighJ(py)};
}

bool Empty(NodeWindow w) { return w.i0 > w.i1 || w.j0 > w.j1; }

}  // namespace

SplineProducts::SplineProducts(const PatternSystem& a, const CoarseSplines& splines,
                               NodeWindow window)
    : a_(a), splines_(splines), window_(window) {}

void SplineProducts::Start(std::int64_t id, std::int32_t px, std::int32_t py) {
  const NodeWindow own = Intersect(Rectangle(splines_, px, py), window_);
  box_ = Intersect({own.i0 - 2, own.i1 + 2, own.j0 - 2, own.j1 + 2}, window_);
  if (Empty(own)) {
    box_ = {1, 0, 1, 0};
    return;
  }
  const auto size =
      static_cast<std::size_t>(std::int64_t{box_.i1 - box_.i0 + 1} * (box_.j1 - box_.j0 + 1));
  v_.assign(size, 0.0);
  y_.assign(size, 0.0);
  const bool cut = splines_.Cut(px, py);
  for (std::int32_t i = own.i0; i <= own.i1; ++i) {
    const double wx = splines_.WeightX(i, px);
    for (std::int32_t j = own.j0; j <= own.j1; ++j) {
      At(v_, i, j) = cut ? splines_.Weight(id, px, py, i, j) : wx * splines_.WeightY(j, py);
    }
  }
  // y = A v by the upper partners, slot by slot over the nodes whose partner
  // lies in the box: each pair adds to both ends.
  const EstimationGrid& grid = a_.Grid();
  const std::vector<double>& upper = a_.UpperValues();
  const std::int64_t height = box_.j1 - box_.j0 + 1;
  for (int s = 0; s < kPartners; ++s) {
    const std::int32_t di = PatternSystem::kOffsets[s].di, dj = PatternSystem::kOffsets[s].dj;
    const std::int32_t jFrom = std::max(box_.j0, box_.j0 - dj),
                       jTo = std::min(box_.j1, box_.j1 - dj);
    const std::int64_t step = di * height + dj;
    for (std::int32_t i = box_.i0; i <= box_.i1 - di; ++i) {
      const double* u = &upper[static_cast<std::size_t>(grid.Unknown(i, jFrom) * kPartners + s)];
      const std::int64_t row = (i - box_.i0) * height - box_.j0;
      double* y = y_.data() + row;
      const double* v = v_.data() + row;
      for (std::int32_t j = jFrom; j <= jTo; ++j, u += kPartners) {
        y[j + step] += *u * v[j];
        if (step != 0) y[j] += *u * v[j + step];
      }
    }
  }
}

double SplineProducts::With(std::int64_t b, std::int32_t qx, std::int32_t qy) {
  const NodeWindow w = Intersect(Rectangle(splines_, qx, qy), box_);
  if (Empty(w)) return 0;
  const std::int64_t height = box_.j1 - box_.j0 + 1;
  double sum = 0;
  if (!splines_.Cut(qx, qy)) {
    // The weight is wx(i) wy(j): the rows' sums first.
    const std::int32_t columns = w.j1 - w.j0 + 1;
    wy_.resize(static_cast<std::size_t>(columns));
    for (std::int32_t c = 0; c < columns; ++c)
      wy_[static_cast<std::size_t>(c)] = splines_.WeightY(w.j0 + c, qy);
    for (std::int32_t i = w.i0; i <= w.i1; ++i) {
      const double* y = &y_[static_cast<std::size_t>((i - box_.i0) * height + (w.j0 - box_.j0))];
      double row = 0;
      for (std::int32_t c = 0; c < columns; ++c) row += y[c] * wy_[static_cast<std::size_t>(c)];
      sum += row * splines_.WeightX(i, qx);
    }
    return sum;
  }
  for (std::int32_t i = w.i0; i <= w.i1; ++i) {
    for (std::int32_t j = w.j0; j <= w.j1; ++j) {
      sum += y_[static_cast<std::size_t>((i - box_.i0) * height + (j - box_.j0))] *
             splines_.Weight(b, qx, qy, i, j);
    }
  }
  return sum;
}

namespace {

// Calls f(id, px, py) for the functions after `id` of place (px, py) within
// reach of it, in ascending number: the rest of its own place, then the
// places after it.
template <class F>
void ForLaterNeighbours(const CoarseSplines& s, std::int64_t id, std::int32_t px, std::int32_t py,
                        F&& f) {
  const std::int32_t rx = s.ReachX(), ry = s.ReachY();
  for (std::int32_t qx = px; qx <= std::min(px + rx, s.PlacesX() - 1); ++qx) {
    const std::int32_t fromY = qx == px ? py : std::max(0, py - ry);
    for (std::int32_t qy = fromY; qy <= std::min(py + ry, s.PlacesY() - 1); ++qy) {
      const std::int64_t first = s.FirstOf(qx, qy), count = s.CountOf(qx, qy);
      for (std::int64_t b = std::max(first, id); b < first + count; ++b) f(b, qx, qy);
    }
  }
}

}  // namespace

LowerMatrix CoarseOperator(const PatternSystem& a, const CoarseSplines& splines) {
  const std::int64_t n = splines.Count();
  LowerMatrix out;
  out.n = n;
  out.colStart.assign(static_cast<std::size_t>(n + 1), 0);
  for (std::int32_t px = 0; px < splines.PlacesX(); ++px) {
    for (std::int32_t py = 0; py < splines.PlacesY(); ++py) {
      const std::int64_t first = splines.FirstOf(px, py);
      for (std::int64_t id = first; id < first + splines.CountOf(px, py); ++id) {
        SparseIndex count = 0;
        ForLaterNeighbours(splines, id, px, py,
                           [&count](std::int64_t, std::int32_t, std::int32_t) { ++count; });
        out.colStart[static_cast<std::size_t>(id + 1)] = count;
      }
    }
  }
  for (std::int64_t c = 0; c < n; ++c) {
    out.colStart[static_cast<std::size_t>(c + 1)] += out.colStart[static_cast<std::size_t>(c)];
  }
  out.row.resize(static_cast<std::size_t>(out.colStart.back()));
  out.value.resize(out.row.size());
  const EstimationGrid& grid = a.Grid();
  const NodeWindow all{1, grid.Nx, 1, grid.Ny};
  // Each part fills the columns of its own places.
  const int parts = std::min(splines.PlacesX(), 8 * RenderThreads());
  RunParts(parts, [&](int part) {
    SplineProducts products(a, splines, all);
    const std::int32_t from = static_cast<std::int32_t>(std::int64_t{splines.PlacesX()} * part /
                                                        parts),
                       to = static_cast<std::int32_t>(std::int64_t{splines.PlacesX()} * (part + 1) /
                                                      parts);
    for (std::int32_t px = from; px < to; ++px) {
      for (std::int32_t py = 0; py < splines.PlacesY(); ++py) {
        const std::int64_t first = splines.FirstOf(px, py);
        for (std::int64_t id = first; id < first + splines.CountOf(px, py); ++id) {
          products.Start(id, px, py);
          auto k = static_cast<std::size_t>(out.colStart[static_cast<std::size_t>(id)]);
          ForLaterNeighbours(splines, id, px, py,
                             [&](std::int64_t b, std::int32_t qx, std::int32_t qy) {
                               out.row[k] = static_cast<SparseIndex>(b);
                               out.value[k++] = products.With(b, qx, qy);
                             });
        }
      }
    }
  });
  return out;
}

namespace {

// Pieces of at most this many places keep their order.
constexpr std::int64_t kLeafPlaces = 64;
constexpr std::int32_t kSeparator = 3;

struct Places {
  std::int32_t x0, x1, y0, y1;  // half-open
};

void Dissect(const CoarseSplines& s, Places p, std::vector<std::int64_t>& order) {
  const std::int32_t w = p.x1 - p.x0, h = p.y1 - p.y0;
  if (w <= 0 || h <= 0) return;
  if (std::int64_t{w} * h <= kLeafPlaces || std::max(w, h) < 2 * kSeparator + 1) {
    for (std::int32_t x = p.x0; x < p.x1; ++x) {
      for (std::int32_t y = p.y0; y < p.y1; ++y) {
        const std::int64_t first = s.FirstOf(x, y);
        for (std::int64_t id = first; id < first + s.CountOf(x, y); ++id) order.push_back(id);
      }
    }
    return;
  }
  if (w >= h) {
    const std::int32_t m = p.x0 + (w - kSeparator) / 2;
    Dissect(s, {p.x0, m, p.y0, p.y1}, order);
    Dissect(s, {m + kSeparator, p.x1, p.y0, p.y1}, order);
    Dissect(s, {m, m + kSeparator, p.y0, p.y1}, order);
  } else {
    const std::int32_t m = p.y0 + (h - kSeparator) / 2;
    Dissect(s, {p.x0, p.x1, p.y0, m}, order);
    Dissect(s, {p.x0, p.x1, m + kSeparator, p.y1}, order);
    Dissect(s, {p.x0, p.x1, m, m + kSeparator}, order);
  }
}

}  // namespace

std::vector<std::int64_t> CoarseOrder(const CoarseSplines& splines) {
  std::vector<std::int64_t> order;
  order.reserve(static_cast<std::size_t>(splines.Count()));
  Dissect(splines, {0, splines.PlacesX(), 0, splines.PlacesY()}, order);
  return order;
}

}  // namespace kessadon
