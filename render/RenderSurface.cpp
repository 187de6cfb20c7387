#include "RenderSurface.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "ContourLines.h"
#include "NodeBuffer.h"
#include "PixelRange.h"
#include "ProjectedGrid.h"
#include "SurfaceBands.h"
#include "io/NumberText.h"
#include "io/WorkSplit.h"

namespace kessadon {
namespace {

using Pixel = std::optional<SurfacePoint>;

// The order for this grid. An order left from a grid of another size would run
// outside the arrays or never reach its end, so only its direction is kept.
PainterOrder OrderFor(const PainterOrder& order, std::int32_t n) {
  const PainterOrder up{1, n, 1}, down{n, 1, -1};
  if (order == up || order == down) return order;
  return order.Step < 0 ? down : up;
}

// Whether a cell starts at index k of a painter order: not at its end node.
bool HasCell(const PainterOrder& order, int k) {
  return (k - order.Start) * order.Step >= 0 && (order.End - k) * order.Step > 0;
}

// The pixels a projected cell spans.
struct PixelBox {
  std::int32_t left, top, right, bottom;
  bool Touches(const PixelBox& o) const {
    return left <= o.right && o.left <= right && top <= o.bottom && o.top <= bottom;
  }
};

RowSpan RowsOf(const CellPoints& p) {
  RowSpan rows{p[0].y, p[0].y};
  for (int k = 1; k < 4; ++k) rows.Add({p[k].y, p[k].y});
  return rows;
}

PixelBox BoxOf(const CellPoints& p) {
  PixelBox box{p[0].x, p[0].y, p[0].x, p[0].y};
  for (int k = 1; k < 4; ++k) {
    box.left = std::min(box.left, p[k].x);
    box.right = std::max(box.right, p[k].x);
    box.top = std::min(box.top, p[k].y);
    box.bottom = std::max(box.bottom, p[k].y);
  }
  return box;
}

// Where one pass over the cells draws: the whole surface, the cells in
// painter order as they come, or one band of it on a thread of its own.
struct CellPass {
  DrawingSurface& s;
  bool whole = true;
  // A band's rows, widened by kBandPad; a cell or block reaching none of
  // them draws nothing in the band.
  std::int32_t top = 0, bottom = 0;
  bool Reaches(const RowSpan& rows) const { return whole || rows.Meets(top, bottom); }
};

// A cell drawn with a pen of one pixel sets no row beyond its corners'; one
// row to spare.
constexpr std::int32_t kBandPad = 1;
// Bands hold about as much work each; a second band for each thread evens
// out what the estimate misses, and more bands only draw more cells twice.
constexpr int kBandsPerThread = 2;

// Twice the signed area of a projected cell.
std::int64_t DoubleArea(const CellPoints& p) {
  std::int64_t sum = 0;
  for (int k = 0; k < 4; ++k) {
    sum += static_cast<std::int64_t>(p[k].x) * p[k + 1].y -
           static_cast<std::int64_t>(p[k + 1].x) * p[k].y;
  }
  return sum;
}

// A line between computed whole-number positions, left out beyond the pixel range.
void LineAt(DrawingSurface& surface, double x1, double y1, double x2, double y2) {
  if (FitsPixel(x1) && FitsPixel(y1) && FitsPixel(x2) && FitsPixel(y2)) {
    surface.Line(static_cast<int>(x1), static_cast<int>(y1), static_cast<int>(x2),
                 static_cast<int>(y2));
  }
}

// A tick of `tick` pixels along an edge (dx, dy), or (tick, tick) for an edge
// of no length.
void TickVector(double dx, double dy, int tick, double& tx, double& ty) {
  const double length = std::sqrt(dx * dx + dy * dy);
  if (length == 0) {
    tx = ty = tick;
    return;
  }
  tx = IntFloor(dx / length * tick);
  ty = IntFloor(dy / length * tick);
}

class Renderer {
 public:
  Renderer(DrawingSurface& surface, const GridData& grid, const ViewProjection& view,
           const NodeArray<Color>& colors, const ContourLevels& levels,
           const RenderOptions& options)
      : s_(surface),
        g_(grid),
        v_(view),
        colors_(colors),
        levels_(levels),
        o_(options),
        xo_(OrderFor(view.XOrder, grid.Nx)),
        yo_(OrderFor(view.YOrder, grid.Ny)),
        outlines_(options.DisplayMode == DisplayMode::Grid),
        contours_(options.Contour && grid.Zmin != grid.Zmax),
        splitting_(Splitting(surface, grid)),
        p_(grid, view, colors, levels, xo_, yo_, Needs()) {}

