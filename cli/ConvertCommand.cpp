#include "ConvertCommand.h"

#include <memory>
#include <ostream>
#include <string>

#include <CLI/CLI.hpp>

#include "io/ElevationMap.h"
#include "io/GridFile.h"

namespace kessadon {
namespace {

struct ConvertArguments {
  std::string input, output;
};

int Run(const ConvertArguments& a, std::ostream& out, std::ostream& err) {
  auto fail = [&err](const std::string& path, const Failure& failure) {
    err << "kessadon convert: " << path << ": " << Describe(failure) << '\n';
    return 1;
  };
  Result<ElevationMap> map = ReadElevationMap(a.input);
  if (!map) return fail(a.input, map.failure());
  GridData& grid = map->grid;
  KeepOriginalGrid(grid);
  UpdateGridGeometry(grid);
  Status written = WriteGridFile(a.output, grid);
  if (!written) return fail(a.output, written.failure());

  out << a.input << ": " << grid.Nx << " x " << grid.Ny << " nodes";
  if (!map->sheetName.empty()) out << ", sheet " << map->sheetName;
  out << " -> " << a.output << '\n';
  return 0;
}

}  // namespace

void AddConvertCommand(CLI::App& app, std::ostream& out, std::ostream& err, int& status) {
  CLI::App* command = app.add_subcommand(
      "convert", "Save an elevation map sheet (*.mem, *.sem) as a grid data file");
  auto a = std::make_shared<ConvertArguments>();
  command->add_option("MAPFILE", a->input, "elevation map sheet, Shift_JIS or UTF-8")->required();
  command->add_option("-o,--output", a->output, "Grid data file to write")->required();
  command->callback([a, &out, &err, &status] { status = Run(*a, out, err); });
}

}  // namespace kessadon
