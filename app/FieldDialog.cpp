#include "FieldDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace kessadon::app {

FieldDialog::FieldDialog(QWidget* parent, const FieldQuestion& question)
    : QDialog(parent), needsXY_(question.needsXY) {
  setObjectName("dlgFields");
  setWindowTitle("列の選択");
  auto* layout = new QVBoxLayout(this);
  auto* intro = new QLabel(
      QString("%1\nどの列（フィールド）に何が入っているかを選んでください。").arg(question.source),
      this);
  intro->setWordWrap(true);
  layout->addWidget(intro);
  auto* form = new QFormLayout();
  static const char* const kCaptions[7] = {"x（東）",  "y（北）", "z（標高）", "l（上下限の種類）",
                                           "傾斜方向", "傾斜角",  "番号・名前"};
  const QString none = needsXY_ ? "（なし）" : "（なし。x と y は点の座標）";
  for (int k = 0; k < 7; ++k) {
    auto* box = new QComboBox(this);
    box->setObjectName(QString("cboField%1").arg(k));
    box->addItem(k < 2 ? none : "（なし）");
    box->addItems(question.names);
    box->setCurrentIndex(question.chosen[k] + 1);
    connect(box, &QComboBox::currentIndexChanged, this, [this] { UpdateOk(); });
    form->addRow(kCaptions[k], box);
    fields_[k] = box;
  }
  layout->addLayout(form);
  swap_ = new QCheckBox("x と y を入れ替える（X が北、Y が東の表）", this);
  swap_->setObjectName("chkSwapXY");
  swap_->setChecked(question.swapXY);
  layout->addWidget(swap_);
  auto* buttons = new QDialogButtonBox(this);
  ok_ = buttons->addButton("OK", QDialogButtonBox::AcceptRole);
  buttons->addButton("キャンセル", QDialogButtonBox::RejectRole);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  UpdateOk();
}

FieldAnswer FieldDialog::Answer() const {
  FieldAnswer answer;
  for (int k = 0; k < 7; ++k) answer.chosen[k] = fields_[k]->currentIndex() - 1;
  answer.swapXY = swap_->isChecked();
  return answer;
}

void FieldDialog::UpdateOk() {
  const FieldAnswer a = Answer();
  const bool placed = !needsXY_ || (a.chosen[0] >= 0 && a.chosen[1] >= 0);
  const bool measured = a.chosen[2] >= 0 || (a.chosen[4] >= 0 && a.chosen[5] >= 0) || !needsXY_;
  ok_->setEnabled(placed && measured);
}

}  // namespace kessadon::app
