#include "PictureBox.h"

#include <QPainter>
#include <QResizeEvent>

namespace kessadon {

QColor ToQColor(std::int32_t color) {
  return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

std::int32_t FromQColor(const QColor& color) {
  return color.red() | (color.green() << 8) | (color.blue() << 16);
}

PictureBox::PictureBox(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  image_ = QImage(1, 1, QImage::Format_RGB32);
  image_.fill(ToQColor(backColor_));
}

void PictureBox::SetBackColor(std::int32_t color) {
  backColor_ = color;
  Cls();
}

void PictureBox::Cls() {
  image_.fill(ToQColor(backColor_));
  update();
}

void PictureBox::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), ToQColor(backColor_));
  painter.drawImage(0, 0, image_);
}

void PictureBox::resizeEvent(QResizeEvent* event) {
  // The kept picture follows the inner size; what was drawn stays at the top left.
  const QSize size = event->size().expandedTo(QSize(1, 1));
  if (size == image_.size()) return;
  QImage resized(size, QImage::Format_RGB32);
  resized.fill(ToQColor(backColor_));
  QPainter painter(&resized);
  painter.drawImage(0, 0, image_);
  painter.end();
  image_ = resized;
}

}  // namespace kessadon