  void Run() {
    if (o_.Contour) {
      // Room for the neighbours one step beyond the grid, which are never marked.
      marks_ = NodeBuffer<std::uint8_t>(p_.Size() + p_.RowLength() + 1);
      std::fill_n(marks_.Data(), marks_.Size(), std::uint8_t{0});
    }
    ProjectBase();
    s_.SetForeColor(o_.LineColor);
    s_.SetDrawStyle(kDrawSolid);
    s_.SetDrawWidth(1);
    if (v_.Zbase > NoBase) DrawPedestal();
    if (o_.ScaleLine) DrawScale();
    if (!DrawCellsInBands()) {
      CellPass whole{s_};
      ClearUpperVectorState();
      DrawCells(whole);
    }
    s_.SetForeColor(o_.LineColor);
    s_.SetDrawStyle(kDrawSolid);
    if (o_.Waku) DrawFrame();
  }

 private:
  std::size_t At(int i, int j) const { return p_.At(i, j); }
  Pixel N(int i, int j) const { return p_.Pixel(i, j); }
  WorldPoint World(double x, double y, double z) const { return {x, y, ExaggerateHeight(v_, z)}; }
  WorldPoint W(int i, int j) const { return World(g_.GridX[i], g_.GridY[j], g_.Z(i, j)); }
  Pixel Project(const WorldPoint& p) const { return ProjectPoint(v_, p.x, p.y, p.z); }
  Pixel Project(double x, double y, double z) const { return Project(World(x, y, z)); }

  // A line between two world points; when an end lies behind the near plane,
  // the part in front of it.
  void LineBetween(const Pixel& a, const Pixel& b, const WorldPoint& wa, const WorldPoint& wb) {
    if (a && b) {
      s_.Line(a->x, a->y, b->x, b->y);
    } else if (const auto cut = ProjectSegment(v_, wa, wb)) {
      s_.Line(cut->first.x, cut->first.y, cut->second.x, cut->second.y);
    }
  }
  void NodeLine(int i, int j, int i2, int j2) {
    LineBetween(N(i, j), N(i2, j2), W(i, j), W(i2, j2));
  }
  void BaseLine(int k, int l) { LineBetween(b_[k], b_[l], baseWorld_[k], baseWorld_[l]); }
  void PostLine(int i, int j, int k) { LineBetween(N(i, j), b_[k], W(i, j), baseWorld_[k]); }

  // The surface the cells may be drawn on in bands, when the grid is worth it.
  static BandSplitting* Splitting(DrawingSurface& surface, const GridData& grid) {
    const std::int64_t cells = std::int64_t{grid.Nx - 1} * (grid.Ny - 1);
    // The bands reach a pixel beyond a cell's rows, room for a pen of one
    // pixel only: pictures for print are drawn whole.
    if (cells < (RenderThreadsChosen() ? kChosenBandedCells : kBandedCells) ||
        RenderThreads() < 2 || surface.Scaled(1) != 1) {
      return nullptr;
    }
    return dynamic_cast<BandSplitting*>(&surface);
  }

