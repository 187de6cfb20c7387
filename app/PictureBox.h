// A picture box: a widget that shows a drawing surface of its own inner size.
// Commands draw on Surface() and then call Changed() to show the result.
#pragma once

#include <QWidget>
#include <functional>

#include "render/RasterSurface.h"

namespace kessadon::app {

class PictureBox : public QWidget {
 public:
  explicit PictureBox(QWidget* parent);

  RasterSurface& Surface() { return surface_; }
  const RasterSurface& Surface() const { return surface_; }
  void Changed() { update(); }

  // A box of one size for good, drawable at once: a box on a tab not yet
  // shown would otherwise draw on a surface that learns its size too late.
  void SetFixedSurfaceSize(int width, int height);

  Color BackColor() const { return surface_.BackColor(); }
  // Erases everything drawn to the new colour, the kept picture included.
  void SetBackColor(Color color);
  void Cls();

  // Called after Cls and after a change of background, which erase the picture.
  std::function<void()> onCleared;

  bool AutoRedraw() const { return surface_.AutoRedraw(); }
  void SetAutoRedraw(bool on);

  // The kept picture, as saving and the clipboard see it.
  const QImage& Image() const { return surface_.Image(); }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  RasterSurface surface_;
};

}  // namespace kessadon::app
