#include "DataFileOptions.h"

#include <optional>
#include <utility>

#include "io/DataTable.h"
#include "raster/Gdal.h"
#include "raster/MeasuredFiles.h"

namespace kessadon {

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
                                           std::string* crs) const {
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

  std::optional<MeasuredData> data;
  std::string known;  // the coordinate system of the loads so far
  for (const Pairing& file : paired) {
    MeasuredFileOptions options;
    options.layout = file.layout;
    options.layoutChosen = file.layoutGiven;
    options.layer = layer;
    options.fields = choice;
    options.swapXY = swapXY;
    Result<MeasuredFileRead> read = ReadMeasuredFile(file.path, options);
    if (!read) return Failure{file.path + ": " + Describe(read.failure())};
    if (!read->crs.empty() && !known.empty() && !SameCrs(read->crs, known)) {
      return Failure{file.path + ": its coordinate system, " + CrsDescription(read->crs) +
                     ", is not that of the files before it, " + CrsDescription(known)};
    }
    if (!read->crs.empty()) known = read->crs;
    if (read->table) notes << "note: " << file.path << ": read as a table by its header row\n";
    if (!read->table && read->data.LastFile.headerSkipped) {
      notes << "note: " << file.path << ": line 1 was read as a header, not as a point\n";
    }
    for (const std::string& note : read->notes) {
      notes << "note: " << file.path << ": " << note << '\n';
    }
    if (!data) {
      data = std::move(read->data);
      continue;
    }
    Status added = AppendRecords(*data, std::move(read->data), file.path);
    if (!added) return Failure{file.path + ": " + Describe(added.failure())};
  }
  if (crs != nullptr) *crs = known;
  return std::move(*data);
}

}  // namespace kessadon
