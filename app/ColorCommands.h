// The colour table choice, the light settings and the three filled displays
// (black-and-white shade, colour contour, colour shade) with their legend.
#pragma once

namespace kessadon::app {

struct MainContext;

// Loads built-in pattern 1 ... 4, shows it and puts its colour count into the
// divisions field. A pattern that cannot be read leaves everything as it was.
void opt_Click(MainContext& context, int pattern);
void cmdColorTable_Click(MainContext& context);

void TakeLightSettings(MainContext& context);
void cmdDefaultLight_Click(MainContext& context);

void cmdDisplayShade_Click(MainContext& context);
void cmdDisplayColorContour_Click(MainContext& context);
void cmdDisplayColorShade_Click(MainContext& context);
void cmdColor_Click(MainContext& context);

void ConnectColorCommands(MainContext& context);

}  // namespace kessadon::app
