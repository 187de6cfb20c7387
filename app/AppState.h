// The lasting working state of the main window, grouped as the panel groups it.
// Plain data: handlers read and write it, library operations take what they need.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "color/Color.h"
#include "color/ColorModes.h"
#include "color/ColorTable.h"
#include "color/ContourLevels.h"
#include "estimate/EstimationRun.h"
#include "estimate/GridRefinement.h"
#include "estimate/SurfaceEstimate.h"
#include "estimate/Uncertainty.h"
#include "io/Defaults.h"
#include "io/FaultTraces.h"
#include "io/GridData.h"
#include "io/MeasuredData.h"
#include "io/NodeArray.h"
#include "render/RenderSurface.h"
#include "render/ViewProjection.h"
#include "render/ViewSettings.h"

namespace kessadon::app {

struct MeasuredDataState {
  double DataType = 1;    // layout of the next file to load, 1 ... 5
  MeasuredData Records;   // every file loaded, with their paths
  PreparedData Prepared;  // height and dip data split from the records
  // Shown on the panel; the reset zeroes them while the records stay.
  std::int32_t Nh = 0, Nd = 0;
  double XminH = 0, XmaxH = 0, YminH = 0, YmaxH = 0, ZminH = 0, ZmaxH = 0;
  FaultTraces Faults;  // every fault file opened, until cleared
  // The coordinate system (WKT) of the GIS layers loaded, which grids
  // estimated from them take; "" when none said.
  std::string Crs;
};

// What an estimation was made from, so that the standard deviations of its
// heights can be computed when asked for.
struct EstimateInputs {
  PreparedData data;
  EstimationParameters params;
  EstimationResult run;           // with its grid, which the deviations read
  std::optional<SurfaceFit> fit;  // of the weights chosen for it, whose noise they take
};

// The weights the automatic choice put into the fields, and the parameters
// it applied them to: an estimate run with exactly these takes the choice's
// figures as the command line does.
struct ChosenWeights {
  WeightChoice choice;
  EstimationParameters params;
};

struct AppState {
  // Readiness flags, 0 or 1.
  int GridLoaded = 0;
  int ContourReady = 0;
  int LightReady = 0;
  int ViewReady = 0;
  int DataReady = 0;
  int HistoOn = 0;

  GridData Grid;
  // The grid resampled to other node counts, while it belongs to this grid.
  std::optional<RefinedGrid> Refined;
  std::string GridFileName;  // path of the grid file last read or saved
  std::string MemFileName;
  // The coordinate system of the grid (WKT) when a raster brought one; the
  // grid keeps it through refinement and hands it to rasters it is saved as.
  std::string GridCrs;
  // Coordinate systems given when saving this session, newest first, as typed
  // or picked ("EPSG:6677"), for the next save to offer.
  std::vector<std::string> RecentCrs;
  // Grids that exist only in memory: the grid as it arrived (estimated) and
  // the resampled one. Discarding either asks first.
  bool OriginalUnsaved = false;
  bool RefinedUnsaved = false;

  MeasuredDataState Data;

  // The estimation the loaded grid came from, while it is loaded; the
  // standard deviations of its heights once computed, with the levels their
  // picture takes, and whether the legend is theirs (their picture shown last).
  std::shared_ptr<const EstimateInputs> LastEstimate;
  // The last weight choice, while the data are the ones it was made on.
  std::optional<ChosenWeights> LastChoice;
  std::optional<GridData> Uncertainty;
  ContourLevels UncertaintyLevels;
  bool UncertaintyShown = false;
  // How they are computed: exact up to a size, in two levels beyond (a test
  // makes that size small).
  UncertaintySettings UncertaintyOptions;
  // How the weights are chosen (a test makes the size a grid is thinned beyond small).
  GcvSettings WeightOptions;

  ViewLightDefaults Defaults;

  // View: the settings taken from the panel and the projection derived from them.
  ViewProjection View;
  SavedViewValues SavedView;  // base and perspective while switched off

  // Contours and light.
  ContourLevels Levels;
  double Ro = 0, Th = 0;

  // Colours: the table chosen, the built-in pattern it came from (1 ... 4, or
  // the last one applied when a file was chosen since), and the palette of the
  // last colour drawing.
  ColorTable Colors;
  int ColorPattern = 1;
  Palette Pal;

  // Measured-data display.
  double ChrSize = 7;
  std::int32_t DataTextColor = kBlack;
  float SdBai = 1;

  // Estimation parameters.
  double M1 = 0, M2 = 1, AlphaStep = 0, Beta = 0, AlphaMin = 32, AlphaMax = 0, Nitr = 0;

  // Rendering.
  NodeArray<std::int32_t> CellColors;  // 0 ... max(Nx, 256) by 0 ... Ny
  kessadon::DisplayMode DisplayMode = kessadon::DisplayMode::Nothing;
  std::int32_t LineColor = kBlack;
};

}  // namespace kessadon::app
