// The display commands that draw the grid as lines, the commands that act on
// the picture as a whole (clear, save and copy), and the options ticked before
// drawing.
#pragma once

#include <QImage>
#include <functional>
#include <string>

#include "render/GridPicture.h"
#include "render/PictureFile.h"

namespace kessadon::app {

struct MainContext;

// The settings of display `mode` as the panel and the state hold them: the
// options frame, the contour check box, the light, the colour table, the
// levels and the band count shown beside them.
GridPictureSettings PanelPictureSettings(const MainContext& context, DisplayMode mode);

// Unless the person declines slow contour lines (false then), shows the
// drawing window and draws the picture into it. The caller has shown any
// refusal already.
bool ShowGridPicture(MainContext& context, const GridPictureSettings& settings);

// The grid picture with the fault traces the data tab holds
// (DrawFaultedGridPicture).
Status DrawGridPictureWithFaults(const MainContext& context, DrawingSurface& surface,
                                 const GridData& grid, ViewProjection& view, const DataExtent& data,
                                 NodeArray<Color>& cellColors, const GridPictureSettings& settings);

// Shows the drawing window; one the user closed opens again as it first did,
// with an empty picture.
void ShowImageWindow(MainContext& context);

void cmdDisplayGrid_Click(MainContext& context);
void cmdDisplayContour_Click(MainContext& context);
// Asks where to save a picture and saves it there in the format its name's
// ending gives: `shown` for a bitmap, `vector` to draw it again for SVG and PDF.
void SavePictureAsked(MainContext& context, const QImage& shown,
                      const std::function<Status(const std::string&, PictureFormat)>& vector);
void cmdSaveImage_Click(MainContext& context);
void cmdCopyImage_Click(MainContext& context);
// Unticking the frame unselects both of its options; choosing one ticks it.
void chkWaku_Click(MainContext& context, bool on);

void ConnectDisplayCommands(MainContext& context);

}  // namespace kessadon::app
