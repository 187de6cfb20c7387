// Views and node colours for the picture tests.
#pragma once

#include <string>

#include "color/Color.h"
#include "io/GridData.h"
#include "io/NodeArray.h"
#include "render/ViewProjection.h"
#include "render/ViewSettings.h"

namespace kessadon::testing {

// A view taken from texts, as the panel takes it, for a window of the given size.
inline ViewProjection ViewOf(const ViewTexts& texts, const GridData& grid, double width,
                             double height) {
  ViewProjection view;
  TakeViewSettings(view, texts, grid, DataExtent{}, width, height);
  return view;
}

inline ViewTexts ThreeD(double alpha, double gamma, double zbase = NoBase,
                        double dist = NoPerspective, double ppz = 0, double sca = 1) {
  ViewTexts texts;
  texts.Alpha = std::to_string(alpha);
  texts.Gamma = std::to_string(gamma);
  texts.Sca = std::to_string(sca);
  texts.Ve = std::string("1");
  texts.Zbase = std::to_string(zbase);
  texts.Dist = dist == NoPerspective ? std::string("10000000000") : std::to_string(dist);
  texts.Ppz = std::to_string(ppz);
  return texts;
}

// Every node its own colour, so a cell's colour tells which corner it came from.
inline NodeArray<Color> NodeColors(const GridData& grid) {
  NodeArray<Color> colors(grid.Nx > 256 ? grid.Nx : 256, grid.Ny);
  for (int i = 1; i <= grid.Nx; ++i) {
    for (int j = 1; j <= grid.Ny; ++j) colors(i, j) = Rgb(i, j, 200);
  }
  return colors;
}

}  // namespace kessadon::testing
