#include "Fonts.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>

namespace kessadon::app {

void SetUpFonts(QApplication& application) {
  const QStringList families = QFontDatabase::families();
  for (const char* japanese : {"Noto Sans CJK JP", "Noto Sans JP", "IPAGothic"}) {
    if (families.contains(japanese)) {
      QFont font(japanese);
      font.setPointSize(9);
      application.setFont(font);
      break;
    }
  }
  // Century Schoolbook clones have Century's metrics, so labels keep their size.
  QFont::insertSubstitutions("Century", {"C059", "TeX Gyre Schola", "Century Schoolbook L"});
}

}  // namespace kessadon::app
