// The command-line front end: one subcommand per library command.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace kessadon {

// argv[0] is the program name. Returns the exit status.
int RunCli(int argc, char** argv);

// The same, with the arguments after the program name and the streams given.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace kessadon