  // Once per rendering; cells and frame reuse the projected nodes.
  ProjectionNeeds Needs() const {
    ProjectionNeeds needs;
    needs.heights = contours_;
    needs.uncontoured = o_.Uncontoured;
    needs.blocks = splitting_ != nullptr;
    // Each cell filled draws again the thin cells up to kThinRun behind it.
    needs.blockSpread = contours_ && !outlines_ ? kThinRun : 0;
    if (splitting_) needs.pixelRows = static_cast<int>(s_.ScaleHeight());
    return needs;
  }

  // B2 is the corner nearest the eye, B0 the farthest.
  void ProjectBase() {
    const double xs = g_.GridX[xo_.Start], xe = g_.GridX[xo_.End];
    const double ys = g_.GridY[yo_.Start], ye = g_.GridY[yo_.End];
    baseWorld_[0] = World(xs, ys, v_.Zbase);
    baseWorld_[1] = World(xs, ye, v_.Zbase);
    baseWorld_[2] = World(xe, ye, v_.Zbase);
    baseWorld_[3] = World(xe, ys, v_.Zbase);
    for (int k = 0; k < 4; ++k) b_[k] = Project(baseWorld_[k]);
  }

  void DrawPedestal() {
    BaseLine(1, 2);
    BaseLine(2, 3);
    BaseLine(3, 0);
    BaseLine(0, 1);
    PostLine(xo_.Start, yo_.End, 1);
    PostLine(xo_.End, yo_.End, 2);
    PostLine(xo_.End, yo_.Start, 3);
    PostLine(xo_.Start, yo_.Start, 0);
  }

  // Eleven ticks on each base edge meeting at the nearest corner, pointing
  // away from the base, and a vertical scale of six at the side corner
  // further right on screen.
  void DrawScale() {
    if (!b_[1] || !b_[2] || !b_[3]) return;
    const SurfacePoint b1 = *b_[1], b2 = *b_[2], b3 = *b_[3];
    const double dx1 = static_cast<double>(b3.x) - b2.x, dy1 = static_cast<double>(b3.y) - b2.y;
    const double dx2 = static_cast<double>(b2.x) - b1.x, dy2 = static_cast<double>(b2.y) - b1.y;
    const int tick = s_.Scaled(10);
    double t1x, t1y, t2x, t2y;
    TickVector(dx1, dy1, tick, t1x, t1y);
    TickVector(dx2, dy2, tick, t2x, t2y);
    for (int i = 0; i <= 10; ++i) {
      const double px = IntFloor(i * dx2 / 10) + b1.x, py = IntFloor(i * dy2 / 10) + b1.y;
      LineAt(s_, px, py, px - t1x, py - t1y);
      const double qx = IntFloor(i * dx1 / 10) + b2.x, qy = IntFloor(i * dy1 / 10) + b2.y;
      LineAt(s_, qx, qy, qx + t2x, qy + t2y);
    }

    const bool atB1 = b1.x > b3.x;
    const double cx = g_.GridX[atB1 ? xo_.Start : xo_.End];
    const double cy = g_.GridY[atB1 ? yo_.End : yo_.Start];
    const Pixel bottom = v_.Zbase > NoBase ? b_[atB1 ? 1 : 3] : Project(cx, cy, g_.Zmin);
    const Pixel top = Project(cx, cy, g_.Zmax);
    if (!bottom || !top) return;
    s_.Line(bottom->x, bottom->y, top->x, top->y);
    const double riseX = static_cast<double>(top->x) - bottom->x;
    const double riseY = static_cast<double>(top->y) - bottom->y;
    for (int k = 0; k <= 5; ++k) {
      const double x = IntFloor(k * riseX / 5) + bottom->x, y = IntFloor(k * riseY / 5) + bottom->y;
      LineAt(s_, x, y, x + tick, y);
    }
  }

  // The serial pass marks the cells that drew as it goes; bands read the
  // marks MarkCells left, and skip the cells that draw nothing.
  void Contours(CellPass& pass, int i, int j, const CellPoints& points) {
    if (!pass.whole) {
      if (marks_[At(i, j)] & kDrew) {
        DrawCellContours(pass.s, points, p_.Heights(i, j), p_.CellLevels(i, j), levels_, g_.Zeps);
      }
      return;
    }
    if (DrawCellContours(pass.s, points, p_.Heights(i, j), p_.CellLevels(i, j), levels_, g_.Zeps)) {
      marks_[At(i, j)] |= kDrew;
    }
  }

