// The nodes of a grid as a view projects them, kept for one picture: their
// pixels, the colours of the cells starting there and, for contour lines,
// their heights with the level numbers they give a cell. They are kept row by
// row (j major), unlike the grid, so that the cells, painted along i within a
// row, read memory in order. Node (i, j) is i along x, j along y, both from 1;
// cell (i, j) runs from node (i, j) one step along each painter order.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <optional>
#include <vector>

#include "CellBlocks.h"
#include "ContourLines.h"
#include "NodeBuffer.h"
#include "ViewProjection.h"
#include "color/ContourLevels.h"
#include "io/GridData.h"
#include "io/NodeArray.h"

namespace kessadon {

// What a picture needs of its projected nodes beyond their pixels and colours.
struct ProjectionNeeds {
  bool heights = false;  // for contour lines
  bool blocks = false;   // the cell blocks, for drawing in bands
  int blockSpread = 0;   // cells that a block's cells draw again beyond it
  int pixelRows = 0;     // rows of pixels to count the nodes of, for cutting bands
  // Cells (by their node of least i and j) whose levels are none: no contour
  // line crosses them. None when null.
  const NodeArray<std::uint8_t>* uncontoured = nullptr;
};

class ProjectedGrid {
 public:
  // Projects every node, on every thread.
  ProjectedGrid(const GridData& grid, const ViewProjection& view, const NodeArray<Color>& colors,
                const ContourLevels& levels, PainterOrder xOrder, PainterOrder yOrder,
                const ProjectionNeeds& needs);

  std::size_t At(int i, int j) const { return static_cast<std::size_t>(j) * rowLength_ + i; }
  std::size_t RowLength() const { return rowLength_; }
  std::size_t Size() const { return nodes_.Size(); }

  std::optional<SurfacePoint> Pixel(int i, int j) const {
    const Node& node = nodes_[At(i, j)];
    return node.projected ? std::optional<SurfacePoint>(node.at) : std::nullopt;
  }
  Color CellColor(int i, int j) const { return nodes_[At(i, j)].color; }

  // The projected corners of cell (i, j); false when one of them cannot be drawn.
  bool Corners(int i, int j, CellPoints& points) const {
    const int i2 = i + xStep_, j2 = j + yStep_;
    const Node &p1 = nodes_[At(i, j)], &p2 = nodes_[At(i2, j)], &p3 = nodes_[At(i2, j2)],
               &p4 = nodes_[At(i, j2)];
    if (!(p1.projected && p2.projected && p3.projected && p4.projected)) return false;
    points = {p1.at, p2.at, p3.at, p4.at, p1.at};
    return true;
  }

  // The heights of cell (i, j)'s corners, with heights.
  CellHeights Heights(int i, int j) const {
    const int i2 = i + xStep_, j2 = j + yStep_;
    const double z1 = heights_[At(i, j)].z;
    return {z1, heights_[At(i2, j)].z, heights_[At(i2, j2)].z, heights_[At(i, j2)].z, z1};
  }

  // LevelsWithin the lowest and highest corner of cell (i, j), with heights,
  // from the level numbers its nodes hold: no cell divides.
  LevelSpan CellLevels(int i, int j) const {
    if (levels_.Cin == 0) return {};
    const int i2 = i + xStep_, j2 = j + yStep_;
    if (uncontoured_ != nullptr && (*uncontoured_)(std::min(i, i2), std::min(j, j2)) != 0)
      return {};
    const Height* corners[4] = {&heights_[At(i, j)], &heights_[At(i2, j)], &heights_[At(i2, j2)],
                                &heights_[At(i, j2)]};
    const Height *lowest = corners[0], *highest = corners[0];
    for (int n = 1; n < 4; ++n) {
      if (corners[n]->z < lowest->z) lowest = corners[n];
      if (corners[n]->z > highest->z) highest = corners[n];
    }
    // Out of 32 bits the numbers were not kept; the few grids with such
    // levels take them cell by cell.
    if (levelsBeyond_) return LevelsWithin(levels_, lowest->z, highest->z);
    return {lowest->first, highest->last};
  }

  const CellBlocks& Blocks() const { return blocks_; }
  // The nodes by row of pixels they fall in, the rows beyond counted in the
  // first and last; empty unless asked for.
  const std::vector<std::int64_t>& RowNodes() const { return rowNodes_; }

 private:
  struct Node {
    SurfacePoint at;
    Color color;
    bool projected;
  };
  struct Height {
    double z;
    std::int32_t first, last;  // FirstLevelFrom, LastLevelTo
  };

  void ProjectStrip(int first, int last, std::vector<std::int64_t>& rowNodes);
  Height HeightOf(double z);

  const GridData& g_;
  const ViewProjection& v_;
  const NodeArray<Color>& colors_;
  const ContourLevels& levels_;
  const NodeArray<std::uint8_t>* uncontoured_;
  const int xStep_, yStep_;
  const std::size_t rowLength_;
  NodeBuffer<Node> nodes_;  // each written before it is read
  NodeBuffer<Height> heights_;
  std::atomic<bool> levelsBeyond_{false};  // a level number does not fit 32 bits
  CellBlocks blocks_;
  std::vector<std::int64_t> rowNodes_;
};

}  // namespace kessadon
