#include "PointLayers.h"

#include <cpl_conv.h>
#include <gdal.h>
#include <ogr_api.h>
#include <ogr_srs_api.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <optional>

#include "Gdal.h"
#include "io/NumberText.h"
#include "io/TextEncoding.h"

namespace kessadon {
namespace {

struct Closer {
  GDALDatasetH data;
  ~Closer() { GDALClose(data); }
};

Result<GDALDatasetH> OpenVector(const std::string& path) { return OpenVectorFile(path); }

bool HasPoints(OGRLayerH layer) {
  const OGRwkbGeometryType type = wkbFlatten(OGR_L_GetGeomType(layer));
  return type == wkbPoint || type == wkbMultiPoint;
}

// Points, or geometry of mixed kinds (as in GeoJSON) that may hold them.
bool MayHavePoints(OGRLayerH layer) {
  return HasPoints(layer) || wkbFlatten(OGR_L_GetGeomType(layer)) == wkbUnknown;
}

std::vector<std::string> FieldNames(OGRLayerH layer) {
  std::vector<std::string> names;
  OGRFeatureDefnH defn = OGR_L_GetLayerDefn(layer);
  names.reserve(static_cast<std::size_t>(OGR_FD_GetFieldCount(defn)));
  for (int k = 0; k < OGR_FD_GetFieldCount(defn); ++k) {
    names.emplace_back(OGR_Fld_GetNameRef(OGR_FD_GetFieldDefn(defn, k)));
  }
  return names;
}

std::string Quoted(const std::string& name) { return "\"" + name + "\""; }

// A field's name or value in a refusal: bounded, control characters shown.
std::string QuotedExcerpt(const std::string& text) { return Quoted(Excerpt(text)); }

// A Shapefile without its .dbf opens with no fields at all: refused where
// fields are wanted, that is where one is chosen or the points have no z.
Status FieldsReadable(const std::string& path, OGRLayerH layer, const ColumnChoice& choice) {
  if (!ShapefileLacks(path, ".dbf")) return Ok();
  const bool chosen = std::any_of(choice.name.begin(), choice.name.end(),
                                  [](const std::string& n) { return !n.empty() && n != kLeftOut; });
  if (!chosen && OGR_GT_HasZ(OGR_L_GetGeomType(layer)) != 0) return Ok();
  return Failure{
      "GIS のレイヤーとして開けません：付属ファイル .dbf がありません（属性が読めません）"};
}

// The layer asked for by name, or the first with points, or the first.
Result<OGRLayerH> ChooseLayer(GDALDatasetH data, const std::string& name) {
  const int count = GDALDatasetGetLayerCount(data);
  if (count == 0) return Failure{"レイヤーがありません"};
  if (!name.empty()) {
    if (OGRLayerH layer = GDALDatasetGetLayerByName(data, name.c_str())) return layer;
    std::string names;
    for (int k = 0; k < count; ++k) {
      names += (k == 0 ? "" : "、") + std::string(OGR_L_GetName(GDALDatasetGetLayer(data, k)));
    }
    return Failure{"レイヤー " + Quoted(name) + " がありません（あるのは " + names + "）"};
  }
  for (int k = 0; k < count; ++k) {
    if (HasPoints(GDALDatasetGetLayer(data, k))) return GDALDatasetGetLayer(data, k);
  }
  for (int k = 0; k < count; ++k) {
    if (MayHavePoints(GDALDatasetGetLayer(data, k))) return GDALDatasetGetLayer(data, k);
  }
  return GDALDatasetGetLayer(data, 0);
}

// Reads the features of one layer into records.
class FeatureReader {
 public:
  FeatureReader(OGRLayerH layer, std::vector<std::string> names, std::vector<int> columns,
                bool swapXY)
      : layer_(layer),
        name_(OGR_L_GetName(layer)),
        names_(std::move(names)),
        columns_(std::move(columns)),
        swapXY_(swapXY) {}

  Status Read(MeasuredData& data, std::vector<std::string>& notes) {
    OGR_L_ResetReading(layer_);
    while (OGRFeatureH feature = OGR_L_GetNextFeature(layer_)) {
      Status read = ReadFeature(feature, data);
      OGR_F_Destroy(feature);
      if (!read) return read;
    }
    if (data.DataX.empty()) return Failure{"レイヤー " + Quoted(name_) + " に地物がありません"};
    if (disagreements_ > 0) {
      notes.push_back("レイヤー " + Quoted(name_) + "：" + std::to_string(disagreements_) +
                      " 個の地物で点の z とフィールド " + Quoted(names_[Column(DataColumn::Z)]) +
                      " の値が違います（最初は地物 " + std::to_string(firstDisagreement_) +
                      "）。フィールドの値を使いました");
    }
    if (zFromPoints_) {
      notes.push_back("レイヤー " + Quoted(name_) + "：z は点の 3 次元座標から読みました");
    }
    if (swapXY_ && pointsSeen_) {
      notes.push_back("レイヤー " + Quoted(name_) +
                      "：点の座標はいつも東・北の順なので、x と y の入れ替えはしませんでした");
    }
    return Ok();
  }

