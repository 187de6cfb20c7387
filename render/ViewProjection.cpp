#include "ViewProjection.h"

#include <cmath>

#include "PixelRange.h"
#include "io/NumberText.h"

namespace kessadon {

void UpdatePixelScale(ViewProjection& view, const GridData& grid, const DataExtent& data,
                      double scaleWidth, double scaleHeight) {
  view.CenterX = ClampToPixel(scaleWidth / 2);
  view.CenterY = ClampToPixel(scaleHeight / 2);
  const double half = view.CenterX < view.CenterY ? view.CenterX : view.CenterY;

  view.ExtentX = (grid.Nx - 1) * grid.Dx;
  view.ExtentY = (grid.Ny - 1) * grid.Dy;
  if (view.ExtentX == 0 && view.ExtentY == 0) {
    view.ExtentX = data.XmaxH - data.XminH;
    view.ExtentY = data.YmaxH - data.YminH;
  }
  const double longer = view.ExtentX > view.ExtentY ? view.ExtentX : view.ExtentY;
  view.PixelScale = longer == 0 ? 0 : half / longer * view.Sca;
}

void UpdatePainterOrder(ViewProjection& view, const GridData& grid) {
  const PainterOrder xUp{1, grid.Nx, 1}, xDown{grid.Nx, 1, -1};
  const PainterOrder yUp{1, grid.Ny, 1}, yDown{grid.Ny, 1, -1};
  const double dx = view.EyeX - (grid.Xmin + grid.Xmax) / 2;
  const double dy = view.EyeY - (grid.Ymin + grid.Ymax) / 2;
  const double r = std::sqrt(dx * dx + dy * dy);
  if (r == 0) {
    view.XOrder = xUp;
    view.YOrder = yUp;
    return;
  }
  view.XOrder = dx / r >= 0 ? xUp : xDown;
  view.YOrder = dy / r >= 0 ? yUp : yDown;
}

bool UpdateViewProjection(ViewProjection& view, const GridData& grid, const DataExtent& data,
                          double scaleWidth, double scaleHeight) {
  UpdatePixelScale(view, grid, data, scaleWidth, scaleHeight);
  view.Xcen = grid.Xcen;
  view.Ycen = grid.Ycen;
  view.Zcen = grid.Zcen;

  const double alpha = view.Alpha * kDegree;
  const double gamma = view.Gamma * kDegree;
  const double sa = std::sin(alpha), ca = std::cos(alpha);
  const double sg = std::sin(gamma), cg = std::cos(gamma);
  view.RightX = -ca;
  view.RightY = sa;
  view.RightZ = 0;
  view.UpX = -sa * sg;
  view.UpY = -ca * sg;
  view.UpZ = cg;
  view.TowardX = sa * cg;
  view.TowardY = ca * cg;
  view.TowardZ = sg;

  view.EyeX = grid.Xcen + sa * view.Dist * cg;
  view.EyeY = grid.Ycen + ca * view.Dist * cg;
  view.EyeZ = grid.Zcen + sg * view.Dist;
  if (view.Dist == NoPerspective) view.Ppz = 0;

  UpdatePainterOrder(view, grid);
  return view.Sca > 0;
}

double ExaggerateHeight(const ViewProjection& view, double z) {
  const double lifted = z > view.Zbase ? z : view.Zbase;
  return view.Zcen + view.Ve * (lifted - view.Zcen);
}

std::optional<SurfacePoint> ProjectPoint(const ViewProjection& view, double x, double y, double z) {
  const double dx = x - view.Xcen, dy = y - view.Ycen, dz = z - view.Zcen;
  double a = dx * view.RightX + dy * view.RightY;
  double b = dx * view.UpX + dy * view.UpY + dz * view.UpZ;
  const double c = dx * view.TowardX + dy * view.TowardY + dz * view.TowardZ;
  if (view.Dist != NoPerspective) {
    // At or behind the eye a central projection has no image (or a mirrored one).
    const double ahead = view.Dist - c;
    if (!(ahead > 0)) return std::nullopt;
    const double k = (view.Dist - view.Ppz) / ahead;
    a = k * a;
    b = k * b;
  }
  const double px = IntFloorNearWhole(a * view.PixelScale) + view.CenterX;
  const double py = view.CenterY - IntFloorNearWhole(b * view.PixelScale);
  if (!FitsPixel(px) || !FitsPixel(py)) return std::nullopt;
  return SurfacePoint{static_cast<std::int32_t>(px), static_cast<std::int32_t>(py)};
}

}  // namespace kessadon
