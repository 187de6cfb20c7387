#include "FormImage.h"

#include <QGuiApplication>
#include <QResizeEvent>
#include <QScreen>

#include "PictureBox.h"
#include "WindowPlacement.h"

namespace kessadon {

FormImage::FormImage() : QWidget(nullptr, Qt::Window) {
  setObjectName("formImage");
  setWindowTitle("Image");
  picImage = new PictureBox(this);
  picImage->setObjectName("picImage");
}

void FormImage::Load(const QRect& keepClear) {
  const QRect place =
      DrawingWindowPlace(QGuiApplication::primaryScreen()->availableGeometry(), keepClear);
  show();
  // The frame is known only once the window is shown; size the outside, not the inside.
  const QSize frame = frameGeometry().size() - size();
  resize(place.size() - frame);
  move(place.topLeft());
}

void FormImage::resizeEvent(QResizeEvent* event) {
  picImage->setGeometry(0, 0, event->size().width(), event->size().height());
  if (onResized) onResized(frameGeometry().size());
}

}  // namespace kessadon
