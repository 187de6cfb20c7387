#include "GridData.h"

#include "NumberText.h"

namespace kessadon {

void KeepOriginalGrid(GridData& grid) {
  grid.NxOrg = grid.Nx;
  grid.NyOrg = grid.Ny;
  grid.DxOrg = grid.Dx;
  grid.DyOrg = grid.Dy;
  grid.ZOrg = NodeArray<double>(grid.Nx, grid.Ny);
  for (int i = 1; i <= grid.Nx; ++i) {
    for (int j = 1; j <= grid.Ny; ++j) grid.ZOrg(i, j) = grid.Z(i, j);
  }
}

void UpdateGridGeometry(GridData& grid) {
  grid.GridX.assign(static_cast<std::size_t>(grid.Nx) + 2, 0.0);
  grid.GridY.assign(static_cast<std::size_t>(grid.Ny) + 2, 0.0);
  for (int i = 1; i <= grid.Nx; ++i) grid.GridX[i] = (i - 1) * grid.Dx + grid.Xmin;
  for (int j = 1; j <= grid.Ny; ++j) grid.GridY[j] = (j - 1) * grid.Dy + grid.Ymin;
  grid.Xmax = grid.GridX[grid.Nx];
  grid.Ymax = grid.GridY[grid.Ny];

  grid.Zmin = grid.Zmax = grid.Z(1, 1);
  for (int i = 1; i <= grid.Nx; ++i) {
    for (int j = 1; j <= grid.Ny; ++j) {
      const double z = grid.Z(i, j);
      if (grid.Zmin > z) grid.Zmin = z;
      if (grid.Zmax < z) grid.Zmax = z;
    }
  }

  grid.Xcen = (grid.Xmax + grid.Xmin) / 2;
  grid.Ycen = (grid.Ymin + grid.Ymax) / 2;
  grid.Zcen = (grid.Zmin + grid.Zmax) / 2;
  grid.Zeps = (grid.Zmax - grid.Zmin) * 1e-6;
}

std::optional<std::pair<int, int>> FirstUnusableHeight(const NodeArray<double>& z, int nx, int ny) {
  for (int i = 1; i <= nx; ++i) {
    for (int j = 1; j <= ny; ++j) {
      if (!WithinValueBound(z(i, j))) return std::pair{i, j};
    }
  }
  return std::nullopt;
}

double DefaultZbase(double zmin) { return IntFloor(zmin - 0.5); }

}  // namespace kessadon
