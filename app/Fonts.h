// Fonts of the desktop: a Japanese face for the captions, and an installed
// substitute for "Century", which Linux does not have.
#pragma once

class QApplication;

namespace kessadon::app {

void SetUpFonts(QApplication& application);

}  // namespace kessadon::app