  // A cell of half a pixel or less, as on grids finer than the picture, fills
  // hardly a pixel of its own: its contour pieces lie on pixels that the cells
  // after it fill, which would cut them into dashes. Each cell just filled
  // draws again those of the thin cells painted before it that reach into it,
  // along its row, its column and both diagonals back, as long as they are thin.
  static constexpr int kBack[4][2] = {{-1, 0}, {0, -1}, {-1, -1}, {1, -1}};
  // Cell marks: thin; drew contour pieces; kLead << d: thin, and it or the
  // thin cells behind it in direction d drew some.
  static constexpr std::uint8_t kThin = 1, kDrew = 2, kLead = 4;
  static constexpr int kThinRun = 16;  // a longer run leads away from the cell

  std::ptrdiff_t Back(int d) const {
    return std::ptrdiff_t{kBack[d][0]} * xo_.Step +
           std::ptrdiff_t{kBack[d][1]} * yo_.Step * static_cast<std::ptrdiff_t>(p_.RowLength());
  }

  void MarkThin(std::ptrdiff_t at) {
    std::uint8_t mark = marks_[at] | kThin;
    for (int d = 0; d < 4; ++d) {
      if ((mark & kDrew) || (marks_[at + Back(d)] & (kLead << d))) mark |= kLead << d;
    }
    marks_[at] = mark;
  }

  // Before the bands: the marks the serial pass leaves behind each cell, which
  // depend on the cells before it. Whether a cell is thin and drew is its own
  // affair, and its lead along the row depends on its row alone: those are
  // found on all threads, a row each. Knowing which cells drew also spares the
  // bands the cells without contour pieces.
  void MarkCells() {
    const int sx = xo_.Step, sy = yo_.Step;
    SplitRange(1, g_.Ny, g_.Nx, [&](int from, int to) {
      CellPoints points;
      for (int row = from; row < to; ++row) {
        const int j = sy > 0 ? row : row + 1;
        std::uint8_t before = 0;  // the cell before in the row
        for (int i = xo_.Start; i != xo_.End; i += sx) {
          std::uint8_t mark = 0;
          if (p_.Corners(i, j, points)) {
            if (CellHasContours(points, p_.Heights(i, j), p_.CellLevels(i, j), levels_, g_.Zeps)) {
              mark = kDrew;
            }
            if (std::abs(DoubleArea(points)) <= 1) {
              mark |= kThin;
              if ((mark & kDrew) || (before & kLead)) mark |= kLead;
            }
          }
          marks_[At(i, j)] = mark;
          before = mark;
        }
      }
    });
    MarkLeadsFromRowsBehind();
  }

  // The leads along columns and diagonals (d = 1, 2, 3), each row from the
  // one painted before it: a whole row at a time, as MarkThin gives them.
  void MarkLeadsFromRowsBehind() {
    constexpr std::uint8_t kColumn = kLead << 1, kDiagonals = (kLead << 2) | (kLead << 3);
    static_assert(kBack[1][0] == 0 && kBack[2][0] == -1 && kBack[3][0] == 1);
    const int sx = xo_.Step, sy = yo_.Step;
    const int lo = std::min(xo_.Start, xo_.End - sx), hi = std::max(xo_.Start, xo_.End - sx);
    std::uint8_t* marks = marks_.Data();
    for (int j = yo_.Start; j != yo_.End; j += sy) {
      // This row, the row behind, and there the neighbours before and after
      // each cell (kBack[2], kBack[3]).
      std::uint8_t* row = marks + At(0, j);
      const std::uint8_t* behind = marks + At(0, j - sy);
      for (int i = lo; i <= hi; ++i) {
        const std::uint8_t mark = row[i];
        const std::uint8_t from = (behind[i] & kColumn) | (behind[i - sx] & (kLead << 2)) |
                                  (behind[i + sx] & (kLead << 3));
        const std::uint8_t drew = (mark & kDrew) ? kColumn | kDiagonals : 0;
        row[i] = (mark & kThin) ? mark | drew | from : mark;
      }
    }
  }

