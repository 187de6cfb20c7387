#include "GridRefinement.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>

#include "io/GridFile.h"
#include "io/NumberText.h"

namespace kessadon {
namespace {

// A new node this far (in new spacings) past a cell's upper edge still
// belongs to that cell, so that rounding never leaves a node on an edge behind.
constexpr double kEdgeSlack = 1.0001;

// Column i of a node array, node j at [j] for j = 0 ... n.
std::span<const double> Column(const NodeArray<double>& a, int i, int n) {
  return {&a(i, 0), static_cast<std::size_t>(n) + 1};
}
std::span<double> Column(NodeArray<double>& a, int i, int n) {
  return {&a(i, 0), static_cast<std::size_t>(n) + 1};
}

// The last new node at or within the slack past `edge`; never past nNew, so
// that no arithmetic surprise can reach outside the new grid.
std::int32_t LastNewNode(double edge, double first, double spacing, std::int32_t nNew) {
  const double last = IntFloor((edge - first) / spacing + kEdgeSlack);
  if (!(last < nNew)) return nNew;
  return last < 0 ? 0 : static_cast<std::int32_t>(last);
}

// A(L, M) = sum over P, Q of Cx(L, P) F(P, Q) Cy(M, Q) for cell (i, j): the
// bicubic in (dx, dy) through its corners' heights and slopes.
Matrix4 CellCoefficients(const Matrix4& cx, const Matrix4& cy, const NodeArray<double>& z,
                         const NodeDerivatives& d, int i, int j) {
  Matrix4 f;
  for (int p = 1; p <= 2; ++p) {
    for (int q = 1; q <= 2; ++q) {
      const int ic = i + p - 1, jc = j + q - 1;
      f(2 * p - 1, 2 * q - 1) = z(ic, jc);
      f(2 * p - 1, 2 * q) = d.ZyNode(ic, jc);
      f(2 * p, 2 * q - 1) = d.ZxNode(ic, jc);
      f(2 * p, 2 * q) = d.ZxyNode(ic, jc);
    }
  }
  Matrix4 a;
  for (int l = 1; l <= 4; ++l) {
    for (int m = 1; m <= 4; ++m) {
      double sum = 0;
      for (int p = 1; p <= 4; ++p) {
        for (int q = 1; q <= 4; ++q) sum += cx(l, p) * f(p, q) * cy(m, q);
      }
      a(l, m) = sum;
    }
  }
  return a;
}

// The new nodes one cell row or column takes, and the cell they are measured from.
struct NewNodeRange {
  std::int32_t first, last, cell;
};

// How the new nodes of one direction fall into the cells, and the powers
// (1, d, d^2, d^3) of each new node's offset from its cell's first node.
struct NewNodeSplit {
  std::vector<NewNodeRange> ranges;
  std::vector<std::array<double, 4>> powers;  // index: new node
};

// Each cell takes the new nodes up to its upper edge that no earlier cell
// took. The last cell has no neighbour beyond it and takes whatever is left
// up to the last new node; with the slack nothing is left in practice, but
// should a node remain, it comes from the cell before, its polynomial
// continued past that cell's edge (the offset from that cell's first node).
NewNodeSplit SplitNewNodes(const std::vector<double>& nodes, std::int32_t n, double first,
                           double spacing, std::int32_t nNew) {
  NewNodeSplit split;
  split.powers.resize(static_cast<std::size_t>(nNew) + 1);
  for (std::int32_t k = 1, next = 1; k <= n; ++k) {
    const std::int32_t last = k == n ? nNew : LastNewNode(nodes[k + 1], first, spacing, nNew);
    if (last < next) continue;
    const std::int32_t cell = std::min(k, n - 1);
    for (std::int32_t v = next; v <= last; ++v) {
      const double d = (v - 1) * spacing + first - nodes[cell];
      const double d2 = d * d;
      split.powers[v] = {1, d, d2, d2 * d};
    }
    split.ranges.push_back({next, last, cell});
    next = last + 1;
  }
  return split;
}

// Why this grid cannot be refined in one direction, if it cannot.
std::optional<Failure> CheckDirection(const char* count, const char* spacing, std::int32_t n,
                                      double extent) {
  if (n < 3) {
    return Failure{std::string("細分には ") + count + " が 3 以上の格子が必要です（いまの格子は " +
                   std::to_string(n) + "）"};
  }
  if (!std::isfinite(extent) || extent == 0) {
    return Failure{std::string("格子間隔 ") + spacing + " が 0 か大きすぎるため細分できません。" +
                   spacing + " を直してください"};
  }
  return std::nullopt;
}

// The requested count as a node count of at least 2; beyond int32 is left to the size check.
Result<double> NewCount(const char* name, double requested) {
  if (!std::isfinite(requested)) {
    return Failure{std::string("新しい ") + name + " には数値を指定してください"};
  }
  const double n = RoundHalfEven(requested);
  if (n < 2) {
    const std::string rounded = n == requested ? "" : " を丸めると " + FormatGeneral(n);
    return Failure{std::string("新しい ") + name + " は 2 以上にしてください（" +
                   FormatGeneral(requested) + rounded + "）"};
  }
  return n;
}

}  // namespace

SlopeSystem FactorSlopeSystem(std::span<const double> t, std::int32_t n, SlopeEnds ends) {
  SlopeSystem s;
  s.n = n;
  s.ends = ends;
  const std::size_t size = static_cast<std::size_t>(n) + 1;
  s.h.assign(size, 0);
  s.lambda.assign(size, 0);
  s.mu.assign(size, 0);
  s.l.assign(size, 0);
  s.u.assign(size, 0);
  for (int k = 2; k <= n; ++k) s.h[k] = t[k] - t[k - 1];
  for (int k = 2; k <= n - 1; ++k) {
    s.lambda[k] = s.h[k + 1] / (s.h[k] + s.h[k + 1]);
    s.mu[k] = 1 - s.lambda[k];
  }
  const double endWeight = ends == SlopeEnds::Parabolic ? 2 : 0;
  s.mu[1] = endWeight;
  s.lambda[n] = endWeight;
  s.u[1] = 2;
  for (int k = 2; k <= n; ++k) {
    s.l[k] = s.lambda[k] / s.u[k - 1];
    s.u[k] = 2 - s.mu[k - 1] * s.l[k];
  }
  return s;
}

void SolveSlopeSystem(const SlopeSystem& s, std::span<const double> f, double d1, double dn,
                      std::span<double> m) {
  const int n = s.n;
  const double* h = s.h.data();
  // m holds the right-hand side r while it is eliminated forward.
  if (s.ends == SlopeEnds::Parabolic) {
    m[1] = 4 * (f[2] - f[1]) / h[2];
  } else {
    m[1] = 2 * d1;
  }
  for (int k = 2; k <= n - 1; ++k) {
    const double r =
        3 * (s.mu[k] * (f[k + 1] - f[k]) / h[k + 1] + s.lambda[k] * (f[k] - f[k - 1]) / h[k]);
    m[k] = r - s.l[k] * m[k - 1];
  }
  const double rn = s.ends == SlopeEnds::Parabolic ? 4 * (f[n] - f[n - 1]) / h[n] : 2 * dn;
  m[n] = (rn - s.l[n] * m[n - 1]) / s.u[n];
  for (int k = n - 1; k >= 1; --k) m[k] = (m[k] - s.mu[k] * m[k + 1]) / s.u[k];
}

NodeDerivatives ComputeNodeDerivatives(const GridData& grid) {
  const int nx = grid.Nx, ny = grid.Ny;
  NodeDerivatives d{NodeArray<double>(nx, ny), NodeArray<double>(nx, ny),
                    NodeArray<double>(nx, ny)};
  const SlopeSystem alongX = FactorSlopeSystem(grid.GridX, nx, SlopeEnds::Parabolic);
  // Rows are strided in the node arrays, so they pass through f and m; columns are solved in place.
  std::vector<double> f(static_cast<std::size_t>(nx) + 1), m(f.size());
  for (int j = 1; j <= ny; ++j) {
    for (int i = 1; i <= nx; ++i) f[i] = grid.Z(i, j);
    SolveSlopeSystem(alongX, f, 0, 0, m);
    for (int i = 1; i <= nx; ++i) d.ZxNode(i, j) = m[i];
  }

  const SlopeSystem alongY = FactorSlopeSystem(grid.GridY, ny, SlopeEnds::Parabolic);
  for (int i = 1; i <= nx; ++i) {
    SolveSlopeSystem(alongY, Column(grid.Z, i, ny), 0, 0, Column(d.ZyNode, i, ny));
  }

  // The cross derivative on the first and last rows gives the end slopes for the columns.
  for (int j : {1, ny}) {
    for (int i = 1; i <= nx; ++i) f[i] = d.ZyNode(i, j);
    SolveSlopeSystem(alongX, f, 0, 0, m);
    for (int i = 1; i <= nx; ++i) d.ZxyNode(i, j) = m[i];
  }
  const SlopeSystem clampedY = FactorSlopeSystem(grid.GridY, ny, SlopeEnds::Clamped);
  for (int i = 1; i <= nx; ++i) {
    SolveSlopeSystem(clampedY, Column(d.ZxNode, i, ny), d.ZxyNode(i, 1), d.ZxyNode(i, ny),
                     Column(d.ZxyNode, i, ny));
  }
  return d;
}

Matrix4 BuildHermiteMatrix(double h) {
  const double h2 = h * h, h3 = h2 * h;
  Matrix4 c;
  c.a = {{{1, 0, 0, 0},
          {0, 1, 0, 0},
          {-3 / h2, -2 / h, 3 / h2, -1 / h},
          {2 / h3, 1 / h2, -2 / h3, 1 / h2}}};
  return c;
}

Result<RefinedGrid> RefineGrid(const GridData& grid, double nxRequested, double nyRequested) {
  const std::int32_t nx = grid.Nx, ny = grid.Ny;
  if (auto refused = CheckDirection("Nx", "Dx", nx, grid.Xmax - grid.Xmin)) return *refused;
  if (auto refused = CheckDirection("Ny", "Dy", ny, grid.Ymax - grid.Ymin)) return *refused;
  Result<double> nxNew = NewCount("Nx", nxRequested);
  if (!nxNew) return nxNew.failure();
  Result<double> nyNew = NewCount("Ny", nyRequested);
  if (!nyNew) return nyNew.failure();
  // The new heights share an array as large as either grid in each direction,
  // and the node slopes take three arrays the size of the old grid.
  const double nodes = std::max<double>(nx, *nxNew) * std::max<double>(ny, *nyNew);
  if (nodes > static_cast<double>(kMaxGridNodes)) {
    return Failure{"新しい格子 " + FormatGeneral(*nxNew) + " x " + FormatGeneral(*nyNew) +
                   " は大きすぎます（細分の作業領域が格子点 " + std::to_string(kMaxGridNodes) +
                   " 個分を超えます）。新しい Nx, Ny を小さくしてください"};
  }

  RefinedGrid out;
  out.NxNew = static_cast<std::int32_t>(*nxNew);
  out.NyNew = static_cast<std::int32_t>(*nyNew);
  out.DxNew = (grid.Xmax - grid.Xmin) / (out.NxNew - 1);
  out.DyNew = (grid.Ymax - grid.Ymin) / (out.NyNew - 1);
  out.ZNew = NodeArray<double>(std::max(nx, out.NxNew), std::max(ny, out.NyNew));
  const NodeDerivatives d = ComputeNodeDerivatives(grid);
  const Matrix4 cx = BuildHermiteMatrix(grid.Dx), cy = BuildHermiteMatrix(grid.Dy);

  const NewNodeSplit columns = SplitNewNodes(grid.GridX, nx, grid.Xmin, out.DxNew, out.NxNew);
  const NewNodeSplit rows = SplitNewNodes(grid.GridY, ny, grid.Ymin, out.DyNew, out.NyNew);
  const auto& xp = columns.powers;
  const auto& yp = rows.powers;
  for (const NewNodeRange& column : columns.ranges) {
    for (const NewNodeRange& row : rows.ranges) {
      const Matrix4 a = CellCoefficients(cx, cy, grid.Z, d, column.cell, row.cell);
      for (std::int32_t u = column.first; u <= column.last; ++u) {
        // A(L, M) xp(L) is the same for every new node of this column.
        double ax[4][4];
        for (int l = 0; l < 4; ++l) {
          for (int m = 0; m < 4; ++m) ax[l][m] = a.a[l][m] * xp[u][l];
        }
        double* heights = &out.ZNew(u, 0);
        for (std::int32_t v = row.first; v <= row.last; ++v) {
          const std::array<double, 4>& y = yp[v];
          double z = 0;
          for (int l = 0; l < 4; ++l) {
            for (int m = 0; m < 4; ++m) z += ax[l][m] * y[m];
          }
          heights[v] = z;
        }
      }
    }
  }
  // Heights huge for their spacing overflow the slopes; such a grid is no result.
  if (auto node = FirstUnusableHeight(out.ZNew, out.NxNew, out.NyNew)) {
    return Failure{"細分した格子点 (" + std::to_string(node->first) + ", " +
                   std::to_string(node->second) +
                   ") の高さが計算の範囲を超えました。高さか格子間隔が極端すぎます"};
  }
  return out;
}

bool ToggleRefinedGrid(GridData& grid, const RefinedGrid& refined) {
  const bool wasRefined = grid.Nx == refined.NxNew && grid.Ny == refined.NyNew;
  if (wasRefined) {
    grid.Nx = grid.NxOrg;
    grid.Ny = grid.NyOrg;
    grid.Dx = grid.DxOrg;
    grid.Dy = grid.DyOrg;
    grid.Z = grid.ZOrg;
  } else {
    grid.Nx = refined.NxNew;
    grid.Ny = refined.NyNew;
    grid.Dx = refined.DxNew;
    grid.Dy = refined.DyNew;
    grid.Z = refined.ZNew;
  }
  UpdateGridGeometry(grid);
  return !wasRefined;
}

}  // namespace kessadon
