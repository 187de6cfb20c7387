#include "RefineCommand.h"

#include <CLI/CLI.hpp>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "GridFileOptions.h"
#include "estimate/GridRefinement.h"

namespace kessadon {
namespace {

struct RefineArguments {
  std::string input;
  GridReadOptions read;
  GridOutputArguments output;
  std::vector<double> nodes;
};

int Run(const RefineArguments& a, std::ostream& out, std::ostream& err) {
  auto fail = [&err](const std::string& reason) {
    err << "kessadon refine: " << reason << '\n';
    return 1;
  };
  Result<LoadedGrid> read = ReadGridInput(a.input, a.read);
  if (!read) return fail(read.failure().message);
  GridData& grid = read->grid;
  Result<RefinedGrid> refined = RefineGrid(grid, a.nodes[0], a.nodes[1]);
  if (!refined) return fail(refined.failure().message);

  // The resampled grid is what gets saved, even at the original counts.
  grid.Nx = refined->NxNew;
  grid.Ny = refined->NyNew;
  grid.Dx = refined->DxNew;
  grid.Dy = refined->DyNew;
  grid.Z = std::move(refined->ZNew);
  Status written = WriteGridOutput(a.output, grid, read->crs, err);
  if (!written) return fail(Describe(written.failure()));
  out << a.input << ": " << grid.NxOrg << " x " << grid.NyOrg << " -> " << grid.Nx << " x "
      << grid.Ny << " nodes -> " << a.output.output << '\n';
  return 0;
}

}  // namespace

void AddRefineCommand(CLI::App& app, std::ostream& out, std::ostream& err, int& status) {
  CLI::App* command =
      app.add_subcommand("refine", "Resample a grid to other node counts (bicubic) and save it");
  auto a = std::make_shared<RefineArguments>();
  command->add_option("GRIDFILE", a->input, "grid data file, elevation map sheet or raster")
      ->required();
  AddGridInputOptions(*command, a->read);
  command->add_option("--nodes", a->nodes, "Node counts NX,NY of the resampled grid")
      ->delimiter(',')
      ->expected(2)
      ->required();
  AddGridOutputOptions(*command, a->output);
  command->callback([a, &out, &err, &status] { status = Run(*a, out, err); });
}

}  // namespace kessadon
