// The data distribution view: where the measured points lie, with the marks,
// symbols and labels of the overlay, before or after a grid exists. Without a
// grid it fits a square plan window around the data first.
#pragma once

#include "DataOverlay.h"

namespace kessadon {

struct FittedDataWindow {
  MapWindow window;   // becomes the grid extent while there is no grid
  DataExtent extent;  // the data extent the view is scaled by
  double Xcen = 0, Ycen = 0, Zcen = 0;
};

// With two or more height data, a square 10 % larger than their longer range,
// beginning 5 % of each range before them; with one, a square reaching to
// twice its coordinates. Without height data the dip data stand in; a window
// of no size, or a single point's window that misses the point, becomes a
// square centred on it, and no data at all a unit square at the origin.
// `extent` is the data extent over height and dip data, zminH and zmaxH the
// height range (Zcen is 0 when zminH > zmaxH, no heights).
FittedDataWindow FitDataWindow(const PreparedData& data, const DataExtent& extent, double zminH,
                               double zmaxH);

// While there is no grid, the fitted window stands in for the grid's extent
// and centre, which the view and the symbol sizes read.
inline void PlaceDataWindow(GridData& grid, const FittedDataWindow& fitted) {
  grid.Xmin = fitted.window.Xmin;
  grid.Xmax = fitted.window.Xmax;
  grid.Ymin = fitted.window.Ymin;
  grid.Ymax = fitted.window.Ymax;
  grid.Xcen = fitted.Xcen;
  grid.Ycen = fitted.Ycen;
  grid.Zcen = fitted.Zcen;
}

// Every record at its own height, none hidden. Records without a height sit
// on `grid`'s surface when one is given, else at the view's centre height;
// their labels left out where they would crowd (LabelsCrowd).
void DrawDataDistribution(DrawingSurface& surface, const ViewProjection& view,
                          const MapWindow& window, const MeasuredData& data,
                          const DataDisplaySettings& settings, const GridData* grid);

}  // namespace kessadon
