#include "MainContext.h"

#include <QStatusBar>

namespace kessadon {

void MainContext::ShowStatus(const QString& line) {
  if (statusBar) statusBar->showMessage(line);
}

}  // namespace kessadon
