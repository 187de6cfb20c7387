// A scale bar with its lengths in map units and a north arrow, drawn over a
// plan picture: the bar at the bottom left, a fifth of the picture wide or
// less, in a length of 1, 2 or 5 times a power of ten; the arrow at the top
// right, pointing where north lies on the screen.
#pragma once

#include <string>

#include "DrawingSurface.h"
#include "ViewProjection.h"

namespace kessadon {

// Whether a picture in this view has one scale everywhere and shows north:
// seen from straight above, without perspective.
bool SeenFromAbove(const ViewProjection& view);

// The longest of 1, 2 or 5 times a power of ten that is not above `most`;
// 0 when `most` is not positive and finite.
double RoundLength(double most);

// Draws both in `color`, unless the view is not a plan view or has no scale;
// the bar's length followed by `unit` when one is given ("2000 m").
// The pen, brush and text state come back as they were.
void DrawScaleBar(DrawingSurface& surface, const ViewProjection& view, Color color,
                  const std::string& unit = {});

}  // namespace kessadon
