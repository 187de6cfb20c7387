// Saves what a person sees: every tab of the main window and the drawing window.
#include <QAbstractButton>
#include <QCheckBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QHeaderView>
#include <QMessageBox>
#include <QRadioButton>
#include <QTabWidget>
#include <QTreeView>
#include <cmath>
#include <filesystem>

#include "AppFixture.h"
#include "app/PictureBox.h"
#include "app/QtPlatform.h"

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

// The question before unsaved work goes, as the desktop asks it.
TEST_F(AppTest, SavesAScreenshotOfTheSaveQuestion) {
  std::filesystem::create_directories(KESSADON_SCREENS_DIR);
  std::unique_ptr<QMessageBox> box = NewSaveQuestion(
      form.get(),
      "推定された格子データは保存されていません。\r\n保存しますか？（破棄すると元に戻せません）");
  box->show();
  EXPECT_TRUE(box->grab().save(QString(KESSADON_SCREENS_DIR) + "/question-unsaved-grid.png"));
  // Every answer can be read in full.
  for (QAbstractButton* button : box->buttons()) {
    EXPECT_GE(button->width(), button->minimumSizeHint().width()) << button->text().toStdString();
  }
}

// The file dialog shows every column whole: the names take the room the
// sizes and dates leave.
TEST_F(AppTest, SavesAScreenshotOfTheFileDialog) {
  std::unique_ptr<QFileDialog> dialog =
      NewFileDialog(form.get(), "格子データ (*.grd)|*.grd|すべてのファイル (*.*)|*.*", false);
  dialog->setDirectory(QString::fromStdString(SourcePath("data/samples")));
  dialog->show();
  const auto* view = dialog->findChild<QTreeView*>("treeView");
  ASSERT_NE(view, nullptr);
  // The folder is read on a thread of its own.
  QElapsedTimer waited;
  waited.start();
  while (view->model()->rowCount(view->rootIndex()) < 4 && waited.elapsed() < 3000) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  }
  QCoreApplication::processEvents();
  const QHeaderView* header = view->header();
  for (int k = 1; k < header->count(); ++k) {
    if (header->isSectionHidden(k)) continue;
    EXPECT_GE(header->sectionSize(k), header->sectionSizeHint(k)) << k;
  }
  EXPECT_GT(header->sectionSize(0), 200);
  std::filesystem::create_directories(KESSADON_SCREENS_DIR);
  EXPECT_TRUE(dialog->grab().save(QString(KESSADON_SCREENS_DIR) + "/dialog-save-file.png"));
}

TEST_F(AppTest, SavesScreenshotsOfTheShadedAndColouredPictures) {
  std::filesystem::create_directories(KESSADON_SCREENS_DIR);
  const QString folder = QString(KESSADON_SCREENS_DIR) + "/";
  auto picture = [&](const QString& name) {
    EXPECT_TRUE(Find<PictureBox>("picImage")->Image().save(folder + name + ".png"));
  };
  OpenGrid(SourcePath("data/samples/hill.grd"));
  Click("cmd2D");
  Click("cmdDefaultLight");
  for (int k = 1; k <= 4; ++k) {
    const QByteArray option = "opt_" + QByteArray::number(k);
    Find<QRadioButton>(option.constData())->click();
    Click("cmdContourAuto");
    Click("cmdDisplayColorContour");
    picture("picture-color-contour-pattern" + QString::number(k));
  }
  Click("cmdColor");
  EXPECT_TRUE(form->Legend().grab().save(folder + "formColor-color-contour.png"));

  Click("cmdDisplayShade");
  picture("picture-shade-equalised");
  Find<QCheckBox>("chkHisto")->click();
  Click("cmdDisplayShade");
  picture("picture-shade");

  Find<QRadioButton>("opt_1")->click();
  Click("cmdContourAuto");
  Click("cmd3DDefault");
  Click("cmdDisplayColorShade");
  picture("picture-color-shade-3d");
  Click("cmdColor");
  EXPECT_TRUE(form->Legend().grab().save(folder + "formColor-color-shade.png"));
}

// A surface of a short height range coloured with the 44 colours of pattern 4:
// the legend lists the bands it uses, spread over the window.
TEST_F(AppTest, SavesTheLegendOfAShortRangeWithPattern4) {
  std::filesystem::create_directories(KESSADON_SCREENS_DIR);
  const QString folder = QString(KESSADON_SCREENS_DIR) + "/";
  std::string text = "21 21 0 0 10 10\n";
  for (int i = 0; i < 21; ++i) {
    for (int j = 0; j < 21; ++j) text += std::to_string(100 + 0.0325 * (i * i + j * j)) + " ";
    text += "\n";
  }
  OpenGrid(WriteFile("short.grd", text));  // heights 100 to 126
  Click("cmd2D");
  Click("cmdContourAuto");
  Find<QRadioButton>("opt_4")->click();
  Click("cmdDisplayColorContour");
  EXPECT_TRUE(
      Find<PictureBox>("picImage")->Image().save(folder + "picture-short-range-pattern4.png"));
  Click("cmdColor");
  EXPECT_TRUE(form->Legend().grab().save(folder + "formColor-short-range-pattern4.png"));
}

TEST_F(AppTest, SavesScreenshotsOfAMapSheetAndOfAGridBeforeAndAfterRefinement) {
  std::filesystem::create_directories(KESSADON_SCREENS_DIR);
  const QString folder = QString(KESSADON_SCREENS_DIR) + "/";
  auto picture = [&](const QString& name) {
    EXPECT_TRUE(Find<PictureBox>("picImage")->Image().save(folder + name + ".png"));
  };
  platform.openAnswers.push_back(QString::fromStdString(SourcePath("data/samples/sample_map.mem")));
  Click("cmdOpenMem");
  Click("cmd3DDefault");
  Click("cmdContourAuto");
  Click("cmdDefaultLight");
  Click("cmdDisplayColorShade");
  picture("picture-map-color-shade-3d");
  EXPECT_TRUE(form->grab().save(folder + "formMain-map.png"));

  // Eight by six cells of a hill and a hollow, drawn before and after refinement.
  std::string text = "9 7 0 0 100 100\n";
  for (int i = 0; i < 9; ++i) {
    for (int j = 0; j < 7; ++j) {
      const double x = i - 3, y = j - 3;
      text += std::to_string(200 * std::exp(-(x * x + y * y) / 6) -
                             80 * std::exp(-((x - 4) * (x - 4) + (y - 2) * (y - 2)) / 2)) +
              " ";
    }
    text += "\n";
  }
  OpenGrid(WriteFile("coarse.grd", text));
  Click("cmd3DDefault");
  Click("cmdContourAuto");
  Click("cmdDisplayColorContour");
  picture("picture-coarse-before-refinement");
  Type("txtXGridG", "65");
  Type("txtYGridG", "49");
  Click("cmdG2g");
  Click("cmdDisplayColorContour");
  picture("picture-coarse-after-refinement");
}

}  // namespace
}  // namespace kessadon::testing
