// Saves what a person sees: every tab of the main window and the drawing window.
#include <filesystem>

#include <QTabWidget>

#include "AppFixture.h"

namespace kessadon::testing {
namespace {

TEST_F(AppTest, SavesScreenshotsOfEveryTab) {
  std::filesystem::create_directories(KESSADON_SCREENS_DIR);
  const std::string folder = KESSADON_SCREENS_DIR;
  platform.openAnswers.push_back(QString::fromStdString(SourcePath("data/samples/hill.grd")));
  Click("cmdOpenGridData");

  auto* tabs = Find<QTabWidget>("tabParameter");
  for (int k = 0; k < tabs->count(); ++k) {
    tabs->setCurrentIndex(k);
    const QString name = tabs->widget(k)->objectName();
    const QString path = QString::fromStdString(folder) + "/formMain-" + name + ".png";
    EXPECT_TRUE(form->grab().save(path)) << path.toStdString();
    // Every frame must fit the window a person gets at start-up.
    for (QWidget* child : tabs->widget(k)->findChildren<QWidget*>()) {
      if (child->isVisibleTo(form.get()) && child->parentWidget() == tabs->widget(k)) {
        EXPECT_GE(child->width(), child->minimumSizeHint().width())
            << child->objectName().toStdString() << " clipped on " << name.toStdString();
      }
    }
  }
  EXPECT_TRUE(form->Image().grab().save(QString::fromStdString(folder) + "/formImage.png"));
}

}  // namespace
}  // namespace kessadon::testing
