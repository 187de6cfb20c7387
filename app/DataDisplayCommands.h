// The measured data on the picture: the display options frame, the overlay
// command, and the distribution view of the estimation frame.
#pragma once

#include "overlay/DataOverlay.h"

namespace kessadon::app {

struct MainContext;

// The options as the frame and the state hold them.
DataDisplaySettings DisplaySettings(const MainContext& context);

// The dip labels and the symbol scale apply only while symbols are shown.
void UpdateDataOptions(MainContext& context);

// The points over the current picture, those the surface hides left out.
void cmdDisplayData_Click(MainContext& context);

// The points in a plan window fitted around them when there is no grid yet,
// or over the current picture, none hidden, when there is.
void cmdDataView_Click(MainContext& context);

void ConnectDataDisplayFrame(MainContext& context);

}  // namespace kessadon::app
