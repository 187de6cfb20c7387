#include "FaultLayers.h"

#include <gdal.h>
#include <ogr_api.h>

#include <algorithm>
#include <cctype>
#include <cmath>

#include "Gdal.h"
#include "Reprojection.h"

namespace kessadon {
namespace {

// Appends the points of a line string; false when it has fewer than two.
bool AddLine(OGRGeometryH line, FaultTraces& out, int feature) {
  const int points = OGR_G_GetPointCount(line);
  if (points < 2) return false;
  FaultTrace trace;
  trace.line = feature;
  for (int k = 0; k < points; ++k) {
    trace.x.push_back(OGR_G_GetX(line, k));
    trace.y.push_back(OGR_G_GetY(line, k));
  }
  out.traces.push_back(std::move(trace));
  return true;
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

}  // namespace

Result<FaultTraces> ReadFaultTraceLayer(const std::string& path, std::string* crs) {
  Result<GDALDatasetH> opened = OpenVectorFile(path);
  if (!opened) return opened.failure();
  GDALDatasetH data = *opened;
  struct Closer {
    GDALDatasetH d;
    ~Closer() { GDALClose(d); }
  } closer{data};
  OGRLayerH layer = GDALDatasetGetLayerCount(data) > 0 ? GDALDatasetGetLayer(data, 0) : nullptr;
  if (layer == nullptr) return Failure{"レイヤーがありません"};
  FaultTraces out;
  OGR_L_ResetReading(layer);
  int feature = 0;
  while (OGRFeatureH f = OGR_L_GetNextFeature(layer)) {
    ++feature;
    OGRGeometryH g = OGR_F_GetGeometryRef(f);
    bool usable = true;
    if (g != nullptr) {
      const OGRwkbGeometryType type = wkbFlatten(OGR_G_GetGeometryType(g));
      if (type == wkbLineString) usable = AddLine(g, out, feature);
      if (type == wkbMultiLineString) {
        for (int k = 0; k < OGR_G_GetGeometryCount(g) && usable; ++k) {
          usable = AddLine(OGR_G_GetGeometryRef(g, k), out, feature);
        }
      }
    }
    OGR_F_Destroy(f);
    if (!usable) {
      return Failure{"地物 " + std::to_string(feature) +
                         " の断層線の点が 1 つしかありません（2 点以上必要です）",
                     feature};
    }
  }
  for (const FaultTrace& trace : out.traces) {
    for (std::size_t k = 0; k < trace.x.size(); ++k) {
      if (!std::isfinite(trace.x[k]) || !std::isfinite(trace.y[k])) {
        return Failure{"地物 " + std::to_string(trace.line) + " の座標が数値ではありません",
                       trace.line};
      }
    }
  }
  if (out.traces.empty()) return Failure{"最初のレイヤーに線の地物がありません"};
  if (crs != nullptr) *crs = LayerCrs(layer);
  return out;
}

Result<FaultTraces> ReadFaultTraces(const std::string& path, const std::string& workingCrs,
                                    std::string* note) {
  const std::size_t dot = path.find_last_of('.');
  const std::string extension = dot == std::string::npos ? "" : Lower(path.substr(dot));
  for (const char* layer :
       {".gpkg", ".shp", ".geojson", ".json", ".kml", ".gml", ".fgb", ".sqlite"}) {
    if (extension != layer) continue;
    std::string crs;
    Result<FaultTraces> traces = ReadFaultTraceLayer(path, &crs);
    if (!traces) return traces;
    Status moved = ReprojectTraces(*traces, crs, workingCrs, note);
    if (!moved) return moved.failure();
    return traces;
  }
  return ReadFaultTraceText(path);
}

}  // namespace kessadon
