// Measured points drawn over a picture. Each point is placed on the surface as
// drawn (heights exaggerated for the view), skipped when the surface hides it
// from the eye, and given a mark or a strike/dip symbol and a label.
//
// Map units for positions and symbol lengths, pixels for marks, points for
// the label size; directions in degrees clockwise from north, dips in degrees
// below the horizontal.
#pragma once

#include <cstdint>
#include <string>

#include "io/GridData.h"
#include "io/MeasuredData.h"
#include "io/NodeArray.h"
#include "io/NumberText.h"
#include "render/DrawingSurface.h"
#include "render/ViewProjection.h"

namespace kessadon {

// The options of the measured-data display frame.
struct DataDisplaySettings {
  bool Symbols = true;    // strike/dip symbols (else elevation marks only)
  bool DipLabels = true;  // symbols labelled with their dip (and height)
  float SdBai = 1;        // scale of symbols and marks
  double ChrSize = 7;     // label size in points
  Color DataTextColor = Rgb(0, 0, 0);
  bool Labels = true;  // false: marks and symbols alone
  // Labels even where so many points crowd the picture that their labels
  // would cover it (else such pictures show the marks alone).
  bool CrowdedLabels = false;
};

// The map extent the symbols are sized by: the grid's, or the window the
// distribution view fitted around the data.
struct MapWindow {
  double Xmin = 0, Xmax = 0, Ymin = 0, Ymax = 0;
};
MapWindow MapWindowOf(const GridData& grid);

// One measured record. Z, Trend and Dip hold NoValue when absent; a trend
// counts as present below 1e7, a dip below 1e8, a height below 9e9.
struct DataPoint {
  double X = 0, Y = 0, Z = NoValue;
  std::int16_t L = 0;
  double Trend = NoValue, Dip = NoValue;

  bool HasHeight() const { return Z < NoValue; }
  bool HasStrikeDip() const { return Trend < 1e7 && Dip < 1e8; }
};
// Record k, 0-based.
DataPoint DataPointOf(const MeasuredData& data, std::int32_t k);

// The label: the dip, and the height in parentheses, for a strike/dip symbol
// (empty unless labels are asked for); the height for an elevation mark;
// empty when the record shows neither. Numbers in the signed form.
std::string DataPointLabel(const DataPoint& point, const DataDisplaySettings& settings);

// Draws one record: a strike/dip symbol in red, or an elevation mark by its
// code in orange, and its label in DataTextColor starting at the point. A
// record without a height is drawn at `surfaceZ` (already exaggerated).
void DrawDataPoint(DrawingSurface& surface, const ViewProjection& view, const MapWindow& window,
                   const DataPoint& point, double surfaceZ, const DataDisplaySettings& settings);

// Whether `count` labels of the settings' size would cover more than half of
// the surface: then, unless asked for, only the marks are drawn.
bool LabelsCrowd(DrawingSurface& surface, std::int64_t count, const DataDisplaySettings& settings);

// Every record placed on the grid's surface, those the surface hides skipped;
// their labels left out where they would crowd (LabelsCrowd): true then.
bool DrawMeasuredData(DrawingSurface& surface, const GridData& grid, const ViewProjection& view,
                      const MeasuredData& data, const DataDisplaySettings& settings);

}  // namespace kessadon
