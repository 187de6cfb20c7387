// The main window: every parameter and command on the tab control, the
// version and end commands under it, and the status bar.
#pragma once

#include <QMainWindow>
#include <memory>

#include "MainContext.h"

class QPushButton;
class QTabWidget;

namespace kessadon::app {

class FormColor;
class FormImage;
class Platform;

class FormMain : public QMainWindow {
 public:
  FormMain(Platform& platform, const QString& programDir);
  ~FormMain() override;

  // The start-up sequence: top left, reset, then the drawing window on the right.
  void Load();

  MainContext& Context() { return context_; }
  FormImage& Image() { return *formImage_; }
  FormColor& Legend() { return *formColor_; }

  QTabWidget* tabParameter;
  QPushButton* cmdVersion;
  QPushButton* cmdEnd;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildPanel();
  void ConnectHandlers();

  std::unique_ptr<FormImage> formImage_;
  std::unique_ptr<FormColor> formColor_;
  MainContext context_;
};

// The one line of the version box.
QString VersionText();

}  // namespace kessadon::app
