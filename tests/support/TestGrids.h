// Small grids for the tests, built one way everywhere.
#pragma once

#include <functional>

#include "io/GridData.h"
#include "io/NodeArray.h"

namespace kessadon::testing {

// Node counts, spacing and the first node's position; name the fields at the
// call, e.g. {.nx = 5, .ny = 3, .dx = 10, .dy = 10}.
struct GridShape {
  int nx = 1, ny = 1;
  double dx = 1, dy = 1;
  double xmin = 0, ymin = 0;
};

// The grid of that shape with heights z(i, j) by node, geometry derived as
// loading leaves it.
inline GridData MakeGrid(const GridShape& shape, const std::function<double(int, int)>& z) {
  GridData grid;
  grid.Nx = shape.nx;
  grid.Ny = shape.ny;
  grid.Xmin = shape.xmin;
  grid.Ymin = shape.ymin;
  grid.Dx = shape.dx;
  grid.Dy = shape.dy;
  grid.Z = NodeArray<double>(shape.nx, shape.ny);
  for (int i = 1; i <= shape.nx; ++i) {
    for (int j = 1; j <= shape.ny; ++j) grid.Z(i, j) = z(i, j);
  }
  UpdateGridGeometry(grid);
  return grid;
}

// The same with heights f(x, y) at the nodes' map positions.
inline GridData MakeMapGrid(const GridShape& shape,
                            const std::function<double(double, double)>& f) {
  return MakeGrid(shape, [&](int i, int j) {
    return f(shape.xmin + (i - 1) * shape.dx, shape.ymin + (j - 1) * shape.dy);
  });
}

}  // namespace kessadon::testing
