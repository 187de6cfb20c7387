// Widget tests need an application object; they run without a display.
#include <gtest/gtest.h>

#include <QApplication>
#include <QStatusBar>
#include <QtGlobal>

#include "AppFixture.h"
#include "app/Fonts.h"
#include "app/Translations.h"

namespace kessadon::testing {
QString AppTest::Status() { return form->statusBar()->currentMessage(); }
}  // namespace kessadon::testing

// The offscreen platform warns about every window it cannot size-hint.
static void QuietHandler(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (text.contains("propagateSizeHints") || text.contains("does not support raise")) return;
  qt_message_output(type, context, text);
}

int main(int argc, char** argv) {
  qInstallMessageHandler(QuietHandler);
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  kessadon::app::SetUpFonts(application);
  kessadon::app::InstallJapaneseTranslations(application);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
