// The contour frame: the levels taken on every edit, the band count, the
// automatic levels and the contour-line switch.
#pragma once

namespace kessadon::app {

struct MainContext;

void TakeContourLevels(MainContext& context);
void AutoContourLevels(MainContext& context);
// Whether the level fields read what the automatic levels write for the
// grid and the divisions as they stand: levels the person did not type.
bool LevelsAreAutomatic(const MainContext& context);
void chkContour_Click(MainContext& context);

// With contour lines ticked and so fine an interval that drawing them would
// take more than a few seconds, asks whether to draw; true to go on.
bool ConfirmContourWork(MainContext& context);

// Writes the contour lines of the levels shown (faults cutting them as in
// the pictures) to a GeoPackage, GeoJSON or Shapefile, in the grid's
// coordinate system, as `kessadon contours` does.
void cmdExportContours_Click(MainContext& context);

void ConnectContourFrame(MainContext& context);

}  // namespace kessadon::app
