#include "Reprojection.h"

#include <ogr_srs_api.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
#include <sstream>

#include "Gdal.h"

namespace kessadon {
namespace {

struct SrsDeleter {
  void operator()(void* srs) const { OSRDestroySpatialReference(srs); }
};
using Srs = std::unique_ptr<void, SrsDeleter>;

// A system read from WKT with x east (longitude) and y north (latitude),
// whatever axis order its authority gives; nothing when GDAL cannot read it.
Srs ReadSrs(const std::string& wkt) {
  EnsureGdal();
  Srs srs(OSRNewSpatialReference(nullptr));
  if (OSRSetFromUserInput(srs.get(), wkt.c_str()) != OGRERR_NONE) return nullptr;
  OSRSetAxisMappingStrategy(srs.get(), OAMS_TRADITIONAL_GIS_ORDER);
  return srs;
}

// The plane rectangular zones' origins (latitude, longitude), zone I first;
// JGD2011's codes for them run from EPSG:6669.
struct ZoneOrigin {
  double latitude, longitude;
};
constexpr ZoneOrigin kPlaneRectangularOrigins[] = {{33, 129.5},
                                                   {33, 131},
                                                   {36, 132 + 1 / 6.0},
                                                   {33, 133.5},
                                                   {36, 134 + 1 / 3.0},
                                                   {36, 136},
                                                   {36, 137 + 1 / 6.0},
                                                   {36, 138.5},
                                                   {36, 139 + 5 / 6.0},
                                                   {40, 140 + 5 / 6.0},
                                                   {44, 140.25},
                                                   {44, 142.25},
                                                   {44, 144.25},
                                                   {26, 142},
                                                   {26, 127.5},
                                                   {26, 124},
                                                   {26, 131},
                                                   {20, 136},
                                                   {26, 154}};
constexpr int kFirstPlaneRectangularCode = 6669;
// JGD2011's UTM zones 51N to 55N.
constexpr int kFirstJapanUtmZone = 51, kLastJapanUtmZone = 55, kFirstJapanUtmCode = 6688;

bool NearJapan(double longitude, double latitude) {
  return longitude >= 122 && longitude <= 154 && latitude >= 20 && latitude <= 46;
}

std::string ReprojectionNote(const std::string& from, const std::string& to, std::size_t points) {
  return "座標を " + CrsDescription(from) + " から " + CrsDescription(to) + " に変換しました（" +
         std::to_string(points) + " 点）";
}

}  // namespace

bool IsGeographicCrs(const std::string& wkt) {
  if (wkt.empty()) return false;
  const Srs srs = ReadSrs(wkt);
  return srs != nullptr && OSRIsGeographic(srs.get()) != 0;
}

std::vector<std::string> SuggestedProjections(double longitude, double latitude) {
  std::vector<std::string> codes;
  if (!std::isfinite(longitude) || !std::isfinite(latitude)) return codes;
  const double lon = std::remainder(longitude, 360.0);  // -180 ... 180
  const int zone = std::clamp(static_cast<int>(std::floor((lon + 180) / 6)) + 1, 1, 60);
  if (NearJapan(lon, latitude)) {
    int nearest = 0;
    double best = INFINITY;
    for (int k = 0; k < static_cast<int>(std::size(kPlaneRectangularOrigins)); ++k) {
      const ZoneOrigin& o = kPlaneRectangularOrigins[k];
      const double dx = (lon - o.longitude) * std::cos(latitude * M_PI / 180);
      const double d = std::hypot(dx, latitude - o.latitude);
      if (d < best) best = d, nearest = k;
    }
    codes.push_back("EPSG:" + std::to_string(kFirstPlaneRectangularCode + nearest));
    if (zone >= kFirstJapanUtmZone && zone <= kLastJapanUtmZone) {
      codes.push_back("EPSG:" + std::to_string(kFirstJapanUtmCode + zone - kFirstJapanUtmZone));
      return codes;
    }
  }
  codes.push_back("EPSG:" + std::to_string((latitude >= 0 ? 32600 : 32700) + zone));
  return codes;
}

Result<std::string> WorkingCrs(const std::string& chosen, const std::vector<std::string>& systems,
                               double longitude, double latitude, const std::string& how) {
  std::string working = chosen;
  for (const std::string& crs : systems) {
    if (working.empty() && !crs.empty() && !IsGeographicCrs(crs)) working = crs;
  }
  std::string geographic = IsGeographicCrs(working) ? working : "";
  for (const std::string& crs : systems) {
    if (working.empty() && geographic.empty() && IsGeographicCrs(crs)) geographic = crs;
  }
  if (geographic.empty()) return working;
  std::string names;
  for (const std::string& code : SuggestedProjections(longitude, latitude)) {
    Result<std::string> wkt = CrsFromDefinition(code);
    names += (names.empty() ? "" : " か ") + (wkt ? CrsDescription(*wkt) : code);
  }
  std::string message = "座標系 " + CrsDescription(geographic) +
                        " は経緯度（度）で、メートルの格子には推定できません：" + how +
                        "投影座標系を指定してください";
  if (!names.empty()) message += "（データのある所なら例えば " + names + "）";
  return Failure{message};
}

Status TransformPoints(const std::string& from, const std::string& to, std::vector<double>& x,
                       std::vector<double>& y) {
  const Srs source = ReadSrs(from), target = ReadSrs(to);
  if (source == nullptr || target == nullptr) {
    return Failure{"座標系 " + (source == nullptr ? from : to) + " が分かりません"};
  }
  OGRCoordinateTransformationH transform =
      OCTNewCoordinateTransformation(source.get(), target.get());
  if (transform == nullptr) {
    return Failure{CrsDescription(from) + " から " + CrsDescription(to) +
                   " への変換がありません：" + GdalError("GDAL が受け付けません")};
  }
  std::vector<double> newX = x, newY = y;
  std::vector<int> placed(x.size(), 0);
  // Each point's own success says which failed; the call's result only that one did.
  OCTTransformEx(transform, static_cast<int>(x.size()), newX.data(), newY.data(), nullptr,
                 placed.data());
  OCTDestroyCoordinateTransformation(transform);
  for (std::size_t k = 0; k < x.size(); ++k) {
    if (placed[k] != 0 && std::isfinite(newX[k]) && std::isfinite(newY[k])) continue;
    std::ostringstream point;
    point << std::to_string(k + 1) << " 番目の点 (" << x[k] << ", " << y[k] << ")";
    return Failure{point.str() + " を " + CrsDescription(from) + " から " + CrsDescription(to) +
                   " に変換できません"};
  }
  x = std::move(newX);
  y = std::move(newY);
  return Ok();
}

Status ReprojectData(MeasuredData& data, const std::string& from, const std::string& to,
                     std::string* note) {
  if (from.empty() || to.empty() || SameCrs(from, to)) return Ok();
  Status moved = TransformPoints(from, to, data.DataX, data.DataY);
  if (!moved) return moved;
  for (std::size_t k = 0; k < data.DataX.size(); ++k) {
    if (const std::optional<std::string> far = PositionBeyondMarker(data.DataX[k], data.DataY[k])) {
      return Failure{"変換した先で " + *far};
    }
  }
  if (note != nullptr) *note = ReprojectionNote(from, to, data.DataX.size());
  return Ok();
}

Status ReprojectTraces(FaultTraces& traces, const std::string& from, const std::string& to,
                       std::string* note) {
  if (from.empty() || to.empty() || SameCrs(from, to)) return Ok();
  std::vector<double> x, y;
  for (const FaultTrace& trace : traces.traces) {
    x.insert(x.end(), trace.x.begin(), trace.x.end());
    y.insert(y.end(), trace.y.begin(), trace.y.end());
  }
  Status moved = TransformPoints(from, to, x, y);
  if (!moved) return moved;
  std::size_t at = 0;
  for (FaultTrace& trace : traces.traces) {
    for (std::size_t k = 0; k < trace.x.size(); ++k, ++at) {
      trace.x[k] = x[at];
      trace.y[k] = y[at];
    }
  }
  if (note != nullptr) *note = ReprojectionNote(from, to, x.size());
  return Ok();
}

}  // namespace kessadon
