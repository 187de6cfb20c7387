#include "FormColor.h"

#include <QResizeEvent>

#include "PictureBox.h"
#include "color/Legend.h"

namespace kessadon {

FormColor::FormColor() : QWidget(nullptr, Qt::Window) {
  setObjectName("formColor");
  setWindowTitle("Color Table");
  picLegend = new PictureBox(this);
  picLegend->setObjectName("picLegend");
  resize(kLegendWidth, kLegendHeight);
}

void FormColor::resizeEvent(QResizeEvent* event) {
  picLegend->setGeometry(0, 0, event->size().width(), event->size().height());
}

}  // namespace kessadon
