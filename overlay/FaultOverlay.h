// Fault traces drawn over a picture, on the surface as drawn, hidden where
// the surface hides them, as the measured points are.
#pragma once

#include "io/FaultTraces.h"
#include "io/GridData.h"
#include "render/DrawingSurface.h"
#include "render/ViewProjection.h"

namespace kessadon {

inline constexpr Color kFaultColor = Rgb(139, 0, 0);  // dark red

// Each trace within the grid's extent, two pixels wide (scaled with the
// picture), a quarter of a cell at a time at the height of the highest
// corner of its cell: on the upper edge of a fault scarp.
void DrawFaultTraces(DrawingSurface& surface, const GridData& grid, const ViewProjection& view,
                     const FaultTraces& traces);

}  // namespace kessadon
