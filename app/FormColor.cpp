#include "FormColor.h"

#include <QGuiApplication>
#include <QResizeEvent>
#include <QScreen>

#include "PictureBox.h"
#include "WindowPlacement.h"
#include "render/Legend.h"

namespace kessadon::app {

FormColor::FormColor() : QWidget(nullptr, Qt::Window) {
  setObjectName("formColor");
  setWindowTitle("Color Table");
  picLegend = new PictureBox(this);
  picLegend->setObjectName("picLegend");
  actSaveLegend = new QAction("凡例を保存…", picLegend);
  actSaveLegend->setObjectName("actSaveLegend");
  picLegend->addAction(actSaveLegend);
  picLegend->setContextMenuPolicy(Qt::ActionsContextMenu);
  resize(kLegendWidth, kLegendHeight);
}

void FormColor::ShowBeside(const QRect& drawing) {
  show();
  raise();
  if (placed_) return;
  placed_ = true;
  // The frame is known only once the window is shown.
  move(LegendWindowPlace(QGuiApplication::primaryScreen()->availableGeometry(), drawing,
                         frameGeometry().size())
           .topLeft());
}

void FormColor::resizeEvent(QResizeEvent* event) {
  picLegend->setGeometry(0, 0, event->size().width(), event->size().height());
}

}  // namespace kessadon::app
