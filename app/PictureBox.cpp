#include "PictureBox.h"

#include <QPainter>
#include <QResizeEvent>

namespace kessadon::app {

PictureBox::PictureBox(QWidget* parent) : QWidget(parent), surface_(1, 1) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void PictureBox::SetFixedSurfaceSize(int width, int height) {
  setFixedSize(width, height);
  surface_.Resize(width, height);
}

void PictureBox::SetBackColor(Color color) {
  surface_.SetBackColor(color);
  update();
  if (onCleared) onCleared();
}

void PictureBox::Cls() {
  surface_.Cls();
  update();
  if (onCleared) onCleared();
}

void PictureBox::SetAutoRedraw(bool on) {
  surface_.SetAutoRedraw(on);
  update();
}

void PictureBox::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), ToQColor(surface_.BackColor()));
  painter.drawImage(0, 0, surface_.Screen());
}

void PictureBox::resizeEvent(QResizeEvent* event) {
  // The picture stays at the top left; the next display command uses the new size.
  const QSize size = event->size().expandedTo(QSize(1, 1));
  surface_.Resize(size.width(), size.height());
}

}  // namespace kessadon::app
