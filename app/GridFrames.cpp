#include "GridFrames.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "Controls.h"

namespace kessadon::app {

GridFileFrame::GridFileFrame(QWidget* parent) : QGroupBox("格子データファイルを開く", parent) {
  setObjectName("fraGridFile");
  QGridLayout* layout = NewGridLayout(this);
  cmdOpenGridData = NewButton(this, "cmdOpenGridData", "格子データ");
  cmdOpenMem = NewButton(this, "cmdOpenMem", "数値地図");
  lblGridFileName = NewValueLabel(this, "lblGridFileName", "格子データは開かれていません");
  lblGridFileName->setWordWrap(true);
  lblGridOnOff = NewValueLabel(this, "lblGridOnOff", "格子データの状態");
  lblGridOnOff->setWordWrap(true);
  lblMemLbl = NewCaption(this, "数値地図：", "lblMemLbl");
  lblMem = NewCaption(this, QString(), "lblMem");
  cmdSaveGridData = NewButton(this, "cmdSaveGridData", "上の格子データの保存");
  cmdSaveUncertainty = NewButton(this, "cmdSaveUncertainty", "推定の標準偏差の保存");

  layout->addWidget(cmdOpenGridData, 0, 0);
  layout->addWidget(cmdOpenMem, 0, 1);
  layout->addWidget(lblMemLbl, 0, 2);
  layout->addWidget(lblMem, 0, 3);
  layout->addWidget(lblGridFileName, 1, 0, 1, 4);
  // The state on a row of its own: the resampled grid's caption is long.
  layout->addWidget(lblGridOnOff, 2, 0, 1, 4);
  layout->addWidget(cmdSaveGridData, 3, 0, 1, 2);
  layout->addWidget(cmdSaveUncertainty, 3, 2, 1, 2);
  layout->setColumnStretch(3, 1);
}

GridSpecFrame::GridSpecFrame(QWidget* parent) : QGroupBox("格子の諸元", parent) {
  setObjectName("fraGridSpec");
  QGridLayout* layout = NewGridLayout(this);
  struct Entry {
    QLabel** label;
    const char* name;
    const char* caption;
  };
  // Two columns: x figures on the left, y figures on the right.
  const Entry entries[] = {
      {&lblXGrid, "lblXGrid", "Nx"},  {&lblYGrid, "lblYGrid", "Ny"},
      {&lblXmin, "lblXmin", "X min"}, {&lblYmin, "lblYmin", "Y min"},
      {&lblXmax, "lblXmax", "X Max"}, {&lblYmax, "lblYmax", "Y Max"},
      {&lblDx, "lblDx", "Dx"},        {&lblDy, "lblDy", "Dy"},
      {&lblZmin, "lblZmin", "Z min"}, {&lblZmax, "lblZmax", "Z Max"},
  };
  int k = 0;
  for (const Entry& entry : entries) {
    *entry.label = NewValueLabel(this, entry.name);
    const int row = k / 2;
    const int column = (k % 2) * 2;
    layout->addWidget(NewCaption(this, entry.caption), row, column);
    layout->addWidget(*entry.label, row, column + 1);
    ++k;
  }
  layout->setColumnStretch(1, 1);
  layout->setColumnStretch(3, 1);
}

}  // namespace kessadon::app
