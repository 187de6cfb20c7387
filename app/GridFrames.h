// The frames that show where the current grid came from and its figures.
#pragma once

#include <QGroupBox>

class QLabel;
class QPushButton;

namespace kessadon::app {

// "格子データファイルを開く": open a grid file or a map sheet, save the grid.
class GridFileFrame : public QGroupBox {
 public:
  explicit GridFileFrame(QWidget* parent);

  QPushButton* cmdOpenGridData;
  QPushButton* cmdOpenMem;
  QLabel* lblGridFileName;
  QLabel* lblGridOnOff;
  QLabel* lblMemLbl;
  QLabel* lblMem;
  QPushButton* cmdSaveGridData;
  QPushButton* cmdSaveUncertainty;  // the estimate's standard deviations, once computed
};

// "格子の諸元": node counts, extent, height range and spacing of the grid.
class GridSpecFrame : public QGroupBox {
 public:
  explicit GridSpecFrame(QWidget* parent);

  QLabel* lblXGrid;
  QLabel* lblYGrid;
  QLabel* lblXmin;
  QLabel* lblXmax;
  QLabel* lblYmin;
  QLabel* lblYmax;
  QLabel* lblZmin;
  QLabel* lblZmax;
  QLabel* lblDx;
  QLabel* lblDy;
};

}  // namespace kessadon::app
