#include "StripInverse.h"

#include <algorithm>
#include <cstdlib>

#include "BandInverse.h"
#include "CoarseOperator.h"

namespace kessadon {
namespace {

constexpr int kPartners = PatternSystem::kPartners;

// A band of the given shape, all zeros, reusing the room it has.
void Shape(BandSystem& band, std::int64_t n, std::int32_t bw) {
  if (band.N() != n || band.Bw() != bw) {
    band = BandSystem();
    band = BandSystem(n, bw);
    return;
  }
  if (n > 0) std::fill(band.Row(0), band.Row(n - 1) + bw + 1, 0.0);
}

// Functions whose product with each other is as good as zero are the same
// function on the strip as far as its nodes can tell.
constexpr double kDependent = 1e-9;
// A pivot this small against its diagonal is rounding, not information.
constexpr double kRounding = 1e-14;

}  // namespace

StripInverse::StripInverse(const PatternSystem& a, const CoarseSplines& splines)
    : a_(a), splines_(splines) {}

std::int64_t StripInverse::Node(std::int32_t i, std::int32_t j) const {
  const std::int32_t u = strip_.alongX ? i : j, v = strip_.alongX ? j : i;
  return std::int64_t{u - 1} * width_ + (v - strip_.from);
}

std::int64_t StripInverse::Function(const CoarseSplines::Term& t) const {
  const std::int32_t pu = strip_.alongX ? t.px : t.py, pv = strip_.alongX ? t.py : t.px;
  const std::int64_t place = std::int64_t{pu} * acrossCount_ + (pv - acrossFirst_);
  return placeStart_[static_cast<std::size_t>(place)] + (t.id - splines_.FirstOf(t.px, t.py));
}

void StripInverse::Invert(const Strip& strip) {
  strip_ = strip;
  width_ = strip.to - strip.from + 1;
  InvertFine();
  InvertCoarse();
}

void StripInverse::InvertFine() {
  FillFine();
  InvertOnBand(fine_, kRounding);
}

void StripInverse::FillFine() {
  const EstimationGrid& grid = a_.Grid();
  const std::int32_t along = strip_.alongX ? grid.Nx : grid.Ny;
  const std::int64_t n = std::int64_t{along} * width_;
  Shape(fine_, n, static_cast<std::int32_t>(std::min<std::int64_t>(2 * width_ + 2, n - 1)));
  const std::vector<double>& upper = a_.UpperValues();
  for (std::int32_t u = 1; u <= along; ++u) {
    for (std::int32_t v = strip_.from; v <= strip_.to; ++v) {
      const std::int32_t i = strip_.alongX ? u : v, j = strip_.alongX ? v : u;
      const double* values = &upper[static_cast<std::size_t>(grid.Unknown(i, j) * kPartners)];
      const std::int64_t self = Node(i, j);
      for (int s = 0; s < kPartners; ++s) {
        const std::int32_t p = i + PatternSystem::kOffsets[s].di,
                           q = j + PatternSystem::kOffsets[s].dj;
        const std::int32_t across = strip_.alongX ? q : p;
        if (!grid.Contains(p, q) || across < strip_.from || across > strip_.to) continue;
        const std::int64_t other = Node(p, q);
        fine_.At(std::min(self, other), static_cast<std::int32_t>(std::abs(other - self))) =
            values[s];
      }
    }
  }
}

void StripInverse::InvertCoarse() {
  const EstimationGrid& grid = a_.Grid();
  const bool x = strip_.alongX;
  const std::int32_t placesAlong = x ? splines_.PlacesX() : splines_.PlacesY();
  const std::int32_t placesAcross = x ? splines_.PlacesY() : splines_.PlacesX();
  const auto low = [&](std::int32_t pv) { return x ? splines_.LowJ(pv) : splines_.LowI(pv); };
  const auto high = [&](std::int32_t pv) { return x ? splines_.HighJ(pv) : splines_.HighI(pv); };
  acrossFirst_ = 0;
  while (high(acrossFirst_) < strip_.from) ++acrossFirst_;
  std::int32_t last = acrossFirst_;
  while (last + 1 < placesAcross && low(last + 1) <= strip_.to) ++last;
  acrossCount_ = last - acrossFirst_ + 1;
  const auto place = [&](std::int32_t pu, std::int32_t pv) {
    return x ? std::pair{pu, pv} : std::pair{pv, pu};
  };
  placeStart_.assign(static_cast<std::size_t>(std::int64_t{placesAlong} * acrossCount_ + 1), 0);
  std::size_t k = 0;
  for (std::int32_t pu = 0; pu < placesAlong; ++pu) {
    for (std::int32_t pv = acrossFirst_; pv <= last; ++pv, ++k) {
      const auto [px, py] = place(pu, pv);
      placeStart_[k + 1] = placeStart_[k] + splines_.CountOf(px, py);
    }
  }
  const std::int32_t reachAlong = x ? splines_.ReachX() : splines_.ReachY();
  const std::int32_t reachAcross = x ? splines_.ReachY() : splines_.ReachX();
  const auto slice = [&](std::int32_t pu) {
    return placeStart_[static_cast<std::size_t>(std::int64_t{std::min(pu, placesAlong)} *
                                                acrossCount_)];
  };
  std::int64_t bw = 0;
  for (std::int32_t pu = 0; pu < placesAlong; ++pu) {
    bw = std::max(bw, slice(pu + reachAlong + 1) - 1 - slice(pu));
  }
  const std::int64_t m = placeStart_.back();
  Shape(coarse_, m, static_cast<std::int32_t>(std::min(bw, std::max<std::int64_t>(m - 1, 0))));
  const NodeWindow window = x ? NodeWindow{1, grid.Nx, strip_.from, strip_.to}
                              : NodeWindow{strip_.from, strip_.to, 1, grid.Ny};
  SplineProducts products(a_, splines_, window);
  for (std::int32_t pu = 0; pu < placesAlong; ++pu) {
    for (std::int32_t pv = acrossFirst_; pv <= last; ++pv) {
      const auto [px, py] = place(pu, pv);
      const std::int64_t first = splines_.FirstOf(px, py);
      for (std::int64_t id = first; id < first + splines_.CountOf(px, py); ++id) {
        products.Start(id, px, py);
        const std::int64_t la = Function({id, px, py, 0});
        for (std::int32_t qu = pu; qu <= std::min(pu + reachAlong, placesAlong - 1); ++qu) {
          const std::int32_t fromV = qu == pu ? pv : std::max(acrossFirst_, pv - reachAcross);
          for (std::int32_t qv = fromV; qv <= std::min(last, pv + reachAcross); ++qv) {
            const auto [qx, qy] = place(qu, qv);
            const std::int64_t begin = splines_.FirstOf(qx, qy);
            for (std::int64_t b = qu == pu && qv == pv ? id : begin;
                 b < begin + splines_.CountOf(qx, qy); ++b) {
              const std::int64_t lb = Function({b, qx, qy, 0});
              coarse_.At(la, static_cast<std::int32_t>(lb - la)) = products.With(b, qx, qy);
            }
          }
        }
      }
    }
  }
  InvertOnBand(coarse_, kDependent);
}

double StripInverse::Coarse(std::int64_t a, std::int64_t b) const {
  return coarse_.At(std::min(a, b), static_cast<std::int32_t>(std::abs(b - a)));
}

double StripInverse::Form(const NodeWeight* nodes, int count) const {
  double form = 0;
  std::int64_t at[9];
  for (int a = 0; a < count; ++a) at[a] = Node(nodes[a].i, nodes[a].j);
  for (int a = 0; a < count; ++a) {
    for (int b = 0; b < count; ++b) {
      form += nodes[a].w * nodes[b].w *
              fine_.At(std::min(at[a], at[b]), static_cast<std::int32_t>(std::abs(at[b] - at[a])));
    }
  }
  // The combination's coarse part, P_s^T s, by function.
  std::int64_t functions[9 * CoarseSplines::kMaxAt];
  double v[9 * CoarseSplines::kMaxAt];
  int m = 0;
  CoarseSplines::Term terms[CoarseSplines::kMaxAt];
  for (int a = 0; a < count; ++a) {
    const int c = splines_.At(nodes[a].i, nodes[a].j, terms);
    for (int t = 0; t < c; ++t) {
      const std::int64_t f = Function(terms[t]);
      int k = 0;
      while (k < m && functions[k] != f) ++k;
      if (k == m) {
        functions[m] = f;
        v[m++] = 0;
      }
      v[k] += nodes[a].w * terms[t].weight;
    }
  }
  for (int a = 0; a < m; ++a) {
    double row = 0;
    for (int b = 0; b < m; ++b) row += v[b] * Coarse(functions[a], functions[b]);
    form -= v[a] * row;
  }
  return form;
}

}  // namespace kessadon