 private:
  int Column(DataColumn c) const { return columns_[static_cast<int>(c)]; }

  // The field of quantity c as a number; nothing when the field is absent or empty.
  Result<std::optional<double>> Field(OGRFeatureH feature, DataColumn c, std::int64_t id) const {
    const int at = Column(c);
    if (at < 0 || !OGR_F_IsFieldSetAndNotNull(feature, at)) return std::optional<double>();
    const OGRFieldType type = OGR_Fld_GetType(OGR_F_GetFieldDefnRef(feature, at));
    if (type == OFTInteger || type == OFTInteger64 || type == OFTReal) {
      const double value = OGR_F_GetFieldAsDouble(feature, at);
      if (WithinValueBound(value)) return std::optional<double>(value);
    }
    const std::string text = OGR_F_GetFieldAsString(feature, at);
    Result<std::optional<double>> number = CellNumber(text);
    if (!number) {
      return Failure{"レイヤー " + Quoted(name_) + " の地物 " + std::to_string(id) +
                     "、フィールド " + QuotedExcerpt(names_[at]) + " の " + QuotedExcerpt(text) +
                     "：" + number.failure().message};
    }
    return number;
  }

  Status ReadFeature(OGRFeatureH feature, MeasuredData& data) {
    const std::int64_t id = OGR_F_GetFID(feature);
    // Its points, else its x and y fields: these are read only then.
    std::vector<std::array<double, 3>> at;
    Status placed = Points(OGR_F_GetGeometryRef(feature), id, at);
    if (!placed) return placed;
    double value[kDataColumns - 1] = {NoValue, NoValue};
    for (int c = at.empty() ? 0 : 2; c < kDataColumns - 1; ++c) {
      Result<std::optional<double>> read = Field(feature, static_cast<DataColumn>(c), id);
      if (!read) return read.failure();
      value[c] = read->value_or(c == int(DataColumn::Code) ? 0 : NoValue);
    }
    const std::optional<std::int16_t> code = ToInteger(value[int(DataColumn::Code)]);
    if (!code) {
      return Failure{"レイヤー " + Quoted(name_) + " の地物 " + std::to_string(id) +
                     " の code が整数の範囲外です"};
    }
    if (at.empty()) {
      if (value[0] == NoValue || value[1] == NoValue) {
        return Failure{"レイヤー " + Quoted(name_) + " の地物 " + std::to_string(id) +
                       " に点がなく、x と y の値もありません"};
      }
      at.push_back({value[0], value[1], NoValue});
    }
    for (const auto& p : at) {
      if (const std::optional<std::string> far = PositionBeyondMarker(p[0], p[1])) {
        return Failure{"レイヤー " + Quoted(name_) + " の地物 " + std::to_string(id) + "：" + *far};
      }
    }
    const int idColumn = Column(DataColumn::Id);
    const std::string name = idColumn >= 0 && OGR_F_IsFieldSetAndNotNull(feature, idColumn)
                                 ? OGR_F_GetFieldAsString(feature, idColumn)
                                 : std::to_string(id);
    const bool dip = value[4] != NoValue && value[5] != NoValue;
    for (const auto& [x, y, pointZ] : at) {
      double z = value[2];
      if (Column(DataColumn::Z) < 0 && pointZ != NoValue) {
        z = pointZ;
        zFromPoints_ = true;
      } else if (pointZ != NoValue && z != NoValue &&
                 std::fabs(pointZ - z) > 1e-9 * std::max(1.0, std::fabs(z))) {
        if (disagreements_++ == 0) firstDisagreement_ = id;
      }
      data.DataId.push_back(name);
      data.DataX.push_back(x);
      data.DataY.push_back(y);
      data.DataZ.push_back(z);
      data.DataL.push_back(*code);
      data.DataTrend.push_back(dip ? value[4] : NoValue);
      data.DataDip.push_back(dip ? value[5] : NoValue);
    }
    return Ok();
  }

