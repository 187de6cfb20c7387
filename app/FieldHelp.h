// What each control of the panel does, said once: its one-line tooltip and,
// for the number fields, the name a message gives it and the range it takes.
#pragma once

#include <QString>
#include <optional>

class QLineEdit;
class QWidget;

namespace kessadon::app {

struct MainContext;

// Gives every control under `window` its tooltip.
void SetToolTips(QWidget* window);

// What is wrong with a number field's text, naming the field: text that holds
// no number, or a number out of the field's range. Nothing for blank text and
// for text that is fine.
std::optional<QString> FieldProblem(const QLineEdit* box);

// The first problem among `boxes` that are enabled, shown in a message box;
// true when there was one.
bool RefuseFieldProblems(MainContext& context, std::initializer_list<const QLineEdit*> boxes);

// Every number field says what is wrong with it in the status bar when its
// edit is finished.
void ConnectFieldChecks(MainContext& context);

}  // namespace kessadon::app
