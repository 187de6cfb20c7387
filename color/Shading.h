// Relief shading: a grey level for every grid node from the slope of the
// surface there and a distant light. The light comes from the direction Ro
// (degrees clockwise from north) at the dip Th (degrees below the horizontal).
// The level is 252·c², c the cosine between the surface normal (−P, −Q, 1) and
// the direction towards the light; P and Q are the slopes along x (east) and y
// (north), central differences inside, one-sided at the edges.
#pragma once

#include <cstdint>

#include "io/GridData.h"
#include "io/NodeArray.h"

namespace kessadon {

struct LightSettings {
  double Ro = 0, Th = 0;
  int HistoOn = 0;  // 1: equalise the grey levels
};

// Writes grey levels 0 ... 252 into levels(1 ... Nx, 1 ... Ny), which must
// hold those nodes. A direction with one node has no slope.
void ComputeShading(const GridData& grid, double ro, double th, NodeArray<std::int32_t>& levels);

// Spreads the grey levels of nodes 1 ... Nx by 1 ... Ny over 0 ... 255 by
// matching their distribution to an even one. Levels that are all 0 carry no
// distribution to match and stay as they are; the result says whether it
// equalised.
bool EqualizeShading(std::int32_t nx, std::int32_t ny, NodeArray<std::int32_t>& levels);

// Shading, equalised when the settings ask for it.
void ShadeGrid(const GridData& grid, const LightSettings& light, NodeArray<std::int32_t>& levels);

// The black-and-white display: every grey level g becomes the grey of g / 2,
// so the picture runs from black to mid-grey.
void GreysFromLevels(std::int32_t nx, std::int32_t ny, NodeArray<std::int32_t>& levels);

}  // namespace kessadon
