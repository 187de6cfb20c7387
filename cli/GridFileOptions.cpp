#include "GridFileOptions.h"

#include <CLI/CLI.hpp>

#include "raster/Gdal.h"

namespace kessadon {

void AddGridOutputOptions(CLI::App& command, GridOutputArguments& a) {
  command
      .add_option("-o,--output", a.output,
                  "Grid file to write: a grid data file, or a raster by its extension "
                  "(.tif GeoTIFF, .asc ESRI ASCII grid, .nc netCDF, .img ERDAS)")
      ->required();
  command.add_option(
      "--format", a.format,
      "GDAL raster driver to write with (e.g. GTiff, AAIGrid, netCDF), whatever the extension");
  command.add_option("--crs", a.crs,
                     "Coordinate system to tag the output with (e.g. EPSG:6677, WKT, PROJ); "
                     "default: the input's");
}

void AddGridInputOptions(CLI::App& command, GridReadOptions& options) {
  command.add_flag("--fill-nodata", options.fillNodata,
                   "Fill raster cells without data from their neighbours instead of refusing them");
}

Result<LoadedGrid> ReadGridInput(const std::string& path, const GridReadOptions& options) {
  Result<LoadedGrid> read = ReadAnyGrid(path, options);
  if (!read) return Failure{path + ": " + Describe(read.failure())};
  KeepOriginalGrid(read->grid);
  UpdateGridGeometry(read->grid);
  return read;
}

Result<std::string> OutputCrs(const GridOutputArguments& a, const std::string& inputCrs) {
  if (a.crs.empty()) return inputCrs;
  return CrsFromDefinition(a.crs);
}

Status WriteGridOutput(const GridOutputArguments& a, const GridData& grid,
                       const std::string& inputCrs, std::ostream& err) {
  Result<std::string> crs = OutputCrs(a, inputCrs);
  if (!crs) return crs.failure();
  bool dropped = false;
  Status written = WriteAnyGrid(a.output, grid, *crs, a.format, &dropped);
  if (!written) return Failure{a.output + ": " + Describe(written.failure())};
  if (dropped) {
    err << "note: " << a.output << ": a grid data file holds no coordinate system; "
        << CrsDescription(*crs) << " was not written (use .tif or .nc to keep it)\n";
  }
  return Ok();
}

}  // namespace kessadon
