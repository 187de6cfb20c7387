// The legend window "Color Table": one picture box, picLegend, filling it.
#pragma once

#include <QWidget>

namespace kessadon {

class PictureBox;

class FormColor : public QWidget {
 public:
  FormColor();

  PictureBox* picLegend;

 protected:
  // The legend keeps its drawing; the next one uses the new size.
  void resizeEvent(QResizeEvent* event) override;
};

}  // namespace kessadon
