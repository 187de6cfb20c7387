#include "PictureRecipe.h"

#include "DisplayCommands.h"
#include "FormImage.h"
#include "MainContext.h"
#include "PictureBox.h"
#include "ViewCommands.h"
#include "render/ThinnedGrid.h"

namespace kessadon::app {
namespace {

// The thinned grid of the recipe's grid picture, made on first use.
const GridData& ThinnedGrid(PictureRecipe& recipe, const GridData& grid) {
  if (!recipe.thinned) {
    const int step = ThinningStep(grid);
    // A grid small enough already is drawn whole.
    recipe.thinned = step > 1 ? ThinGrid(grid, step) : GridData{};
  }
  return recipe.thinned->Nx > 0 ? *recipe.thinned : grid;
}

void DrawGridStep(MainContext& context, DrawingSurface& target, const RedrawOptions& options) {
  PictureRecipe& recipe = context.picture;
  AppState& s = context.state;
  GridPictureSettings settings = recipe.grid->settings;
  if (!options.overlays) settings.options.Contour = false;
  ViewProjection view = recipe.grid->view;
  // The settings drew once, so they are not refused now. Drawn whole, the
  // picture leaves the state's cell colours as its display command did.
  const GridData& shown = recipe.grid->uncertainty && s.Uncertainty ? *s.Uncertainty : s.Grid;
  if (options.thinned) {
    const GridData& grid = ThinnedGrid(recipe, shown);
    static_cast<void>(DrawGridPictureWithFaults(context, target, grid, view, recipe.grid->data,
                                                recipe.thinnedColors, settings));
  } else {
    static_cast<void>(DrawGridPictureWithFaults(context, target, shown, view, recipe.grid->data,
                                                s.CellColors, settings));
  }
}

void DrawDataStep(const AppState& s, DrawingSurface& target, const DataPictureStep& step) {
  ViewProjection view = step.view;
  // Drawn as it was, unless the target has another size.
  if (target.ScaleWidth() != step.width || target.ScaleHeight() != step.height) {
    UpdatePixelScale(view, s.Grid, step.data, target.ScaleWidth(), target.ScaleHeight());
  }
  if (step.kind == DataPictureStep::Kind::Overlay) {
    DrawMeasuredData(target, s.Grid, view, *step.records, step.settings);
  } else {
    DrawDataDistribution(target, view, step.window, *step.records, step.settings,
                         step.onGrid ? &s.Grid : nullptr);
  }
}

// The view, extent, size and records that went with the step.
void RecordDataStep(MainContext& context, DataPictureStep step) {
  PictureRecipe& recipe = context.picture;
  if (!recipe.known) return;
  const RasterSurface& surface = context.formImage->picImage->Surface();
  step.view = context.state.View;
  step.data = MeasuredExtent(context);
  step.width = surface.ScaleWidth();
  step.height = surface.ScaleHeight();
  step.records = std::make_shared<const MeasuredData>(context.state.Data.Records);
  recipe.data.push_back(std::move(step));
}

}  // namespace

bool RedrawPicture(MainContext& context, DrawingSurface& target, const RedrawOptions& options) {
  const PictureRecipe& recipe = context.picture;
  if (!recipe.known || (!recipe.grid && recipe.data.empty())) return false;
  if (recipe.grid) {
    DrawGridStep(context, target, options);
  } else {
    target.Cls();
    target.SetBackColor(recipe.background);
  }
  if (!options.overlays) return true;
  for (const DataPictureStep& step : recipe.data) DrawDataStep(context.state, target, step);
  return true;
}

bool HasGridPicture(const MainContext& context) {
  return context.picture.known && context.picture.grid.has_value();
}

void RecordGridPicture(MainContext& context, const GridPictureSettings& settings,
                       bool uncertainty) {
  PictureRecipe& recipe = context.picture;
  recipe = PictureRecipe{};
  recipe.grid = GridPictureStep{settings, context.state.View, MeasuredExtent(context), uncertainty};
}

void RecordDataOverlay(MainContext& context, const DataDisplaySettings& settings) {
  DataPictureStep step;
  step.kind = DataPictureStep::Kind::Overlay;
  step.settings = settings;
  RecordDataStep(context, std::move(step));
}

void RecordDataDistribution(MainContext& context, const DataDisplaySettings& settings,
                            const MapWindow& window, bool onGrid) {
  DataPictureStep step;
  step.kind = DataPictureStep::Kind::Distribution;
  step.settings = settings;
  step.window = window;
  step.onGrid = onGrid;
  RecordDataStep(context, std::move(step));
}

void PictureCleared(MainContext& context) {
  context.picture = PictureRecipe{};
  context.picture.background = context.formImage->picImage->BackColor();
}

void ForgetPicture(MainContext& context) {
  PictureRecipe& recipe = context.picture;
  // A window cleared and not drawn on since stays known: blank.
  if (recipe.known && !recipe.grid && recipe.data.empty()) return;
  recipe = PictureRecipe{};
  recipe.known = false;
}

void ReplacePictureView(MainContext& context, const ViewProjection& view) {
  PictureRecipe& recipe = context.picture;
  if (recipe.grid) recipe.grid->view = view;
  for (DataPictureStep& step : recipe.data) step.view = view;
}

void ConnectPictureRecipe(MainContext& context) {
  context.formImage->picImage->onCleared = [&context] { PictureCleared(context); };
  context.formImage->onClosed = [&context] { ForgetPicture(context); };
}

}  // namespace kessadon::app
