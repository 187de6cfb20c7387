#include "Cli.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <iostream>
#include <string>

#include "ContoursCommand.h"
#include "ConvertCommand.h"
#include "EstimateCommand.h"
#include "GridInfoCommand.h"
#include "RefineCommand.h"
#include "RenderCommand.h"

namespace kessadon {

int RunCli(int argc, char** argv) {
  return RunCli(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  CLI::App app{"Kessadon 2001: grid surfaces from the command line", "kessadon"};
  app.require_subcommand(1);
  app.footer("Without arguments, kessadon starts the desktop program.");
  app.set_version_flag("--version", std::string("kessadon ") + KESSADON_VERSION);
  // Argument errors, like every other error, take one line.
  app.failure_message([](const CLI::App* failed, const CLI::Error& e) {
    return failed->get_display_name() + ": " + e.what() + " (see --help)\n";
  });

  int status = 0;
  AddGridInfoCommand(app, out, err, status);
  AddEstimateCommand(app, out, err, status);
  AddRenderCommand(app, out, err, status);
  AddRefineCommand(app, out, err, status);
  AddConvertCommand(app, out, err, status);
  AddContoursCommand(app, out, err, status);

  // CLI11 takes the arguments last first.
  std::vector<std::string> reversed(args.rbegin(), args.rend());
  try {
    app.parse(reversed);
  } catch (const CLI::ParseError& e) {
    return app.exit(e, out, err);
  }
  return status;
}

}  // namespace kessadon
