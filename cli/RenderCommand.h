// kessadon render: draw a grid file as the desktop's display commands do and
// save the picture.
#pragma once

#include <iosfwd>

namespace CLI {
class App;
}

namespace kessadon {

void AddRenderCommand(CLI::App& app, std::ostream& out, std::ostream& err, int& status);

}  // namespace kessadon
