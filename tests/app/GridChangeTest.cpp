#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <filesystem>

#include "AppFixture.h"
#include "app/Controls.h"
#include "app/PictureBox.h"
#include "estimate/GridRefinement.h"

namespace kessadon::testing {
namespace {

class GridChangeTest : public AppTest {
 protected:
  QString LastMessage() { return platform.messages.empty() ? QString() : platform.messages.back(); }
  QString ChangeCaption() { return Find<QPushButton>("cmdGridChange")->text(); }
};

TEST_F(GridChangeTest, RefineThenSwitchBetweenTheOriginalAndTheChangedGrid) {
  OpenGrid(SourcePath("data/samples/hill.grd"));
  const GridData original = state().Grid;
  Type("txtXGridG", "81");
  EXPECT_FALSE(Enabled("cmdG2g")) << "both counts are needed";
  Type("txtYGridG", "61");
  ASSERT_TRUE(Enabled("cmdG2g"));
  EXPECT_EQ(Caption("lblDxxG"), NumberText((original.Xmax - original.Xmin) / 80));

  Click("cmdG2g");
  EXPECT_EQ(state().Grid.Nx, 81);
  EXPECT_EQ(state().Grid.Xmax, original.Xmax);
  EXPECT_EQ(Caption("lblXGrid"), "81");
  EXPECT_EQ(Caption("lblGridOnOff"), "★☆★ 格子数変更後のデータ ★☆★");
  // The whole caption shows: wrapped where the frame is narrow, never cut.
  form->show();
  QCoreApplication::processEvents();
  const QLabel* onOff = Find<QLabel>("lblGridOnOff");
  EXPECT_GE(onOff->height(), onOff->heightForWidth(onOff->width()));
  std::filesystem::create_directories(KESSADON_SCREENS_DIR);
  EXPECT_TRUE(form->grab().save(QString(KESSADON_SCREENS_DIR) + "/formMain-grid-changed.png"));
  EXPECT_EQ(ChangeCaption(), "オリジナルに戻す");
  EXPECT_FALSE(Enabled("cmdG2g"));
  ASSERT_TRUE(Enabled("cmdGridChange"));

  Click("cmdGridChange");
  EXPECT_EQ(state().Grid.Nx, original.Nx);
  EXPECT_EQ(state().Grid.Z(7, 9), original.Z(7, 9));
  EXPECT_EQ(Caption("lblGridOnOff"), "オリジナルデータ");
  EXPECT_EQ(ChangeCaption(), "変更後のデータへ");
  Click("cmdGridChange");
  EXPECT_EQ(state().Grid.Ny, 61);

  // A second resampling asks before the unsaved resampled grid goes (a
  // cancel keeps it) and starts from the original, not the resampled grid.
  Type("txtXGridG", "41");
  Type("txtYGridG", "31");
  platform.saveChoices.push_back(SaveChoice::Cancel);
  Click("cmdG2g");
  EXPECT_EQ(state().Grid.Nx, 81);
  platform.saveChoices.push_back(SaveChoice::Discard);
  Click("cmdG2g");
  EXPECT_TRUE(platform.saveChoices.empty());
  ASSERT_EQ(state().Grid.Nx, 41);
  const Result<RefinedGrid> direct = RefineGrid(original, 41, 31);
  ASSERT_TRUE(direct);
  EXPECT_NEAR(state().Grid.Z(20, 15), direct->ZNew(20, 15), 1e-9);
  Click("cmdGridChange");
  EXPECT_EQ(state().Grid.Z, original.Z);
  Click("cmdGridChange");

  // A new grid leaves nothing to switch back to, once the resampled one is let go.
  platform.saveChoices.push_back(SaveChoice::Discard);
  OpenGrid(SourcePath("data/samples/plane.grd"));
  EXPECT_TRUE(platform.saveChoices.empty());
  EXPECT_FALSE(Enabled("cmdGridChange"));
  EXPECT_FALSE(state().Refined);
}

TEST_F(GridChangeTest, CountsThatCannotBeResampledAreRefused) {
  Type("txtXGridG", "5");
  Type("txtYGridG", "5");
  Click("cmdG2g");
  EXPECT_TRUE(LastMessage().contains("格子データがありません")) << LastMessage().toStdString();

  OpenGrid(SourcePath("data/samples/hill.grd"));
  const GridData original = state().Grid;
  Type("txtYGridG", "5");
  Type("txtXGridG", "1");
  Type("txtXGridG", "1.4");
  EXPECT_EQ(Caption("lblDxxG"), NumberText((original.Xmax - original.Xmin) / 0.4));
  Type("txtXGridG", "1");
  EXPECT_EQ(Caption("lblDxxG"), NumberText((original.Xmax - original.Xmin) / 0.4))
      << "1 leaves the spacing shown";
  Type("txtXGridG", "1.4");
  Click("cmdG2g");
  EXPECT_EQ(platform.messages.size(), 2u);
  EXPECT_EQ(state().Grid.Nx, original.Nx);
  EXPECT_FALSE(Enabled("cmdGridChange"));
}

TEST_F(GridChangeTest, MapSheetsBecomeTheGridAndBadOnesChangeNothing) {
  platform.openAnswers.push_back(QString::fromStdString(SourcePath("data/samples/sample_map.mem")));
  Click("cmdOpenMem");
  ASSERT_EQ(state().GridLoaded, 1) << Status().toStdString();
  EXPECT_EQ(state().Grid.Dx, 310);
  EXPECT_EQ(Caption("lblGridOnOff"), "読み込んだ数値地図");
  EXPECT_TRUE(Find<QLabel>("lblMem")->isVisibleTo(form.get()));
  EXPECT_FALSE(Caption("lblMem").isEmpty());
  EXPECT_EQ(Caption("lblXGridG"), QString::number(state().Grid.Nx));

  const std::string bad = WriteFile("short.mem", "too short\n");
  platform.openAnswers.push_back(QString::fromStdString(bad));
  Click("cmdOpenMem");
  EXPECT_TRUE(Status().contains("short.mem")) << Status().toStdString();
  EXPECT_EQ(state().Grid.Dx, 310);
  EXPECT_EQ(Caption("lblGridOnOff"), "読み込んだ数値地図");
}

}  // namespace
}  // namespace kessadon::testing
