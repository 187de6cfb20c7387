// A picture box: a widget that shows a picture kept in a bitmap of its own
// inner size, with a background colour and the AutoRedraw switch.
#pragma once

#include <cstdint>

#include <QImage>
#include <QWidget>

namespace kessadon {

class PictureBox : public QWidget {
 public:
  explicit PictureBox(QWidget* parent);

  std::int32_t BackColor() const { return backColor_; }
  // Erases everything drawn to the new colour, the kept picture included.
  void SetBackColor(std::int32_t color);
  void Cls();

  bool AutoRedraw() const { return autoRedraw_; }
  void SetAutoRedraw(bool on) { autoRedraw_ = on; }

  // The kept picture, as saving and the clipboard see it.
  const QImage& Image() const { return image_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  std::int32_t backColor_ = 0xFFFFFF;
  bool autoRedraw_ = true;
  QImage image_;
};

// Colour in the red-in-the-low-byte encoding to a Qt colour, and back.
QColor ToQColor(std::int32_t color);
std::int32_t FromQColor(const QColor& color);

}  // namespace kessadon
