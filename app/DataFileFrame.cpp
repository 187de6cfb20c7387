#include "DataFileFrame.h"

#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include "Controls.h"

namespace kessadon::app {

DataFileFrame::DataFileFrame(QWidget* parent) : QGroupBox("測定データファイルの種類", parent) {
  setObjectName("fraDataType");
  QGridLayout* layout = NewGridLayout(this);
  static const char* const kNames[] = {"optData1", "optData2", "optData3", "optData4", "optData5"};
  static const char* const kCaptions[] = {"id,x,y,z", "id,x,y,z,l", "id,x,y,z,l,trend,dip",
                                          "id,x,y,z,l + id,x,y,z,trend,dip",
                                          "格子データ（→id, x, y, z へ変換）"};
  for (int k = 0; k < 5; ++k) {
    optData[k] = NewOption(this, kNames[k], kCaptions[k], k == 0);
    layout->addWidget(optData[k], k, 0, 1, 3);
  }
  cmdOpenData = NewButton(this, "cmdOpenData", "新規読み込み");
  cmdOpenDataAdd = NewButton(this, "cmdOpenDataAdd", "追加読み込み");
  cmdClear = NewButton(this, "cmdClear", "データのクリア");
  layout->addWidget(cmdOpenData, 5, 0);
  layout->addWidget(cmdOpenDataAdd, 5, 1);
  layout->addWidget(cmdClear, 5, 2);
  layout->addWidget(NewCaption(this, "これまでに開いた測定データファイル"), 6, 0, 1, 3);
  lstDataFile = NewListBox(this, "lstDataFile");
  lstDataFile->setMinimumHeight(90);
  layout->addWidget(lstDataFile, 7, 0, 1, 3);
  cmdOpenFaults = NewButton(this, "cmdOpenFaults", "断層線ファイルを開く");
  cmdClearFaults = NewButton(this, "cmdClearFaults", "断層線のクリア");
  cmdClearFaults->setEnabled(false);
  layout->addWidget(cmdOpenFaults, 8, 0, 1, 2);
  layout->addWidget(cmdClearFaults, 8, 2);
  lblFaults = NewCaption(this, "断層線はありません");
  lblFaults->setObjectName("lblFaults");
  layout->addWidget(lblFaults, 9, 0, 1, 3);
}

}  // namespace kessadon::app
