#include "FormImage.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QResizeEvent>
#include <QScreen>

#include "PictureBox.h"
#include "WindowPlacement.h"

namespace kessadon::app {

FormImage::FormImage() : QWidget(nullptr, Qt::Window) {
  setObjectName("formImage");
  setWindowTitle("Image");
  picImage = new PictureBox(this);
  picImage->setObjectName("picImage");
}

void FormImage::Load(const QRect& keepClear) {
  const QRect place =
      DrawingWindowPlace(QGuiApplication::primaryScreen()->availableGeometry(), keepClear);
  // Placed before it first shows, so that the window manager puts the frame,
  // title bar included, where it belongs.
  resize(place.size());
  move(place.topLeft());
  show();
  // The frame is known once the window is shown, on some desktops only later:
  // where it is known, the outside takes the place, not the inside.
  const QSize frame = frameGeometry().size() - size();
  if (frame.isEmpty()) return;
  resize(place.size() - frame);
  move(place.topLeft());
}

void FormImage::resizeEvent(QResizeEvent* event) {
  picImage->setGeometry(0, 0, event->size().width(), event->size().height());
  if (onResized) onResized(frameGeometry().size());
}

void FormImage::closeEvent(QCloseEvent* event) {
  event->accept();
  if (onClosed) onClosed();
}

}  // namespace kessadon::app