  // The points of a point or multi-point, x and y (swapped as the columns
  // are) and z when it has one; none for other geometry.
  Status Points(OGRGeometryH g, std::int64_t id, std::vector<std::array<double, 3>>& out) const {
    const auto add = [&](OGRGeometryH point) {
      const double x = OGR_G_GetX(point, 0), y = OGR_G_GetY(point, 0);
      // A z that is no number (as some writers leave one) is no height of the point.
      double z = OGR_G_CoordinateDimension(point) == 3 ? OGR_G_GetZ(point, 0) : NoValue;
      if (std::isnan(z)) z = NoValue;
      // A point's coordinates are east and north whatever its fields are called.
      out.push_back({x, y, z});
      pointsSeen_ = true;
    };
    const OGRwkbGeometryType type = g != nullptr ? wkbFlatten(OGR_G_GetGeometryType(g)) : wkbNone;
    if (type == wkbPoint && !OGR_G_IsEmpty(g)) add(g);
    if (type == wkbMultiPoint) {
      for (int k = 0; k < OGR_G_GetGeometryCount(g); ++k) add(OGR_G_GetGeometryRef(g, k));
    }
    for (const auto& p : out) {
      if (!WithinValueBound(p[0]) || !WithinValueBound(p[1]) || !WithinValueBound(p[2])) {
        return Failure{"レイヤー " + Quoted(name_) + " の地物 " + std::to_string(id) +
                       " の座標が大きすぎます"};
      }
    }
    return Ok();
  }

 private:
  OGRLayerH layer_;
  std::string name_;
  std::vector<std::string> names_;
  std::vector<int> columns_;
  bool swapXY_;
  mutable bool pointsSeen_ = false;
  std::int64_t disagreements_ = 0, firstDisagreement_ = 0;
  bool zFromPoints_ = false;
};

}  // namespace

bool IsPointLayerFile(const std::string& path) {
  static const char* const kExtensions[] = {".gpkg", ".shp", ".geojson", ".json", ".kml",
                                            ".gml",  ".fgb", ".sqlite",  ".xlsx", ".ods"};
  std::string lower = path;
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return std::any_of(std::begin(kExtensions), std::end(kExtensions),
                     [&lower](const char* e) { return lower.ends_with(e); });
}

Result<std::vector<PointLayer>> ListPointLayers(const std::string& path) {
  Result<GDALDatasetH> data = OpenVector(path);
  if (!data) return data.failure();
  const Closer closer{*data};
  std::vector<PointLayer> layers;
  for (int k = 0; k < GDALDatasetGetLayerCount(*data); ++k) {
    OGRLayerH layer = GDALDatasetGetLayer(*data, k);
    layers.push_back({OGR_L_GetName(layer), FieldNames(layer), MayHavePoints(layer)});
  }
  return layers;
}

Result<PointLayerData> ReadPointLayer(const std::string& path, const std::string& layerName,
                                      const ColumnChoice& choice) {
  Result<GDALDatasetH> data = OpenVector(path);
  if (!data) return data.failure();
  const Closer closer{*data};
  Result<OGRLayerH> layer = ChooseLayer(*data, layerName);
  if (!layer) return layer.failure();
  Status fields = FieldsReadable(path, *layer, choice);
  if (!fields) return fields.failure();
  PointLayerData out;
  out.layer = OGR_L_GetName(*layer);
  const std::vector<std::string> names = FieldNames(*layer);
  // Points place a feature; its x and y fields only where it has none.
  Result<std::vector<int>> columns = FindColumns(names, choice, "レイヤー " + Quoted(out.layer));
  if (!columns) return columns.failure();
  const bool points = MayHavePoints(*layer);
  if (!points && ((*columns)[0] < 0 || (*columns)[1] < 0)) {
    return Failure{"レイヤー " + Quoted(out.layer) +
                   " には点がなく、x と y のフィールドも見つかりません（あるのは " +
                   ColumnNameList(names) + "）"};
  }
  const bool dips =
      (*columns)[int(DataColumn::Trend)] >= 0 && (*columns)[int(DataColumn::Dip)] >= 0;
  if ((*columns)[int(DataColumn::Z)] < 0 && !dips && !points) {
    return Failure{"レイヤー " + Quoted(out.layer) +
                   " に z のフィールドも trend と dip のフィールドも見つかりません（あるのは " +
                   ColumnNameList(names) + "）"};
  }
  FeatureReader reader(*layer, names, *columns, choice.swapXY);
  Status read = reader.Read(out.data, out.notes);
  if (!read) return read.failure();
  out.data.DataFileName.push_back(path);
  CountKinds(out.data);
  if (out.data.LastFile.heights == 0 && out.data.LastFile.dips == 0) {
    return Failure{"レイヤー " + Quoted(out.layer) +
                   " のどの地物にも高さも傾斜もありません（z のフィールドも trend と dip の"
                   "フィールドも見つからないか空です。あるのは " +
                   ColumnNameList(names) + "）"};
  }
  out.crs = LayerCrs(*layer);
  return out;
}

}  // namespace kessadon
