#include "Controls.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <cmath>

#include "io/NumberText.h"

namespace kessadon::app {

QPushButton* NewButton(QWidget* parent, const char* name, const QString& caption) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(name);
  return button;
}

QLabel* NewCaption(QWidget* parent, const QString& caption, const char* name) {
  auto* label = new QLabel(caption, parent);
  if (name) label->setObjectName(name);
  return label;
}

QLabel* NewValueLabel(QWidget* parent, const char* name, const QString& caption) {
  auto* label = new QLabel(caption, parent);
  label->setObjectName(name);
  label->setFrameShape(QFrame::Panel);
  label->setFrameShadow(QFrame::Sunken);
  label->setMinimumWidth(60);
  // The panel keeps its layout whatever a value's length; a long one is cut
  // at the label's edge and can still be selected and copied whole.
  label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  return label;
}

QLineEdit* NewTextBox(QWidget* parent, const char* name, const QString& text) {
  auto* box = new QLineEdit(text, parent);
  box->setObjectName(name);
  box->setMinimumWidth(60);
  box->setMaximumWidth(120);
  return box;
}

QCheckBox* NewCheckBox(QWidget* parent, const char* name, const QString& caption, bool checked) {
  auto* box = new QCheckBox(caption, parent);
  box->setObjectName(name);
  box->setChecked(checked);
  return box;
}

QRadioButton* NewOption(QWidget* parent, const char* name, const QString& caption, bool checked) {
  auto* option = new QRadioButton(caption, parent);
  option->setObjectName(name);
  option->setChecked(checked);
  return option;
}

QListWidget* NewListBox(QWidget* parent, const char* name) {
  auto* list = new QListWidget(parent);
  list->setObjectName(name);
  return list;
}

QGridLayout* NewGridLayout(QGroupBox* frame) {
  auto* layout = new QGridLayout(frame);
  layout->setContentsMargins(8, 6, 8, 6);
  layout->setHorizontalSpacing(8);
  layout->setVerticalSpacing(4);
  return layout;
}

QLineEdit* FieldColumn::AddText(const char* name, const QString& caption, const char* captionName,
                                QLabel** captionLabel) {
  QLineEdit* box = NewTextBox(parent, name);
  QLabel* label = NewCaption(parent, caption, captionName);
  if (captionLabel) *captionLabel = label;
  layout->addWidget(label, row, column);
  layout->addWidget(box, row, column + 1);
  ++row;
  return box;
}

QLabel* FieldColumn::AddValue(const char* name, const QString& caption) {
  QLabel* value = NewValueLabel(parent, name);
  layout->addWidget(NewCaption(parent, caption), row, column);
  layout->addWidget(value, row, column + 1);
  ++row;
  return value;
}

QString ToQ(const std::string& utf8) { return QString::fromStdString(utf8); }
std::string FromQ(const QString& text) { return text.toStdString(); }

double FieldValue(const QLineEdit* box) {
  return ParseLeadingNumber(FoldFullWidth(FromQ(box->text())));
}

std::optional<double> FieldNumber(const QLineEdit* box) {
  const std::optional<double> value = ParseNumberField(FromQ(box->text()));
  if (!value || !std::isfinite(*value)) return std::nullopt;
  return value;
}

std::string NumberFieldText(const QLineEdit* box) {
  return FieldNumber(box) ? FoldFullWidth(FromQ(box->text())) : std::string();
}

QString NumberText(double value) { return ToQ(FormatGeneral(value)); }
void SetCaption(QLabel* label, double value) { label->setText(NumberText(value)); }
void SetText(QLineEdit* box, double value) { box->setText(NumberText(value)); }

}  // namespace kessadon::app
