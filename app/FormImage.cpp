#include "FormImage.h"

#include <QGuiApplication>
#include <QResizeEvent>
#include <QScreen>

#include "PictureBox.h"

namespace kessadon {

FormImage::FormImage() : QWidget(nullptr, Qt::Window) {
  setObjectName("formImage");
  setWindowTitle("Image");
  picImage = new PictureBox(this);
  picImage->setObjectName("picImage");
}

void FormImage::Load() {
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  const int side = screen.width() / 2;
  show();
  // The frame is known only once the window is shown; size the outside, not the inside.
  const QSize frame = frameGeometry().size() - size();
  resize(QSize(side, side) - frame);
  move(screen.left() + side, screen.top());
}

void FormImage::resizeEvent(QResizeEvent* event) {
  picImage->setGeometry(0, 0, event->size().width(), event->size().height());
  if (onResized) onResized(frameGeometry().size());
}

}  // namespace kessadon
