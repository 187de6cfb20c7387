// The small dialog that asks which fields of a table or GIS layer hold x, y,
// z, the bound code, the trend, the dip and the id, with the fields listed
// and the ones found by their common names preselected.
#pragma once

#include <QDialog>
#include <array>

#include "Platform.h"

class QCheckBox;
class QComboBox;
class QPushButton;

namespace kessadon::app {

class FieldDialog : public QDialog {
 public:
  FieldDialog(QWidget* parent, const FieldQuestion& question);
  FieldAnswer Answer() const;

 private:
  // OK only with x and y (unless points place the records) and a height or a dip.
  void UpdateOk();

  bool needsXY_;
  std::array<QComboBox*, 7> fields_{};
  QCheckBox* swap_ = nullptr;
  QPushButton* ok_ = nullptr;
};

}  // namespace kessadon::app
