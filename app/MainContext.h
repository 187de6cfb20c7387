// What a command handler works with: the state, the panel, the drawing window,
// the platform services and the status bar.
#pragma once

#include <QString>
#include <atomic>

#include "AppState.h"
#include "Panel.h"
#include "PictureRecipe.h"

class QAbstractButton;
class QProgressBar;
class QPushButton;
class QStatusBar;
class QTabWidget;
class QWidget;

namespace kessadon::app {

class FormColor;
class FormImage;
class Platform;

// An estimation working on its own thread while the window stays live.
struct LongRun {
  bool active = false;
  std::atomic<bool> stop{false};  // read by the worker at each of its checks
  bool quitAfterwards = false;    // the window was closed while it worked
  QString stopping;               // the status while a stop is awaited: what is being stopped
};

struct MainContext {
  AppState state;
  Panel panel;
  Platform* platform = nullptr;
  QWidget* window = nullptr;        // formMain, parent of dialogs
  QStatusBar* statusBar = nullptr;  // the one line where commands report
  FormImage* formImage = nullptr;
  FormColor* formColor = nullptr;  // the legend window
  QTabWidget* tabs = nullptr;      // every page of parameters and commands
  QPushButton* cmdStop = nullptr;  // shown while a run works
  QProgressBar* progress = nullptr;
  LongRun run;
  PictureRecipe picture;  // what the drawing window shows, to draw it again
  QString programDir;     // where default.txt and the colour files lie

  void ShowStatus(const QString& line);
};

// Runs the handler on every click of the button.
void OnClick(MainContext& context, QAbstractButton* button, void (*handler)(MainContext&));

}  // namespace kessadon::app
