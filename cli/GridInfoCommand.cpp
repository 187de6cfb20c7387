#include "GridInfoCommand.h"

#include <CLI/CLI.hpp>
#include <memory>
#include <ostream>
#include <string>

#include "GridFileOptions.h"
#include "io/NumberText.h"
#include "raster/Gdal.h"

namespace kessadon {
namespace {

struct GridInfoArguments {
  std::string path;
  GridReadOptions read;
};

}  // namespace

void AddGridInfoCommand(CLI::App& app, std::ostream& out, std::ostream& err, int& status) {
  CLI::App* command = app.add_subcommand(
      "grid-info", "Read a grid as the desktop does and print its derived geometry");
  auto a = std::make_shared<GridInfoArguments>();
  command->add_option("GRIDFILE", a->path, "grid data file, elevation map sheet or raster")
      ->required();
  AddGridInputOptions(*command, a->read);
  command->callback([a, &out, &err, &status] {
    Result<LoadedGrid> read = ReadGridInput(a->path, a->read);
    if (!read) {
      err << "kessadon grid-info: " << read.failure().message << '\n';
      status = 1;
      return;
    }
    const GridData& grid = read->grid;
    const std::pair<const char*, double> lines[] = {
        {"Nx", grid.Nx},     {"Ny", grid.Ny},
        {"Xmin", grid.Xmin}, {"Xmax", grid.Xmax},
        {"Ymin", grid.Ymin}, {"Ymax", grid.Ymax},
        {"Dx", grid.Dx},     {"Dy", grid.Dy},
        {"Zmin", grid.Zmin}, {"Zmax", grid.Zmax},
        {"Xcen", grid.Xcen}, {"Ycen", grid.Ycen},
        {"Zcen", grid.Zcen}, {"Zbase", DefaultZbase(grid.Zmin)},
        {"Zeps", grid.Zeps},
    };
    for (const auto& [name, value] : lines) out << name << " = " << FormatGeneral(value) << '\n';
    if (!read->crs.empty()) out << "CRS = " << CrsDescription(read->crs) << '\n';
    status = 0;
  });
}

}  // namespace kessadon
