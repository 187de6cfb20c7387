#include "DataFileOptions.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

#include "io/DataTable.h"
#include "raster/MeasuredFiles.h"
#include "raster/Reprojection.h"

namespace kessadon {
namespace {

// The middle of the first load in longitude and latitude, for naming the
// projected systems that would hold it.
std::pair<double, double> FirstGeographicCentre(const std::vector<MeasuredFileRead>& reads) {
  for (const MeasuredFileRead& read : reads) {
    if (!IsGeographicCrs(read.crs) || read.data.DataX.empty()) continue;
    const auto [west, east] = std::minmax_element(read.data.DataX.begin(), read.data.DataX.end());
    const auto [south, north] = std::minmax_element(read.data.DataY.begin(), read.data.DataY.end());
    return {(*west + *east) / 2, (*south + *north) / 2};
  }
  return {NAN, NAN};
}

// The system the loads are brought into: `crs` when it names one, else the
// first projected load's; for an estimate never one in degrees.
Result<std::string> WorkingSystem(const std::vector<MeasuredFileRead>& reads,
                                  const std::string* crs, bool projected) {
  const std::string chosen = crs != nullptr ? *crs : std::string();
  std::vector<std::string> systems;
  systems.reserve(reads.size());
  for (const MeasuredFileRead& read : reads) systems.push_back(read.crs);
  if (projected) {
    const auto [longitude, latitude] = FirstGeographicCentre(reads);
    return WorkingCrs(chosen, systems, longitude, latitude, "--crs で");
  }
  if (!chosen.empty()) return chosen;
  for (const std::string& system : systems) {
    if (!system.empty()) return system;
  }
  return std::string();
}

}  // namespace

void DataFileOptions::AddLayoutOption(CLI::App& command) {
  layoutOption = command
                     .add_option("--layout", layouts,
                                 "Layout of the data files after it: 1 id,x,y,z  2 id,x,y,z,l  "
                                 "3 id,x,y,z,l,trend,dip  4 id,x,y,z,l + id,x,y,z,trend,dip  "
                                 "5 grid data file (default 1); in layouts 1 to 4 the last line "
                                 "ends the file and is not read as a point")
                     ->allow_extra_args(false)
                     ->check(CLI::Range(1, 5));
  command.add_option("--layer", layer,
                     "The layer of GIS data files (.gpkg, .shp, .geojson, .kml, .fgb, .xlsx, "
                     ".ods ...) to read (default: the first with points)");
  command.add_option(
      "--fields,--columns", fields,
      "Columns of tables and fields of GIS layers by name: x=E,y=N,z=H,code=L,"
      "trend=DD,dip=D,id=NAME (any of them; the others by common names such as "
      "x/easting, y/northing, z/elev/標高, l/code, trend/dipdir/傾斜方向, dip/傾斜); "
      "a .txt file is read as a table only with it");
  command.add_flag("--swap-xy", swapXY,
                   "The column named x holds northings and y eastings (as Japanese survey tables "
                   "name them): swap them");
}

Result<MeasuredData> DataFileOptions::Load(const CLI::App& command, std::ostream& notes,
                                           std::string* crs, bool projected) const {
  // Pair each file with the last --layout before it, in the order given.
  struct Pairing {
    std::string path;
    int layout;
    bool layoutGiven;
  };
  std::vector<Pairing> paired;
  int layout = 1;
  bool layoutUnused = false;
  std::size_t nextLayout = 0, nextFile = 0;
  for (const CLI::Option* option : command.parse_order()) {
    if (option == layoutOption && nextLayout < layouts.size()) {
      layout = layouts[nextLayout++];
      layoutUnused = true;
    } else if (option == fileOption && nextFile < files.size()) {
      paired.push_back({files[nextFile++], layout, nextLayout > 0});
      layoutUnused = false;
    }
  }
  // Ignored, it would leave the file it was meant for read in another layout, its points misplaced.
  if (layoutUnused) {
    return Failure{"--layout " + std::to_string(layout) +
                   " comes after the last data file and applies to none: "
                   "put --layout before the files it describes"};
  }
  if (paired.empty()) return Failure{"no measured-data file given"};
  std::optional<ColumnChoice> choice;
  // Given empty, it is a mistake, not a choice left to the common names.
  if (!fields.empty() || command.count("--fields") > 0) {
    Result<ColumnChoice> parsed = ParseColumnChoice(fields);
    if (!parsed) return Failure{"--fields: " + parsed.failure().message};
    choice = std::move(*parsed);
  }

  std::vector<MeasuredFileRead> reads;
  for (const Pairing& file : paired) {
    MeasuredFileOptions options;
    options.layout = file.layout;
    options.layoutChosen = file.layoutGiven;
    options.layer = layer;
    options.fields = choice;
    options.swapXY = swapXY;
    Result<MeasuredFileRead> read = ReadMeasuredFile(file.path, options);
    if (!read) return Failure{file.path + ": " + Describe(read.failure())};
    reads.push_back(std::move(*read));
  }
  Result<std::string> working = WorkingSystem(reads, crs, projected);
  if (!working) return working.failure();

  std::optional<MeasuredData> data;
  for (std::size_t k = 0; k < reads.size(); ++k) {
    MeasuredFileRead& read = reads[k];
    const std::string& path = paired[k].path;
    std::string moved;
    Status reprojected = ReprojectData(read.data, read.crs, *working, &moved);
    if (!reprojected) return Failure{path + ": " + Describe(reprojected.failure())};
    if (!moved.empty()) read.notes.push_back(moved);
    if (read.table) notes << "note: " << path << ": read as a table by its header row\n";
    if (!read.table && read.data.LastFile.headerSkipped) {
      notes << "note: " << path << ": line 1 was read as a header, not as a point\n";
    }
    for (const std::string& note : read.notes) notes << "note: " << path << ": " << note << '\n';
    if (!data) {
      data = std::move(read.data);
      continue;
    }
    Status added = AppendRecords(*data, std::move(read.data), path);
    if (!added) return Failure{path + ": " + Describe(added.failure())};
  }
  if (crs != nullptr) *crs = *working;
  return std::move(*data);
}

}  // namespace kessadon
