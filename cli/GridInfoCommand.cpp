#include "GridInfoCommand.h"

#include <memory>
#include <ostream>
#include <string>

#include <CLI/CLI.hpp>

#include "io/GridFile.h"
#include "io/NumberText.h"

namespace kessadon {

void AddGridInfoCommand(CLI::App& app, std::ostream& out, std::ostream& err, int& status) {
  CLI::App* command = app.add_subcommand(
      "grid-info", "Read a grid data file as the desktop does and print its derived geometry");
  auto path = std::make_shared<std::string>();
  command->add_option("GRIDFILE", *path, "grid data file")->required();
  command->callback([path, &out, &err, &status] {
    Result<GridData> read = ReadGridFile(*path);
    if (!read) {
      err << "kessadon grid-info: " << *path << ": " << Describe(read.failure()) << '\n';
      status = 1;
      return;
    }
    GridData& grid = *read;
    UpdateGridGeometry(grid);
    const std::pair<const char*, double> lines[] = {
        {"Nx", grid.Nx},     {"Ny", grid.Ny},     {"Xmin", grid.Xmin}, {"Xmax", grid.Xmax},
        {"Ymin", grid.Ymin}, {"Ymax", grid.Ymax}, {"Dx", grid.Dx},     {"Dy", grid.Dy},
        {"Zmin", grid.Zmin}, {"Zmax", grid.Zmax}, {"Xcen", grid.Xcen}, {"Ycen", grid.Ycen},
        {"Zcen", grid.Zcen}, {"Zbase", DefaultZbase(grid.Zmin)},      {"Zeps", grid.Zeps},
    };
    for (const auto& [name, value] : lines) out << name << " = " << FormatGeneral(value) << '\n';
    status = 0;
  });
}

}  // namespace kessadon
