// What the drawing window shows, kept as the steps drawn since it was last
// cleared, so that the picture can be drawn again: with another view while the
// block is turned by hand, or onto another surface (a picture file). Clearing
// the picture or changing its background starts an empty recipe; closing the
// window or changing the grid under the picture loses it until the next
// clearing or grid picture.
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "overlay/DataDistribution.h"
#include "render/GridPicture.h"

namespace kessadon::app {

struct MainContext;

// A grid picture as a display command drew it; it clears the surface itself.
struct GridPictureStep {
  GridPictureSettings settings;
  ViewProjection view;       // as drawn, its pixel scale that of the window
  DataExtent data;           // the scale's stand-in for a grid without extent
  bool uncertainty = false;  // of the estimate's standard deviations, not the heights
};

// Measured data drawn over the picture: the overlay, which leaves out points
// the surface hides, or the distribution view.
struct DataPictureStep {
  enum class Kind { Overlay, Distribution };
  Kind kind = Kind::Overlay;
  DataDisplaySettings settings;
  ViewProjection view;  // as drawn
  DataExtent data;
  float width = 0, height = 0;  // of the surface it was drawn on
  MapWindow window;             // the distribution view's symbol window
  bool onGrid = false;          // the distribution view sat records on the grid
  std::shared_ptr<const MeasuredData> records;
};

struct PictureRecipe {
  // Whether the steps describe the picture; not after the grid changed under it.
  bool known = true;
  Color background = Rgb(255, 255, 255);  // of the cleared window, under data alone
  std::optional<GridPictureStep> grid;
  std::vector<DataPictureStep> data;

  // The thinned grid of quick pictures, made once for the grid picture.
  std::optional<GridData> thinned;
  NodeArray<Color> thinnedColors;
};

struct RedrawOptions {
  bool thinned = false;  // the grid thinned to a quick picture's cells
  bool overlays = true;  // measured data and contour lines
};

// Draws what the drawing window shows onto `target`, a surface of the same
// size: the grid picture from scratch, then the data drawn over it. False,
// drawing nothing, when no picture is known.
bool RedrawPicture(MainContext& context, DrawingSurface& target, const RedrawOptions& options);

// Whether the window shows a grid picture that RedrawPicture can draw again.
bool HasGridPicture(const MainContext& context);

// The grid picture just drawn into the window with these settings; the data
// steps before it went with the clearing it began with.
void RecordGridPicture(MainContext& context, const GridPictureSettings& settings,
                       bool uncertainty = false);
// Data just drawn over the window's picture, from the state's records and view.
void RecordDataOverlay(MainContext& context, const DataDisplaySettings& settings);
void RecordDataDistribution(MainContext& context, const DataDisplaySettings& settings,
                            const MapWindow& window, bool onGrid);

// The window was cleared to its background: nothing drawn since.
void PictureCleared(MainContext& context);
// The picture can no longer be drawn again: the grid changed under it or the
// window closed. A blank one, cleared and not drawn on since, stays known.
void ForgetPicture(MainContext& context);

// Every step draws with this view from now on, as after turning the block.
void ReplacePictureView(MainContext& context, const ViewProjection& view);

// Clearing and closing the drawing window keep the recipe in step.
void ConnectPictureRecipe(MainContext& context);

}  // namespace kessadon::app