  void RestoreThinNeighbours(CellPass& pass, int i, int j, const CellPoints& filled) {
    const auto at = static_cast<std::ptrdiff_t>(At(i, j));
    std::optional<PixelBox> reach;
    CellPoints points;
    for (int d = 0; d < 4; ++d) {
      const std::uint8_t lead = kLead << d;
      if (!(marks_[at + Back(d)] & lead)) continue;
      const int di = kBack[d][0] * xo_.Step, dj = kBack[d][1] * yo_.Step;
      int ci = i + di, cj = j + dj;
      for (int run = 0; run < kThinRun && HasCell(xo_, ci) && HasCell(yo_, cj); ++run) {
        const std::uint8_t mark = marks_[At(ci, cj)];
        if (!(mark & lead)) break;
        if (mark & kDrew) {
          p_.Corners(ci, cj, points);
          if (!reach) reach = BoxOf(filled);
          if (!reach->Touches(BoxOf(points))) break;
          if (pass.Reaches(RowsOf(points))) Contours(pass, ci, cj, points);
        }
        ci += di;
        cj += dj;
      }
    }
  }

  // The part of a cell in front of the near plane, without contour lines.
  void FillClipped(DrawingSurface& s, int i, int j) {
    const int i2 = i + xo_.Step, j2 = j + yo_.Step;
    const WorldPoint corners[4] = {W(i, j), W(i2, j), W(i2, j2), W(i, j2)};
    const std::vector<SurfacePoint> clipped = ProjectPolygon(v_, corners);
    if (!clipped.empty()) s.Polygon(clipped);
  }

  // The pen and brush a cell is filled with.
  void CellStyle(DrawingSurface& s, Color color) const {
    if (outlines_) {
      s.SetFillStyle(kFillTransparent);
      s.SetForeColor(o_.LineColor);
      s.SetDrawStyle(kDrawSolid);
    } else {
      s.SetFillStyle(kFillSolid);
      s.SetForeColor(color);
      s.SetDrawStyle(kDrawInvisible);
    }
    s.SetFillColor(color);
  }

  void LinePen(DrawingSurface& s) const {
    s.SetForeColor(o_.LineColor);
    s.SetDrawStyle(kDrawSolid);
  }

  void DrawCell(CellPass& pass, int i, int j) {
    DrawingSurface& s = pass.s;
    CellPoints points;
    const bool drawable = p_.Corners(i, j, points);
    if (drawable && !pass.Reaches(RowsOf(points))) {
      // Nothing of the cell lies in the band, but thin cells it draws again may.
      if (contours_ && !outlines_ && DoubleArea(points) != 0) {
        LinePen(s);
        RestoreThinNeighbours(pass, i, j, points);
      }
      return;
    }
    CellStyle(s, p_.CellColor(i, j));
    if (drawable) {
      s.Polygon(std::span<const SurfacePoint>(points.data(), 4));
    } else if (v_.Dist != NoPerspective) {
      FillClipped(s, i, j);
    }
    if (!o_.Contour) return;
    LinePen(s);
    if (contours_ && drawable) {
      Contours(pass, i, j, points);
      const std::int64_t area = std::abs(DoubleArea(points));
      if (area <= 1 && pass.whole) MarkThin(static_cast<std::ptrdiff_t>(At(i, j)));
      if (!outlines_ && area != 0) RestoreThinNeighbours(pass, i, j, points);
    }
  }

