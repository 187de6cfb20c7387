#include "ConvertCommand.h"

#include <CLI/CLI.hpp>
#include <memory>
#include <ostream>
#include <string>

#include "GridFileOptions.h"

namespace kessadon {
namespace {

struct ConvertArguments {
  std::string input;
  GridReadOptions read;
  GridOutputArguments output;
};

int Run(const ConvertArguments& a, std::ostream& out, std::ostream& err) {
  auto fail = [&err](const std::string& reason) {
    err << "kessadon convert: " << reason << '\n';
    return 1;
  };
  Result<LoadedGrid> read = ReadGridInput(a.input, a.read);
  if (!read) return fail(read.failure().message);
  GridData& grid = read->grid;
  Status written = WriteGridOutput(a.output, grid, read->crs, err);
  if (!written) return fail(Describe(written.failure()));

  out << a.input << ": " << grid.Nx << " x " << grid.Ny << " nodes";
  if (!read->sheetName.empty()) out << ", sheet " << read->sheetName;
  out << " -> " << a.output.output << '\n';
  return 0;
}

}  // namespace

void AddConvertCommand(CLI::App& app, std::ostream& out, std::ostream& err, int& status) {
  CLI::App* command = app.add_subcommand("convert",
                                         "Convert between grid data files, elevation map sheets "
                                         "(*.mem, *.sem, read only) and rasters");
  auto a = std::make_shared<ConvertArguments>();
  command
      ->add_option(
          "INPUT", a->input,
          "grid data file, elevation map sheet (Shift_JIS or UTF-8) or any raster GDAL reads")
      ->required();
  AddGridInputOptions(*command, a->read);
  AddGridOutputOptions(*command, a->output);
  command->callback([a, &out, &err, &status] { status = Run(*a, out, err); });
}

}  // namespace kessadon
