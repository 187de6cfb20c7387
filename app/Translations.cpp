#include "Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace kessadon::app {

bool InstallJapaneseTranslations(QCoreApplication& application) {
  // Dates and sizes in the file dialogs follow the language of the rest.
  QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
  auto* translator = new QTranslator(&application);
  const bool loaded = translator->load(QLocale(QLocale::Japanese, QLocale::Japan), "qtbase", "_",
                                       QLibraryInfo::path(QLibraryInfo::TranslationsPath));
  if (!loaded || !QCoreApplication::installTranslator(translator)) {
    delete translator;
    return false;
  }
  return true;
}

}  // namespace kessadon::app
