// Qt's own texts (file dialogs, message box buttons) in Japanese, like the
// rest of the program.
#pragma once

class QCoreApplication;

namespace kessadon::app {

// Makes Japanese the default locale and loads Qt's Japanese translation from
// the system's Qt translations folder; false when that is not installed, and
// Qt's texts then stay in English.
bool InstallJapaneseTranslations(QCoreApplication& application);

}  // namespace kessadon::app
