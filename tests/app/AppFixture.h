// A started main window with scripted platform services and its own program
// folder holding a copy of the defaults file.
#pragma once

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <filesystem>
#include <fstream>
#include <memory>

#include "ScriptedPlatform.h"
#include "TempFolder.h"
#include "app/FormColor.h"
#include "app/FormImage.h"
#include "app/FormMain.h"

namespace kessadon::testing {

inline std::string SourcePath(const std::string& relative) {
  return std::string(KESSADON_SOURCE_DIR) + "/" + relative;
}

// How many pixels of a picture have the colour.
inline int PixelsOf(const QImage& image, QColor color) {
  int count = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) count += image.pixelColor(x, y) == color;
  }
  return count;
}

class AppTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Everything that travels beside the program: defaults and colour tables.
    for (const auto& entry : std::filesystem::directory_iterator(SourcePath("data"))) {
      if (entry.path().extension() == ".txt") {
        std::filesystem::copy_file(entry.path(), programDir / entry.path().filename());
      }
    }
    Start();
  }

  // Builds and loads a fresh main window on the current program folder.
  void Start() {
    form.reset();
    form = std::make_unique<FormMain>(platform, QString::fromStdString(programDir.path().string()));
    form->Load();
  }

  MainContext& context() { return form->Context(); }
  AppState& state() { return form->Context().state; }

  template <class T>
  T* Find(const char* name) {
    T* widget = form->findChild<T*>(name);
    if (!widget) widget = form->Image().findChild<T*>(name);
    if (!widget) widget = form->Legend().findChild<T*>(name);
    if (!widget) ADD_FAILURE() << "no control named " << name;
    return widget;
  }
  QString Text(const char* name) { return Find<QLineEdit>(name)->text(); }
  QString Caption(const char* name) { return Find<QLabel>(name)->text(); }
  bool Enabled(const char* name) { return Find<QWidget>(name)->isEnabled(); }
  void Click(const char* name) { Find<QPushButton>(name)->click(); }
  QString Status();

  // A file with the given text in a folder of the test's own.
  std::string WriteFile(const std::string& name, const std::string& text) {
    const std::string path = files / name;
    std::ofstream(path) << text;
    return path;
  }
  // A measured-data command (cmdOpenData, cmdOpenDataAdd) answered with `path`
  // in the given layout.
  void Load(const char* command, const std::string& path, int layout = 1) {
    const QByteArray name = "optData" + QByteArray::number(layout);
    Find<QRadioButton>(name.constData())->click();
    platform.openAnswers.push_back(QString::fromStdString(path));
    Click(command);
  }
  void Type(const char* name, const QString& text) { Find<QLineEdit>(name)->setText(text); }
  // The grid-file command answered with `path`.
  void OpenGrid(const std::string& path) {
    platform.openAnswers.push_back(QString::fromStdString(path));
    Click("cmdOpenGridData");
  }

  TempFolder programDir;
  TempFolder files;
  ScriptedPlatform platform;
  std::unique_ptr<FormMain> form;
};

}  // namespace kessadon::testing
