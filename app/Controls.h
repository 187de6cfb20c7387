// Small helpers that create the panel's controls with their names and captions,
// and write numbers into them in the general form.
#pragma once

#include <QString>
#include <optional>
#include <string>

class QCheckBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QWidget;

namespace kessadon::app {

QPushButton* NewButton(QWidget* parent, const char* name, const QString& caption);
// A fixed caption beside a control.
QLabel* NewCaption(QWidget* parent, const QString& caption, const char* name = nullptr);
// A label that shows a value, boxed as a read-only field.
QLabel* NewValueLabel(QWidget* parent, const char* name, const QString& caption = QString());
QLineEdit* NewTextBox(QWidget* parent, const char* name, const QString& text = QString());
QCheckBox* NewCheckBox(QWidget* parent, const char* name, const QString& caption, bool checked);
QRadioButton* NewOption(QWidget* parent, const char* name, const QString& caption, bool checked);
QListWidget* NewListBox(QWidget* parent, const char* name);

// A frame whose children are laid out on a grid.
QGridLayout* NewGridLayout(QGroupBox* frame);

// Adds caption/control rows down one pair of grid columns.
struct FieldColumn {
  QWidget* parent;
  QGridLayout* layout;
  int column = 0;
  int row = 0;

  // A text box with its caption; `captionLabel` receives the caption when the
  // panel names it.
  QLineEdit* AddText(const char* name, const QString& caption, const char* captionName = nullptr,
                     QLabel** captionLabel = nullptr);
  // A value label with its caption.
  QLabel* AddValue(const char* name, const QString& caption);
};

QString ToQ(const std::string& utf8);
std::string FromQ(const QString& text);

// The number a field holds by the leading-number rule, full-width digits, signs
// and point read as their ASCII forms (0 when it does not start with one).
double FieldValue(const QLineEdit* box);
// The number a field holds, full-width forms read as ASCII; nothing when its
// text does not start with a number or the number is beyond the double range.
std::optional<double> FieldNumber(const QLineEdit* box);
// The field's text for a library that reads numbers from text, full-width
// forms folded; empty when it holds no number, which keeps the setting as it was.
std::string NumberFieldText(const QLineEdit* box);

// Text of a number in the general form.
QString NumberText(double value);
void SetCaption(QLabel* label, double value);
void SetText(QLineEdit* box, double value);

}  // namespace kessadon::app
