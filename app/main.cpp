// kessadon: with no arguments the desktop program, with arguments the
// command-line front end.
#include <QApplication>
#include <cstdio>

#include "Fonts.h"
#include "FormMain.h"
#include "QtPlatform.h"
#include "Translations.h"
#include "cli/Cli.h"
#include "io/ProgramFiles.h"

int main(int argc, char** argv) {
  if (argc > 1) return kessadon::RunCli(argc, argv);

  if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
      qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    std::fputs(
        "kessadon: no display to open the desktop program on; kessadon --help lists the "
        "command-line subcommands\n",
        stderr);
    return 1;
  }
  QApplication application(argc, argv);
  QApplication::setApplicationName("Kessadon");
  kessadon::app::SetUpFonts(application);
  kessadon::app::InstallJapaneseTranslations(application);
  kessadon::app::QtPlatform platform;
  kessadon::app::FormMain formMain(platform, QString::fromStdString(kessadon::ProgramFolder()));
  formMain.Load();
  return application.exec();
}
