// Fault traces drawn over a picture, on the surface as drawn, hidden where
// the surface hides them, as the measured points are; and the grid picture
// with its faults, as both fronts draw it.
#pragma once

#include "io/FaultTraces.h"
#include "io/GridData.h"
#include "io/NodeArray.h"
#include "io/Result.h"
#include "render/DrawingSurface.h"
#include "render/GridPicture.h"
#include "render/ViewProjection.h"

namespace kessadon {

inline constexpr Color kFaultColor = Rgb(139, 0, 0);  // dark red

// Each trace within the grid's extent, two pixels wide (scaled with the
// picture), a quarter of a cell at a time at the height of the highest
// corner of its cell: on the upper edge of a fault scarp.
void DrawFaultTraces(DrawingSurface& surface, const GridData& grid, const ViewProjection& view,
                     const FaultTraces& traces);

// DrawGridPicture with the traces: the cells they cut draw no contour lines
// (no stack of them on the scarp), and the traces are drawn over the picture
// once it is drawn. Without traces it is DrawGridPicture alone.
Status DrawFaultedGridPicture(DrawingSurface& surface, const GridData& grid, ViewProjection& view,
                              const DataExtent& data, NodeArray<Color>& cellColors,
                              const GridPictureSettings& settings, const FaultTraces& faults);

}  // namespace kessadon
