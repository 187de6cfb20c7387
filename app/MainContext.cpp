#include "MainContext.h"

#include <QAbstractButton>
#include <QStatusBar>

namespace kessadon::app {

void MainContext::ShowStatus(const QString& line) {
  if (statusBar) statusBar->showMessage(line);
}

void OnClick(MainContext& context, QAbstractButton* button, void (*handler)(MainContext&)) {
  QObject::connect(button, &QAbstractButton::clicked, button,
                   [&context, handler] { handler(context); });
}

}  // namespace kessadon::app
