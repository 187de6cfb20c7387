// An estimated or resampled grid is work: nothing discards it without asking.
#include <filesystem>

#include "AppFixture.h"
#include "io/GridFile.h"

namespace kessadon::testing {
namespace {

class UnsavedWorkTest : public AppTest {
 protected:
  // Estimates a small grid from the hill's points; it is not in any file ye
  void Estimate() {
    Load("cmdOpenData", SourcePath("data/samples/hill_points.txt"));
    Type("txtXGridH", "11");
    Type("txtYGridH", "9");
    Click("cmdHorizon");
    ASSERT_EQ(state().GridLoaded, 1) << Status().toStdString();
    ASSERT_TRUE(state().OriginalUnsaved);
  }
  // The question asked last, if any.
  QString Question() { return platform.questions.empty() ? QString() : platform.questions.back(); }
};

// Each command that would let the estimate go, answered each way.
TEST_F(UnsavedWorkTest, EveryCommandThatDiscardsTheGridAsksFirst) {
  struct Command {
    const char* name;
    std::function<void()> run;
    // Whether the command took place, judged after it ran.
    std::function<bool()> happened;
  };
  const Command commands[] = {
      {"clear", [this] { Click("cmdClear"); }, [this] { return state().GridLoaded == 0; }},
      {"grid file", [this] { OpenGrid(SourcePath("data/samples/hill.grd")); },
       [this] { return state().Grid.Nx == 41; }},
      {"map sheet",
       [this] {
         platform.openAnswers.push_back(
             QString::fromStdString(SourcePath("data/samples/sample_map.mem")));
         Click("cmdOpenMem");
       },
       [this] { return Caption("lblGridOnOff") == "読み込んだ数値地図"; }},
      {"estimation",
       [this] {
         Type("txtXGridH", "12");
         Click("cmdHorizon");
       },
       [this] { return state().Grid.Nx == 12; }},
      {"quit", [this] { form->close(); }, [this] { return !form->isVisible(); }},
  };
  for (const Command& command : commands) {
    for (const SaveChoice choice : {SaveChoice::Cancel, SaveChoice::Discard, SaveChoice::Save}) {
      SCOPED_TRACE(std::string(command.name) + " answered " +
                   std::to_string(static_cast<int>(choice)));
      Start();
      platform.questions.clear();
      Estimate();
      const GridData before = state().Grid;
      const std::string saved = files / (std::string(command.name) + ".grd");
      platform.saveChoices.push_back(choice);
      if (choice == SaveChoice::Save) platform.saveAnswers.push_back(QString::fromStdString(saved));
      command.run();

      EXPECT_TRUE(platform.saveChoices.empty()) << "asked once";
      EXPECT_TRUE(Question().startsWith("推定された格子データは保存されていません"))
          << Question().toStdString();
      EXPECT_EQ(command.happened(), choice != SaveChoice::Cancel);
      if (choice == SaveChoice::Cancel) {
        EXPECT_EQ(state().Grid.Z, before.Z);
        EXPECT_EQ(Caption("lblGridFileName"), "推定された格子データ（未ファイル化）");
      }
      if (choice == SaveChoice::Save) {
        Result<GridData> written = ReadGridFile(saved);
        ASSERT_TRUE(written) << Describe(written.failure());
        EXPECT_EQ(written->Nx, before.Nx);
      }
    }
  }
}

TEST_F(UnsavedWorkTest, ACancelledSaveDialogCancelsTheCommand) {
  Estimate();
  platform.saveChoices.push_back(SaveChoice::Save);
  platform.saveAnswers.push_back("");  // the dialog cancelled
  Click("cmdClear");
  EXPECT_EQ(state().GridLoaded, 1);
  EXPECT_TRUE(state().OriginalUnsaved);
}

TEST_F(UnsavedWorkTest, SavedAndFileGridsAreLetGoWithoutAQuestion) {
  Estimate();
  platform.saveAnswers.push_back(QString::fromStdString(files / "kepgrd"));
  Click("cmdSaveGridData");
  EXPECT_FALSE(state().OriginalUnsaved);
  OpenGrid(SourcePath("data/samples/hill.grd"));  // no question: the scripted platform would fail
  OpenGrid(SourcePath("data/samples/plane.grd"));
  EXPECT_TRUE(platform.questions.empty());
  EXPECT_EQ(Caption("lblGridFileName"),
            QString::fromStdString(SourcePath("data/samples/plane.grd")));
}

// Both the estimate and its resampling are work; saving one leaves the other to ask abou
TEST_F(UnsavedWorkTest, TheResampledGridAndItsOriginalAreAskedAboutApart) {
  Estimate();
  Type("txtXGridG", "21");
  Type("txtYGridG", "17");
  Click("cmdG2g");
  ASSERT_TRUE(state().RefinedUnsaved);
  const std::string refined = files / "refined.grd";
  platform.saveAnswers.push_back(QString::fromStdString(refined));
  Click("cmdSaveGridData");
  EXPECT_FALSE(state().RefinedUnsaved);
  EXPECT_TRUE(state().OriginalUnsaved);

  // The original, not shown, is saved as it was estimated.
  const std::string original = files / "original.grd";
  platform.saveChoices.push_back(SaveChoice::Save);
  platform.saveAnswers.push_back(QString::fromStdString(original));
  Click("cmdClear");
  ASSERT_EQ(platform.questions.size(), 1u);
  EXPECT_TRUE(Question().startsWith("推定された格子データ")) << Question().toStdString();
  EXPECT_EQ(ReadGridFile(original)->Nx, 11);
  EXPECT_EQ(ReadGridFile(refined)->Nx, 21);
  EXPECT_EQ(state().GridLoaded, 0);
}

}  // namespace
}  // namespace kessadon::testing
