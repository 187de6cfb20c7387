// The display commands that draw the grid as lines, the commands that act on
// the picture as a whole (clear, save and copy), and the options ticked before
// drawing.
#pragma once

#include "render/RenderSurface.h"

namespace kessadon::app {

struct MainContext;

// What the options frame and the contour check box ask of every picture.
RenderOptions PictureRenderOptions(const MainContext& context);

// Shows the drawing window; one the user closed opens again as it first did,
// with an empty picture.
void ShowImageWindow(MainContext& context);

void cmdDisplayGrid_Click(MainContext& context);
void cmdDisplayContour_Click(MainContext& context);
void cmdSaveImage_Click(MainContext& context);
void cmdCopyImage_Click(MainContext& context);
// Unticking the frame unselects both of its options; choosing one ticks it.
void chkWaku_Click(MainContext& context, bool on);

void ConnectDisplayCommands(MainContext& context);

}  // namespace kessadon::app
