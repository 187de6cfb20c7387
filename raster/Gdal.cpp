#include "Gdal.h"

#include <cpl_conv.h>
#include <cpl_error.h>
#include <cpl_string.h>
#include <gdal.h>
#include <ogr_api.h>
#include <ogr_srs_api.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <mutex>

#include "io/TextEncoding.h"

namespace kessadon {
namespace {

struct Extension {
  const char* ext;
  const char* driver;
  DriverKind kind;
};
// The formats a name's extension chooses; any other creatable driver by --format.
constexpr Extension kExtensions[] = {
    {".tif", "GTiff", DriverKind::Raster},
    {".tiff", "GTiff", DriverKind::Raster},
    {".asc", "AAIGrid", DriverKind::Raster},
    {".nc", "netCDF", DriverKind::Raster},
    {".img", "HFA", DriverKind::Raster},
    {".gpkg", "GPKG", DriverKind::Vector},
    {".geojson", "GeoJSON", DriverKind::Vector},
    {".json", "GeoJSON", DriverKind::Vector},
    {".shp", "ESRI Shapefile", DriverKind::Vector},
};

std::string LowerExtension(const std::string& path) {
  std::string ext = std::filesystem::path(path).extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return ext;
}

// Side files that speak for a dataset: GDAL's own .aux.xml always, and the
// .prj of the formats that keep their coordinate system there.
std::vector<std::string> SideFiles(const std::string& path, const std::string& stem) {
  std::vector<std::string> files{path + ".aux.xml"};
  const std::string ext = LowerExtension(path);
  if (ext == ".asc" || ext == ".shp") files.push_back(stem + ".prj");
  return files;
}

}  // namespace

void EnsureGdal() {
  static std::once_flag once;
  std::call_once(once, [] {
    GDALAllRegister();
    // Errors are read back and reported by the caller, not printed.
    CPLSetErrorHandler(CPLQuietErrorHandler);
  });
}

std::string GdalError(const std::string& fallback) {
  const char* message = CPLGetLastErrorMsg();
  if (message == nullptr || *message == '\0') return fallback;
  std::string text = message;
  std::replace(text.begin(), text.end(), '\n', ' ');
  return text;
}

bool ShapefileLacks(const std::string& path, const std::string& extension) {
  if (LowerExtension(path) != ".shp") return false;
  // GDAL looks for the side file in lower and in upper case.
  std::string upper = extension;
  std::transform(upper.begin(), upper.end(), upper.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  const std::string stem = std::filesystem::path(path).replace_extension().string();
  std::error_code error;
  return !std::filesystem::exists(stem + extension, error) &&
         !std::filesystem::exists(stem + upper, error);
}

Result<GDALDatasetH> OpenVectorFile(const std::string& path) {
  EnsureGdal();
  CPLErrorReset();
  GDALDatasetH data =
      GDALOpenEx(path.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY, nullptr, nullptr, nullptr);
  if (data != nullptr) return data;
  // GDAL says nothing of a missing or unreadable file, nor of most files it
  // does not know, and in English where it speaks.
  const std::string gdal = Excerpt(GdalError(""), 300);
  std::string reason;
  std::error_code error;
  if (!std::filesystem::exists(path, error)) {
    reason = "ファイルがありません";
  } else if (::access(path.c_str(), R_OK) != 0) {
    reason = "アクセスが許可されていません";
  } else if (ShapefileLacks(path, ".shx")) {
    reason = "付属ファイル .shx がありません";
  } else if (gdal.empty()) {
    reason = "形式が分からないか、ファイルが壊れています";
  }
  if (reason.empty()) return Failure{"GIS のレイヤーとして開けません：" + gdal};
  return Failure{"GIS のレイヤーとして開けません：" + reason +
                 (gdal.empty() ? "" : "（" + gdal + "）")};
}

std::string RasterFormatName(const std::string& driver) {
  EnsureGdal();
  GDALDriverH d = GDALGetDriverByName(driver.c_str());
  return d != nullptr ? GDALGetDriverLongName(d) : driver;
}

std::string RasterDriverForExtension(const std::string& path) {
  const std::string ext = LowerExtension(path);
  for (const Extension& e : kExtensions) {
    if (e.kind == DriverKind::Raster && ext == e.ext) return e.driver;
  }
  return {};
}

Result<GDALDriverH> DriverFor(const std::string& path, const std::string& format, DriverKind kind) {
  EnsureGdal();
  std::string name = format;
  if (name.empty()) {
    const std::string ext = LowerExtension(path);
    for (const Extension& e : kExtensions) {
      if (e.kind == kind && ext == e.ext) name = e.driver;
    }
  }
  if (name.empty()) {
    return Failure{kind == DriverKind::Raster ? "拡張子から形式が分かりません（.tif .asc .nc "
                                                ".img、ほかは --format で GDAL の形式名を指定）"
                                              : "拡張子から形式が分かりません（.gpkg .geojson "
                                                ".shp、ほかは --format で GDAL の形式名を指定）"};
  }
  GDALDriverH driver = GDALGetDriverByName(name.c_str());
  const char* capability = kind == DriverKind::Raster ? GDAL_DCAP_RASTER : GDAL_DCAP_VECTOR;
  if (driver == nullptr || GDALGetMetadataItem(driver, capability, nullptr) == nullptr) {
    return Failure{"形式 " + name + " は" + (kind == DriverKind::Raster ? "ラスター" : "ベクター") +
                   "の形式として使えません"};
  }
  const bool creates = GDALGetMetadataItem(driver, GDAL_DCAP_CREATE, nullptr) != nullptr ||
                       GDALGetMetadataItem(driver, GDAL_DCAP_CREATECOPY, nullptr) != nullptr;
  if (!creates) return Failure{"形式 " + name + " は書き出せません"};
  return driver;
}

Result<std::string> CrsFromDefinition(const std::string& definition) {
  EnsureGdal();
  OGRSpatialReferenceH srs = OSRNewSpatialReference(nullptr);
  CPLErrorReset();
  if (OSRSetFromUserInput(srs, definition.c_str()) != OGRERR_NONE) {
    OSRDestroySpatialReference(srs);
    return Failure{"座標系 " + definition + " が分かりません：" +
                   GdalError("GDAL が受け付けません")};
  }
  char* wkt = nullptr;
  OSRExportToWkt(srs, &wkt);
  std::string text = wkt != nullptr ? wkt : "";
  CPLFree(wkt);
  OSRDestroySpatialReference(srs);
  if (text.empty()) return Failure{"座標系 " + definition + " を WKT にできません"};
  return text;
}

std::string CrsDescription(const std::string& wkt) {
  if (wkt.empty()) return {};
  EnsureGdal();
  OGRSpatialReferenceH srs = OSRNewSpatialReference(nullptr);
  std::string text = "(unnamed)";
  if (OSRSetFromUserInput(srs, wkt.c_str()) == OGRERR_NONE) {
    if (const char* name = OSRGetName(srs)) text = name;
    const char* authority = OSRGetAuthorityName(srs, nullptr);
    const char* code = OSRGetAuthorityCode(srs, nullptr);
    if (authority != nullptr && code != nullptr)
      text += std::string(" (") + authority + ":" + code + ")";
  }
  OSRDestroySpatialReference(srs);
  return text;
}

namespace {

// "metre" as "m"; other units by their common symbol, else their name.
std::string UnitSymbol(const char* name) {
  if (name == nullptr) return {};
  std::string unit = name;
  if (unit == "metre" || unit == "meter" || unit == "Meter") return "m";
  if (unit == "kilometre" || unit == "kilometer") return "km";
  if (unit == "foot" || unit == "US survey foot" || unit == "Foot_US" || unit == "Foot")
    return "ft";
  return unit;
}

}  // namespace

CrsUnits CrsUnitsOf(const std::string& wkt) {
  CrsUnits units;
  if (wkt.empty()) return units;
  EnsureGdal();
  OGRSpatialReferenceH srs = OSRNewSpatialReference(nullptr);
  if (OSRSetFromUserInput(srs, wkt.c_str()) == OGRERR_NONE) {
    char* name = nullptr;
    if (OSRIsProjected(srs) != 0) {
      OSRGetTargetLinearUnits(srs, "PROJCS", &name);
      units.horizontal = UnitSymbol(name);
    }
    if (OSRIsVertical(srs) != 0 || OSRIsCompound(srs) != 0) {
      name = nullptr;
      OSRGetTargetLinearUnits(srs, "VERT_CS", &name);
      units.vertical = UnitSymbol(name);
    }
  }
  OSRDestroySpatialReference(srs);
  return units;
}

std::string LayerCrs(OGRLayerH layer) {
  OGRSpatialReferenceH srs = OGR_L_GetSpatialRef(layer);
  if (srs == nullptr) return {};
  const std::string name = OSRGetName(srs) != nullptr ? OSRGetName(srs) : "";
  if (name.starts_with("Undefined ") && name.ends_with(" SRS")) return {};
  char* wkt = nullptr;
  if (OSRExportToWkt(srs, &wkt) != OGRERR_NONE) return {};
  std::string out = wkt != nullptr ? wkt : "";
  CPLFree(wkt);
  return out;
}

bool SameCrs(const std::string& a, const std::string& b) {
  if (a == b) return true;
  if (a.empty() || b.empty()) return false;
  EnsureGdal();
  OGRSpatialReferenceH first = OSRNewSpatialReference(nullptr);
  OGRSpatialReferenceH second = OSRNewSpatialReference(nullptr);
  const bool same = OSRSetFromUserInput(first, a.c_str()) == OGRERR_NONE &&
                    OSRSetFromUserInput(second, b.c_str()) == OGRERR_NONE &&
                    OSRIsSame(first, second) != 0;
  OSRDestroySpatialReference(first);
  OSRDestroySpatialReference(second);
  return same;
}

Status ReplaceDataset(const std::string& path,
                      const std::function<Result<GDALDatasetH>(const std::string&)>& make) {
  EnsureGdal();
  namespace fs = std::filesystem;
  const fs::path target(path);
  const std::string ext = target.extension().string();
  const fs::path stem = target.parent_path() / target.stem();
  const std::string tempStem = (target.parent_path() / ("." + target.stem().string() +
                                                        ".kessadon-" + std::to_string(getpid())))
                                   .string();
  const std::string tempPath = tempStem + ext;

  CPLErrorReset();
  Result<GDALDatasetH> made = make(tempPath);
  bool closed = false;
  if (made) {
    CPLErrorReset();
    GDALClose(*made);
    closed = CPLGetLastErrorType() < CE_Failure;
  }
  // Every file of the new dataset, side files included, starts with the
  // temporary stem; some drivers only write theirs on closing.
  std::vector<std::string> files;
  const std::string tempName = fs::path(tempStem).filename().string();
  std::error_code listing;
  const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, listing)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind(tempName + ".", 0) == 0) files.push_back(entry.path().string());
  }
  auto removeTemps = [&] {
    for (const std::string& f : files) std::remove(f.c_str());
  };
  if (!made || !closed) {
    const std::string reason =
        made ? GdalError("書き出しを終えられません") : made.failure().message;
    removeTemps();
    return Failure{reason};
  }
  const std::string mainName = fs::path(tempPath).filename().string();
  if (std::none_of(files.begin(), files.end(),
                   [&](const std::string& f) { return fs::path(f).filename() == mainName; })) {
    removeTemps();
    return Failure{"書き出したファイルが見当たりません（" + folder.string() +
                   " を一覧できません）"};
  }
  std::vector<std::string> written;
  for (const std::string& f : files) {
    const std::string suffix = fs::path(f).filename().string().substr(tempName.size());
    const std::string to = stem.string() + suffix;
    std::error_code error;
    fs::rename(f, to, error);
    if (error) {
      removeTemps();
      return Failure{to + " に書けません：" + error.message()};
    }
    written.push_back(to);
  }
  for (const std::string& old : SideFiles(path, stem.string())) {
    if (std::find(written.begin(), written.end(), old) == written.end()) std::remove(old.c_str());
  }
  return Ok();
}

}  // namespace kessadon
