// The grid: Nx by Ny nodes, node (i, j) at (Xmin + (i-1)*Dx, Ymin + (j-1)*Dy),
// i the x (east) index, j the y (north) index, both from 1, one height each.
#pragma once

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "NodeArray.h"

namespace kessadon {

struct GridData {
  std::int32_t Nx = 0, Ny = 0;
  double Xmin = 0, Ymin = 0, Dx = 0, Dy = 0;
  // Derived by UpdateGridGeometry.
  double Xmax = 0, Ymax = 0, Zmin = 0, Zmax = 0;
  double Xcen = 0, Ycen = 0, Zcen = 0, Zeps = 0;
  NodeArray<double> Z;        // 0 ... Nx by 0 ... Ny
  std::vector<double> GridX;  // 0 ... Nx+1, used 1 ... Nx
  std::vector<double> GridY;  // 0 ... Ny+1, used 1 ... Ny
  // The grid as it arrived, before any refinement.
  std::int32_t NxOrg = 0, NyOrg = 0;
  double DxOrg = 0, DyOrg = 0;
  NodeArray<double> ZOrg;
};

// Copies Nx, Ny, Dx, Dy and the heights into the original-grid members.
// Xmin and Ymin are not copied.
void KeepOriginalGrid(GridData& grid);

// Derives GridX, GridY, Xmax, Ymax, Zmin, Zmax, the centre and Zeps from
// Nx, Ny, Xmin, Ymin, Dx, Dy and Z. Nx and Ny must be at least 1.
void UpdateGridGeometry(GridData& grid);

// The first node (i, j) of 1 ... nx by 1 ... ny, x index outermost, whose
// height is not finite or lies beyond kValueBound: a result that overflowed.
std::optional<std::pair<int, int>> FirstUnusableHeight(const NodeArray<double>& z, int nx, int ny);

// Default base height of the 3-D view: the largest integer not above Zmin - 0.5.
double DefaultZbase(double zmin);

}  // namespace kessadon
