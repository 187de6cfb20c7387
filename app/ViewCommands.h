// The view frame: every edit of a view field retakes the settings; the plan
// and default 3-D commands, and the base and perspective switches.
#pragma once

#include "render/ViewProjection.h"

namespace kessadon::app {

struct MainContext;

// Takes the seven view fields, derives the projection for the current grid and
// drawing window, raises ViewReady once the magnification is positive. A
// refused perspective lowers it, so nothing is drawn from that view, and says
// why in the status bar.
void UpdateViewProjection(MainContext& context);

// The extent of the prepared data, for the scale of a view without a grid extent.
DataExtent MeasuredExtent(const MainContext& context);

// Empty view fields show the settings that drawing would use for the new grid.
void ShowViewInFields(MainContext& context);

void cmd2D_Click(MainContext& context);
void cmd3DDefault_Click(MainContext& context);
// The default 3-D view, as cmd3DDefault sets it, for a drag that starts in the
// plan view; the direction and dip stay for the drag to turn, and the plan's
// zoom carries over.
void LeavePlanView(MainContext& context);
void chkBase_Click(MainContext& context, bool on);
void chkPers_Click(MainContext& context, bool on);

// Wires the view frame's fields and commands to the handlers above.
void ConnectViewFrame(MainContext& context);

}  // namespace kessadon::app
