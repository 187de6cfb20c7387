// "測定データファイルの種類": the layout of the next measured-data file, the
// load commands and the list of files read so far.
#pragma once

#include <QGroupBox>
#include <array>

class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace kessadon::app {

class DataFileFrame : public QGroupBox {
 public:
  explicit DataFileFrame(QWidget* parent);

  // optData[0] ... optData[4] are optData1 ... optData5.
  std::array<QRadioButton*, 5> optData;
  QPushButton* cmdOpenData;
  QPushButton* cmdOpenDataAdd;
  QPushButton* cmdClear;
  QListWidget* lstDataFile;
  // Fault traces the estimation breaks along and the pictures draw.
  QPushButton* cmdOpenFaults;
  QPushButton* cmdClearFaults;
  QLabel* lblFaults;
};

}  // namespace kessadon::app
