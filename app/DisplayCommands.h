// The display commands that draw the grid as lines, and the commands that act
// on the picture as a whole: clear, save and copy.
#pragma once

namespace kessadon {

struct MainContext;

// Shows the drawing window; one the user closed opens again as it first did,
// with an empty picture.
void ShowImageWindow(MainContext& context);

void cmdDisplayGrid_Click(MainContext& context);
void cmdDisplayContour_Click(MainContext& context);
void cmdSaveImage_Click(MainContext& context);
void cmdCopyImage_Click(MainContext& context);

void ConnectDisplayCommands(MainContext& context);

}  // namespace kessadon
