// What a command handler works with: the state, the panel, the drawing window,
// the platform services and the status bar.
#pragma once

#include <QString>

#include "AppState.h"
#include "Panel.h"

class QAbstractButton;
class QStatusBar;
class QWidget;

namespace kessadon {

class FormColor;
class FormImage;
class Platform;

struct MainContext {
  AppState state;
  Panel panel;
  Platform* platform = nullptr;
  QWidget* window = nullptr;        // formMain, parent of dialogs
  QStatusBar* statusBar = nullptr;  // the one line where commands report
  FormImage* formImage = nullptr;
  FormColor* formColor = nullptr;  // the legend window
  QString programDir;               // where default.txt and the colour files lie

  void ShowStatus(const QString& line);
};

// Runs the handler on every click of the button.
void OnClick(MainContext& context, QAbstractButton* button, void (*handler)(MainContext&));

}  // namespace kessadon
