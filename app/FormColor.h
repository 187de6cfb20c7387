// The legend window "Color Table": one picture box, picLegend, filling it.
#pragma once

#include <QAction>
#include <QRect>
#include <QWidget>

namespace kessadon::app {

class PictureBox;

class FormColor : public QWidget {
 public:
  FormColor();

  PictureBox* picLegend;
  // "凡例を保存…" on the legend's context menu.
  QAction* actSaveLegend;

  // Shows and raises the window. The first time it goes beside the drawing
  // window `drawing` (outer geometry): right of it where the screen has room,
  // else over that window's lower right corner, never over the main window.
  // Later showings keep where the person put it.
  void ShowBeside(const QRect& drawing);

 protected:
  // The legend keeps its drawing; the next one uses the new size.
  void resizeEvent(QResizeEvent* event) override;

 private:
  bool placed_ = false;
};

}  // namespace kessadon::app