  // Every cell in painter order; a band skips the blocks of cells outside it.
  void DrawCells(CellPass& pass) {
    const int sx = xo_.Step, sy = yo_.Step, width = CellBlocks::kWidth;
    for (int j = yo_.Start; j != yo_.End; j += sy) {
      const int row = std::min(j, j + sy);
      for (int i = xo_.Start; i != xo_.End;) {
        // Where the block of cell i ends, in painter order.
        const int block = CellBlocks::BlockOf(std::min(i, i + sx));
        const int end = sx > 0 ? std::min(block * width + width + 1, xo_.End) : block * width + 1;
        if (!pass.whole && !pass.Reaches(p_.Blocks().Cells(std::min(i, i + sx), row))) {
          i = end;
          continue;
        }
        for (; i != end; i += sx) DrawCell(pass, i, j);
      }
    }
  }

  // The cells on every thread, each drawing its bands of the picture. Every
  // pixel sees the writes it sees in the serial pass, in the same order.
  bool DrawCellsInBands() {
    if (!splitting_) return false;
    // Bands of about as many nodes each, which is about as much to draw.
    std::vector<SurfaceBand> bands =
        splitting_->SplitIntoBands(EvenCuts(p_.RowNodes(), RenderThreads() * kBandsPerThread));
    if (bands.size() < 2) return false;
    if (contours_) MarkCells();
    RunParts(static_cast<int>(bands.size()), [&](int k) {
      const SurfaceBand& band = bands[static_cast<std::size_t>(k)];
      CellPass pass{*band.surface, false, band.top - kBandPad, band.bottom - 1 + kBandPad};
      DrawCells(pass);
    });
    bands.clear();
    // The pen and brush as the last cell leaves them.
    CellStyle(s_, p_.CellColor(xo_.End - xo_.Step, yo_.End - yo_.Step));
    return true;
  }

  // Row Ye and column Xe are the edges nearest the eye.
  void DrawFrame() {
    const int sx = xo_.Step, sy = yo_.Step;
    auto row = [&](int j) {
      for (int i = xo_.Start; i != xo_.End; i += sx) NodeLine(i, j, i + sx, j);
    };
    auto column = [&](int i) {
      for (int j = yo_.Start; j != yo_.End; j += sy) NodeLine(i, j, i, j + sy);
    };
    row(yo_.End);
    column(xo_.End);
    if (o_.Waku4) {
      row(yo_.Start);
      column(xo_.Start);
    }
  }

  DrawingSurface& s_;
  const GridData& g_;
  const ViewProjection& v_;
  const NodeArray<Color>& colors_;
  const ContourLevels& levels_;
  const RenderOptions& o_;
  const PainterOrder xo_, yo_;
  const bool outlines_;  // grid lines rather than filled cells
  const bool contours_;  // contour lines
  BandSplitting* const splitting_;
  const ProjectedGrid p_;
  NodeBuffer<std::uint8_t> marks_;  // of the cells painted so far, for contour lines
  Pixel b_[4];
  WorldPoint baseWorld_[4];
};

// The renderer reads nodes 1 ... Nx by 1 ... Ny of every array.
bool Renderable(const GridData& grid, const NodeArray<Color>& colors) {
  const auto nx = static_cast<std::size_t>(grid.Nx), ny = static_cast<std::size_t>(grid.Ny);
  return grid.Nx >= 1 && grid.Ny >= 1 && grid.Z.UpperI() >= grid.Nx && grid.Z.UpperJ() >= grid.Ny &&
         grid.GridX.size() > nx && grid.GridY.size() > ny && colors.UpperI() >= grid.Nx &&
         colors.UpperJ() >= grid.Ny;
}

}  // namespace

void RenderSurface(DrawingSurface& surface, const GridData& grid, const ViewProjection& view,
                   const NodeArray<Color>& cellColors, const ContourLevels& levels,
                   const RenderOptions& options) {
  if (!Renderable(grid, cellColors)) return;
  Renderer(surface, grid, view, cellColors, levels, options).Run();
}

}  // namespace kessadon
