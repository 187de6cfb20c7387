// The save dialog followed by the program's own overwrite question.
#pragma once

#include <QString>
#include <optional>

namespace kessadon::app {

struct MainContext;

// Nothing when the user cancelled the dialog or declined to overwrite.
std::optional<QString> AskSavePath(MainContext& context, const QString& filter);

// The overwrite question for an existing file.
QString OverwriteQuestion(const QString& path);

}  // namespace kessadon::app
