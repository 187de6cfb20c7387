#include "ContoursCommand.h"

#include <CLI/CLI.hpp>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "GridFileOptions.h"
#include "color/ContourLevels.h"
#include "io/NumberText.h"
#include "raster/ContourExport.h"
#include "raster/FaultLayers.h"

namespace kessadon {
namespace {

struct ContoursArguments {
  std::string input;
  GridReadOptions read;
  std::vector<double> levels;
  std::optional<std::string> divisions;
  GridOutputArguments output;
  std::vector<std::string> faults;
};

int Run(const ContoursArguments& a, std::ostream& out, std::ostream& err) {
  auto fail = [&err](const std::string& reason) {
    err << "kessadon contours: " << reason << '\n';
    return 1;
  };
  Result<LoadedGrid> read = ReadGridInput(a.input, a.read);
  if (!read) return fail(read.failure().message);
  GridData& grid = read->grid;

  // The levels the desktop would take from its divisions field; typed ones
  // are taken as the numbers given, without the fields' 15 digits.
  ContourLevels levels;
  if (!a.levels.empty()) {
    levels = {a.levels[0], a.levels[1], a.levels[2], 1};
  } else {
    LevelRequest request;
    request.divisions = a.divisions.value_or("20");
    levels = ChooseContourLevels(request, grid.Zmin, grid.Zmax).levels;
  }
  Result<std::vector<double>> values = ContourLevelValues(levels, grid.Zmin, grid.Zmax);
  if (!values) return fail(values.failure().message);
  Result<std::string> crs = OutputCrs(a.output, read->crs);
  if (!crs) return fail(crs.failure().message);
  // Cells a fault cuts keep no line: no stack of them along the scarp.
  FaultTraces faults;
  for (const std::string& file : a.faults) {
    std::string moved;
    Result<FaultTraces> traces = ReadFaultTraces(file, *crs, &moved);
    if (!traces) return fail(file + ": " + Describe(traces.failure()));
    if (!moved.empty()) err << "note: " << file << ": " << moved << '\n';
    if (const std::optional<std::string> outside =
            OutsideTracesNote(*traces, grid.Xmin, grid.Xmax, grid.Ymin, grid.Ymax)) {
      err << "note: " << file << ": " << *outside << '\n';
    }
    faults.Add(*traces);
  }
  Result<std::int64_t> lines =
      ExportContours(a.output.output, grid, *values, *crs, a.output.format, faults);
  if (!lines) return fail(a.output.output + ": " + Describe(lines.failure()));
  out << a.input << ": levels " << FormatGeneral(levels.Cst) << " to " << FormatGeneral(levels.Cen)
      << " every " << FormatGeneral(levels.Cin) << ", " << values->size() << " within the grid, "
      << *lines << " lines -> " << a.output.output << '\n';
  return 0;
}

}  // namespace

void AddContoursCommand(CLI::App& app, std::ostream& out, std::ostream& err, int& status) {
  CLI::App* command = app.add_subcommand(
      "contours",
      "Write the contour lines of a grid as line features (GeoPackage, GeoJSON, Shapefile)");
  auto a = std::make_shared<ContoursArguments>();
  command->add_option("GRIDFILE", a->input, "grid data file, elevation map sheet or raster")
      ->required();
  AddGridInputOptions(*command, a->read);
  CLI::Option* levels =
      command
          ->add_option("--levels", a->levels, "Start, end and interval CST,CEN,CIN of the levels")
          ->delimiter(',')
          ->expected(3);
  command
      ->add_option("--divisions", a->divisions,
                   "Automatic levels from the height range in about N divisions, as the desktop's "
                   "自動 button (default 20)")
      ->excludes(levels);
  command
      ->add_option("-o,--output", a->output.output,
                   "Vector file to write: .gpkg GeoPackage, .geojson GeoJSON, .shp Shapefile")
      ->required();
  command->add_option("--format", a->output.format,
                      "GDAL vector driver to write with (e.g. GPKG, GeoJSON, \"ESRI Shapefile\")");
  command->add_option("--crs", a->output.crs,
                      "Coordinate system of the lines (e.g. EPSG:6677); default: the grid's");
  command
      ->add_option("--faults", a->faults,
                   "Fault traces (a line layer or x,y text): cells they cut keep no line "
                   "(repeatable)")
      ->check(CLI::ExistingFile);
  command->callback([a, &out, &err, &status] { status = Run(*a, out, err); });
}

}  // namespace kessadon
