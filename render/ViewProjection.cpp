#include "ViewProjection.h"

#include <algorithm>
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

namespace {

// A world point in screen axes: right, up, and depth toward the eye, all
// measured from the grid centre.
struct Rotated {
  double a = 0, b = 0, c = 0;
};

Rotated Rotate(const ViewProjection& view, double x, double y, double z) {
  const double dx = x - view.Xcen, dy = y - view.Ycen, dz = z - view.Zcen;
  return {dx * view.RightX + dy * view.RightY, dx * view.UpX + dy * view.UpY + dz * view.UpZ,
          dx * view.TowardX + dy * view.TowardY + dz * view.TowardZ};
}

bool Perspective(const ViewProjection& view) { return view.Dist != NoPerspective; }

// The pixel of a rotated point that lies `ahead` in front of the eye. It
// answers in a flag and a point rather than an optional, which the compiler
// builds through the stack at a cost that shows in every node of a picture.
bool ToPixel(const ViewProjection& view, double a, double b, double ahead, SurfacePoint& at) {
  if (Perspective(view)) {
    const double k = (view.Dist - view.Ppz) / ahead;
    a = k * a;
    b = k * b;
  }
  const double px = IntFloorNearWhole(a * view.PixelScale) + view.CenterX;
  const double py = view.CenterY - IntFloorNearWhole(b * view.PixelScale);
  if (!FitsPixel(px) || !FitsPixel(py)) return false;
  at = {static_cast<std::int32_t>(px), static_cast<std::int32_t>(py)};
  return true;
}

std::optional<SurfacePoint> ToPixel(const ViewProjection& view, double a, double b, double ahead) {
  SurfacePoint at;
  if (!ToPixel(view, a, b, ahead, at)) return std::nullopt;
  return at;
}

// Whether a rotated point lies far enough in front of the eye; always under
// parallel projection.
bool InFront(const ViewProjection& view, const Rotated& p) {
  if (!Perspective(view)) return true;
  const double ahead = view.Dist - p.c;
  return ahead > 0 && ahead >= NearDistance(view);
}

std::optional<SurfacePoint> Project(const ViewProjection& view, const Rotated& p) {
  if (!InFront(view, p)) return std::nullopt;
  return ToPixel(view, p.a, p.b, view.Dist - p.c);
}

// Where the segment from p (in front) to q (not) meets the near plane, projected.
std::optional<SurfacePoint> ProjectOnNearPlane(const ViewProjection& view, const Rotated& p,
                                               const Rotated& q) {
  const double near = NearDistance(view);
  const double t = (view.Dist - p.c - near) / (q.c - p.c);
  return ToPixel(view, p.a + t * (q.a - p.a), p.b + t * (q.b - p.b), near);
}

// The largest depth toward the eye of the block the picture is drawn in.
double BlockNearestDepth(const ViewProjection& view, const GridData& grid) {
  const double x = (view.TowardX >= 0 ? grid.Xmax : grid.Xmin) - view.Xcen;
  const double y = (view.TowardY >= 0 ? grid.Ymax : grid.Ymin) - view.Ycen;
  double z = (ExaggerateHeight(view, grid.Zmin) - view.Zcen) * view.TowardZ;
  z = std::max(z, (ExaggerateHeight(view, grid.Zmax) - view.Zcen) * view.TowardZ);
  if (view.Zbase > NoBase) {
    z = std::max(z, (ExaggerateHeight(view, view.Zbase) - view.Zcen) * view.TowardZ);
  }
  return x * view.TowardX + y * view.TowardY + z;
}

}  // namespace

double NearDistance(const ViewProjection& view) { return std::abs(view.Dist) * 1e-3; }

std::optional<SurfacePoint> ProjectPoint(const ViewProjection& view, double x, double y, double z) {
  return Project(view, Rotate(view, x, y, z));
}

bool ProjectPointTo(const ViewProjection& view, double x, double y, double z, SurfacePoint& at) {
  const Rotated p = Rotate(view, x, y, z);
  return InFront(view, p) && ToPixel(view, p.a, p.b, view.Dist - p.c, at);
}

std::optional<std::pair<SurfacePoint, SurfacePoint>> ProjectSegment(const ViewProjection& view,
                                                                    WorldPoint a, WorldPoint b) {
  const Rotated p = Rotate(view, a.x, a.y, a.z), q = Rotate(view, b.x, b.y, b.z);
  const bool pIn = InFront(view, p), qIn = InFront(view, q);
  if (!pIn && !qIn) return std::nullopt;
  const auto from = pIn ? Project(view, p) : ProjectOnNearPlane(view, q, p);
  const auto to = qIn ? Project(view, q) : ProjectOnNearPlane(view, p, q);
  if (!from || !to) return std::nullopt;
  return std::pair{*from, *to};
}

std::vector<SurfacePoint> ProjectPolygon(const ViewProjection& view,
                                         std::span<const WorldPoint> corners) {
  std::vector<SurfacePoint> projected;
  const std::size_t n = corners.size();
  for (std::size_t k = 0; k < n; ++k) {
    const WorldPoint& a = corners[k];
    const WorldPoint& b = corners[(k + 1) % n];
    const Rotated p = Rotate(view, a.x, a.y, a.z), q = Rotate(view, b.x, b.y, b.z);
    const bool pIn = InFront(view, p), qIn = InFront(view, q);
    if (pIn) {
      const auto corner = Project(view, p);
      if (!corner) return {};
      projected.push_back(*corner);
    }
    if (pIn != qIn) {
      const auto cut = pIn ? ProjectOnNearPlane(view, p, q) : ProjectOnNearPlane(view, q, p);
      if (!cut) return {};
      projected.push_back(*cut);
    }
  }
  if (projected.size() < 3) projected.clear();
  return projected;
}

std::optional<std::string> PerspectiveRefusal(const ViewProjection& view, const GridData& grid) {
  if (!Perspective(view)) return std::nullopt;
  const std::string refused = std::string(kPerspectiveRefused);
  if (!std::isfinite(view.Dist) || !std::isfinite(view.Ppz)) {
    return "視点距離か透視面が大きすぎるため，" + refused +
           "。「視点距離」「透視面」を直してください";
  }
  if (!(view.Dist > 0)) {
    return "視点距離が 0 以下のため，" + refused +
           "。「視点距離」に 0 より大きい値を入れてください";
  }
  if (!(view.Ppz < view.Dist)) {
    return "透視面が視点と同じか視点より後ろにあるため，" + refused +
           "。「透視面」を「視点距離」より小さくしてください";
  }
  const double nearest = BlockNearestDepth(view, grid);
  if (view.Dist - nearest < NearDistance(view)) {
    // The smallest whole distance that keeps the block beyond the near plane.
    const double least = IntFloor(nearest / (1 - 1e-3)) + 1;
    return "視点が格子の立体の内側か後ろにあるため，" + refused + "。「視点距離」を " +
           FormatGeneral(least) + " 以上にしてください";
  }
  return std::nullopt;
}

}  // namespace kessadon
