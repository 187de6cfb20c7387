// The drawing window "Image": one picture box, picImage, filling it.
#pragma once

#include <QRect>
#include <QWidget>
#include <functional>

namespace kessadon::app {

class PictureBox;

class FormImage : public QWidget {
 public:
  FormImage();

  PictureBox* picImage;

  // Shows the window as it loads: a square whose outer width is half the
  // screen width, its left edge at half the screen width, its top at 0;
  // moved and shrunk where it would cover `keepClear`, the main window
  // (DrawingWindowPlace).
  void Load(const QRect& keepClear);

  // Called with the window's outer size on every resize.
  std::function<void(QSize)> onResized;
  // Called when the window closes; its picture goes with it.
  std::function<void()> onClosed;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
};

}  // namespace kessadon::app
