// Turning the block by hand in the drawing window: a drag with the left
// button turns the view direction and dip, the wheel changes the
// magnification. The view fields on the main window follow as if typed. While
// the hand moves, a quick picture of the thinned grid follows it, without
// contour lines or measured data; when it lets go, the whole picture comes
// back as the display commands drew it. Only a grid picture can be turned.
#pragma once

namespace kessadon::app {

struct MainContext;

void ConnectPictureDrag(MainContext& context);

}  // namespace kessadon::app
