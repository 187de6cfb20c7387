#include <QCheckBox>
#include <QRadioButton>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "AppFixture.h"
#include "app/PictureBox.h"
#include "cli/Cli.h"

namespace kessadon::testing {
namespace {

class PictureCommandsTest : public AppTest {
 protected:
  PictureBox& Picture() { return *Find<PictureBox>("picImage"); }
  // Pixels of the kept picture that differ from the background.
  int Drawn(const QImage& image) {
    const QRgb background = image.pixel(0, 0);
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) count += image.pixel(x, y) != background;
    }
    return count;
  }
  void Check(const char* name, bool on) { Find<QCheckBox>(name)->setChecked(on); }
};

TEST_F(PictureCommandsTest, PlanViewOpensTheGridPicture) {
  OpenGrid(SourcePath("data/samples/hill.grd"));
  EXPECT_FALSE(Enabled("cmdDisplayGrid"));
  Click("cmd2D");
  const std::pair<const char*, const char*> texts[] = {
      {"txtAlpha", "180"},    {"txtGamma", "90"},         {"txtSca", "1.8"}, {"txtVe", "1"},
      {"txtZbase", "-99999"}, {"txtDist", "10000000000"}, {"txtPpz", "0"}};
  for (const auto& [name, text] : texts) EXPECT_EQ(Text(name), text) << name;
  EXPECT_EQ(state().ViewReady, 1);
  EXPECT_TRUE(Enabled("cmdDisplayGrid"));
  EXPECT_FALSE(Enabled("cmdDisplayContour")) << "contour lines not ticked";
  EXPECT_EQ(state().View.YOrder.Step, -1) << "the plan view's eye lies a hair south";

  Click("cmdDisplayGrid");
  EXPECT_FALSE(Status().contains("まだ使えません")) << Status().toStdString();
  EXPECT_EQ(state().DisplayMode, DisplayMode::Grid);
  EXPECT_EQ(platform.busyDepth, 0);
  EXPECT_GT(Drawn(Picture().Image()), 1000);
  EXPECT_EQ(Picture().Image().pixelColor(0, 0), Qt::white);
}

TEST_F(PictureCommandsTest, DefaultViewBaseAndPerspectiveSwitches) {
  OpenGrid(SourcePath("data/samples/hill.grd"));  // Zmin 101.15
  Click("cmd3DDefault");
  EXPECT_EQ(Text("txtAlpha"), "225");
  EXPECT_EQ(Text("txtGamma"), "30");
  EXPECT_EQ(Text("txtZbase"), "100");
  EXPECT_TRUE(Find<QCheckBox>("chkBase")->isChecked());
  EXPECT_EQ(state().ViewReady, 1);

  Check("chkBase", false);
  EXPECT_EQ(Text("txtZbase"), "-99999");
  EXPECT_FALSE(Enabled("txtZbase"));
  EXPECT_EQ(state().View.Zbase, -99999);
  Check("chkBase", true);
  EXPECT_EQ(Text("txtZbase"), "100") << "the base of the moment was kept";

  Check("chkPers", true);
  EXPECT_EQ(Text("txtDist"), "0") << "no perspective distance typed yet";
  EXPECT_TRUE(Enabled("txtDist"));
  Find<QLineEdit>("txtDist")->setText("5000");
  Find<QLineEdit>("txtPpz")->setText("200");
  EXPECT_EQ(state().View.Dist, 5000);
  Check("chkPers", false);
  EXPECT_EQ(Text("txtDist"), "10000000000");
  EXPECT_EQ(state().View.Ppz, 0);
  EXPECT_FALSE(Enabled("txtPpz"));
  Check("chkPers", true);
  EXPECT_EQ(Text("txtDist"), "5000");
  EXPECT_EQ(Text("txtPpz"), "200");
}

TEST_F(PictureCommandsTest, RefusedPerspectiveSaysWhyAndDrawsNothing) {
  OpenGrid(SourcePath("data/samples/hill.grd"));
  Click("cmd3DDefault");
  ASSERT_TRUE(Enabled("cmdDisplayGrid"));
  Check("chkPers", true);  // the distance reads 0 until one is typed
  struct Case {
    const char *dist, *ppz, *says;
  };
  for (const Case& c : {Case{"0", "0", "「視点距離」に 0 より大きい値"},
                        Case{"300", "0", "「視点距離」を"}, Case{"3000", "3000", "「透視面」を"}}) {
    Type("txtDist", c.dist);
    Type("txtPpz", c.ppz);
    EXPECT_TRUE(Status().contains(QString::fromUtf8(c.says)))
        << c.dist << ": " << Status().toStdString();
    EXPECT_EQ(state().ViewReady, 0) << c.dist;
    EXPECT_FALSE(Enabled("cmdDisplayGrid")) << c.dist;
  }
  Type("txtPpz", "0");
  Type("txtDist", "3000");
  EXPECT_EQ(state().ViewReady, 1);
  EXPECT_TRUE(Enabled("cmdDisplayGrid"));
  EXPECT_FALSE(Status().contains("透視投影ができません")) << "the reason goes with the fault";
}

TEST_F(PictureCommandsTest, MagnificationMustBePositiveOnce) {
  OpenGrid(SourcePath("data/samples/hill.grd"));
  Find<QLineEdit>("txtSca")->setText("0");
  EXPECT_EQ(state().ViewReady, 0);
  EXPECT_FALSE(Enabled("cmdDisplayGrid"));
  Find<QLineEdit>("txtSca")->setText("2");
  EXPECT_EQ(state().ViewReady, 1);
  Find<QLineEdit>("txtSca")->setText("-1");
  EXPECT_EQ(state().ViewReady, 1) << "nothing lowers ViewReady";
}

TEST_F(PictureCommandsTest, AutomaticLevelsAndTheContourSwitch) {
  OpenGrid(WriteFile("range.grd", "2 2 0 0 1 1\n12.3 50 60 87.6\n"));
  Click("cmd2D");
  Click("cmdContourAuto");
  EXPECT_EQ(Text("txtCst"), "12");
  EXPECT_EQ(Text("txtCen"), "88");
  EXPECT_EQ(Text("txtCin"), "4");
  EXPECT_EQ(Caption("lblContourColor"), "19");
  EXPECT_EQ(state().ContourReady, 1);
  EXPECT_TRUE(Find<QCheckBox>("chkContour")->isChecked());
  EXPECT_TRUE(Enabled("cmdDisplayContour"));
  EXPECT_TRUE(Enabled("cmdDisplayColorContour"));
  Check("chkContour", false);
  EXPECT_FALSE(Enabled("cmdDisplayContour"));

  // A flat grid: no interval, nothing to draw lines between.
  OpenGrid(WriteFile("flat.grd", "2 2 0 0 1 1\n50 50 50 50\n"));
  Click("cmd2D");
  Click("cmdContourAuto");
  EXPECT_EQ(Text("txtCst"), "50");
  EXPECT_EQ(Text("txtCen"), "50");
  EXPECT_EQ(Text("txtCin"), "0");
  EXPECT_FALSE(Find<QCheckBox>("chkContour")->isChecked());
  EXPECT_FALSE(Enabled("cmdDisplayContour"));
  EXPECT_EQ(state().ContourReady, 0);
}

TEST_F(PictureCommandsTest, BlackBackgroundAndAutoRedraw) {
  OpenGrid(SourcePath("data/samples/hill.grd"));
  Click("cmd2D");
  Check("chkBack", true);
  Click("cmdDisplayGrid");
  const QImage black = Picture().Image();
  EXPECT_EQ(black.pixelColor(0, 0), Qt::black);
  EXPECT_GT(Drawn(black), 1000);

  // Drawing with AutoRedraw off reaches the window but not the kept picture.
  Click("cmdImageClear");
  Check("chkAutoRedraw", false);
  Click("cmdDisplayGrid");
  EXPECT_EQ(Drawn(Picture().Image()), 0);
  EXPECT_GT(Drawn(Picture().Surface().Screen()), 1000);
  platform.saveAnswers.push_back(QString::fromStdString(files / "blank.bmp"));
  Click("cmdSaveImage");
  QImage saved(QString::fromStdString(files / "blank.bmp"));
  ASSERT_FALSE(saved.isNull());
  EXPECT_EQ(Drawn(saved), 0);
}

TEST_F(PictureCommandsTest, SaveAndCopyThePicture) {
  // Right after start-up the picture is white, the window's inner size.
  platform.saveAnswers.push_back(QString::fromStdString(files / "start.bmp"));
  Click("cmdSaveImage");
  const QImage start(QString::fromStdString(files / "start.bmp"));
  EXPECT_EQ(start.size(), form->Image().size());
  EXPECT_EQ(start.pixelColor(start.width() - 1, start.height() - 1), Qt::white);
  EXPECT_EQ(Drawn(start), 0);

  OpenGrid(SourcePath("data/samples/hill.grd"));
  Click("cmd2D");
  Click("cmdDisplayGrid");
  const std::string path = files / "picture.bmp";
  platform.saveAnswers.push_back(QString::fromStdString(path));
  Click("cmdSaveImage");
  EXPECT_EQ(platform.saveFilters.back(),
            "ビットマップファイル (*.bmp)|*.bmp|PNG 画像 (*.png)|*.png|"
            "SVG ベクトル図 (*.svg)|*.svg|PDF ベクトル図 (*.pdf)|*.pdf|すべてのファイル (*.*)|*.*");
  std::ifstream file(path, std::ios::binary);
  std::string header(54, '\0');
  file.read(header.data(), 54);
  EXPECT_EQ(header.substr(0, 2), "BM");
  EXPECT_EQ(header[28], 24) << "24 bits a pixel";
  QImage back(QString::fromStdString(path));
  ASSERT_EQ(back.size(), Picture().Image().size());
  EXPECT_EQ(back.convertToFormat(QImage::Format_RGB32),
            Picture().Image().convertToFormat(QImage::Format_RGB32));

  // No to the overwrite question keeps the file.
  const auto before = std::filesystem::file_size(path);
  Click("cmdImageClear");
  platform.saveAnswers.push_back(QString::fromStdString(path));
  platform.yesNoAnswers.push_back(false);
  Click("cmdSaveImage");
  EXPECT_EQ(platform.questions.size(), 1u);
  EXPECT_EQ(Status(), "") << "nothing was saved this time";
  EXPECT_EQ(QImage(QString::fromStdString(path)).convertToFormat(QImage::Format_RGB32),
            back.convertToFormat(QImage::Format_RGB32));
  EXPECT_EQ(std::filesystem::file_size(path), before);

  Click("cmdDisplayGrid");
  Click("cmdCopyImage");
  EXPECT_EQ(platform.clipboard, Picture().Image());
  EXPECT_TRUE(Status().startsWith("画像をクリップボードにコピーしました"))
      << Status().toStdString();

  // The name's ending chooses the format; an ending of another kind of file
  // is refused with nothing written, and a name without one is a bitmap.
  struct Named {
    const char* name;
    const char* magic;  // nothing: refused
  };
  for (const Named& n : {Named{"x.png", "\x89PNG"}, Named{"x.grd", nullptr},
                         Named{"x.gpkg", nullptr}, Named{"noending", "BM"}}) {
    const std::string named = files / n.name;
    platform.messages.clear();
    platform.saveAnswers.push_back(QString::fromStdString(named));
    Click("cmdSaveImage");
    if (n.magic == nullptr) {
      EXPECT_FALSE(std::filesystem::exists(named)) << n.name;
      ASSERT_EQ(platform.messages.size(), 1U) << n.name;
      EXPECT_TRUE(platform.messages.back().contains(".png")) << n.name;
      continue;
    }
    std::string magic(std::string(n.magic).size(), '\0');
    std::ifstream(named, std::ios::binary)
        .read(magic.data(), static_cast<std::streamsize>(magic.size()));
    EXPECT_EQ(magic, n.magic) << n.name;
  }
}

// SVG and PDF draw the picture again: the grid, its scale bar and the data's
// labels as text, on a page of the window's size.
TEST_F(PictureCommandsTest, VectorPicturesDrawTheWindowAgain) {
  OpenGrid(SourcePath("data/samples/hill.grd"));
  Load("cmdOpenData", SourcePath("data/samples/hill_points.txt"));
  Click("cmd2D");
  Check("chkScaleBar", true);
  Click("cmdDisplayGrid");
  Click("cmdDisplayData");
  const std::string svg = files / "picture.svg", pdf = files / "picture.pdf";
  platform.saveAnswers.push_back(QString::fromStdString(svg));
  Click("cmdSaveImage");
  EXPECT_TRUE(Status().startsWith("画像を保存しました")) << Status().toStdString();
  std::stringstream text;
  text << std::ifstream(svg).rdbuf();
  const QSize size = Picture().Image().size();
  EXPECT_NE(
      text.str().find(
          QString("viewBox=\"0 0 %1 %2\"").arg(size.width()).arg(size.height()).toStdString()),
      std::string::npos);
  EXPECT_NE(text.str().find(">N</text>"), std::string::npos) << "the north arrow";
  EXPECT_NE(text.str().find("> 300.52</text>"), std::string::npos) << "a height label";

  platform.saveAnswers.push_back(QString::fromStdString(pdf));
  Click("cmdSaveImage");
  std::string magic(5, '\0');
  std::ifstream(pdf).read(magic.data(), 5);
  EXPECT_EQ(magic, "%PDF-");

  // What was drawn while AutoRedraw was off is not in the kept picture, and
  // a vector picture cannot tell it apart: refused, nothing written.
  Check("chkAutoRedraw", false);
  platform.saveAnswers.push_back(QString::fromStdString(files / "off.pdf"));
  Click("cmdSaveImage");
  EXPECT_FALSE(std::filesystem::exists(files / "off.pdf"));
  EXPECT_TRUE(Status().contains("AutoRedraw")) << Status().toStdString();
}

TEST_F(PictureCommandsTest, FrameOptionsFollowTheirBox) {
  OpenGrid(SourcePath("data/samples/hill.grd"));
  Click("cmd3DDefault");
  Click("cmdContourAuto");
  auto* optWaku2 = Find<QRadioButton>("optWaku2");
  auto* optWaku4 = Find<QRadioButton>("optWaku4");
  Check("chkWaku", false);
  EXPECT_FALSE(optWaku2->isChecked());
  EXPECT_FALSE(optWaku4->isChecked());
  Click("cmdDisplayContour");
  const QImage none = Picture().Image();

  optWaku2->click();
  EXPECT_TRUE(Find<QCheckBox>("chkWaku")->isChecked());
  Click("cmdDisplayContour");
  const QImage two = Picture().Image();
  EXPECT_NE(two, none);

  // Ticked again with neither option: the two near sides.
  Check("chkWaku", false);
  Check("chkWaku", true);
  EXPECT_FALSE(optWaku2->isChecked() || optWaku4->isChecked());
  Click("cmdDisplayContour");
  EXPECT_EQ(Picture().Image(), two);
}

TEST_F(PictureCommandsTest, ClosedDrawingWindowReopensForTheNextPicture) {
  OpenGrid(SourcePath("data/samples/hill.grd"));
  Click("cmd2D");
  form->Image().close();
  ASSERT_FALSE(form->Image().isVisible());
  Click("cmdDisplayGrid");
  EXPECT_TRUE(form->Image().isVisible());
  EXPECT_GT(Drawn(Picture().Image()), 1000);
}

// The command line draws exactly what the desktop draws with the same settings.
TEST_F(PictureCommandsTest, CommandLineDrawsTheDesktopsPicture) {
  const std::string grid = SourcePath("data/samples/hill.grd");
  OpenGrid(grid);
  Click("cmd3DDefault");
  Find<QLineEdit>("txtAlpha")->setText("200");
  Find<QLineEdit>("txtGamma")->setText("40");
  Check("chkScaleLine", true);
  Check("chkBack", true);
  Click("cmdContourAuto");
  Click("cmdDisplayContour");
  const QImage desktop = Picture().Image().convertToFormat(QImage::Format_RGB32);

  const std::string png = files / "same.png";
  const QString size = QString("%1,%2").arg(desktop.width()).arg(desktop.height());
  std::ostringstream out, err;
  ASSERT_EQ(RunCli({"render", grid, "--mode", "contour", "--view", "200,40", "--scale-ticks",
                    "--black", "--size", size.toStdString(), "-o", png},
                   out, err),
            0)
      << err.str();
  EXPECT_EQ(QImage(QString::fromStdString(png)).convertToFormat(QImage::Format_RGB32), desktop);
}

TEST_F(PictureCommandsTest, SavesScreenshotsOfThePictures) {
  std::filesystem::create_directories(KESSADON_SCREENS_DIR);
  const QString folder = KESSADON_SCREENS_DIR;
  OpenGrid(SourcePath("data/samples/hill.grd"));
  Click("cmd3DDefault");
  Check("chkScaleLine", true);
  Click("cmdContourAuto");
  Click("cmdDisplayContour");
  EXPECT_EQ(Status(), "") << "every command used here is built";
  EXPECT_TRUE(form->Image().grab().save(folder + "/formImage-contour-3d.png"));
  Click("cmd2D");
  Click("cmdDisplayGrid");
  EXPECT_TRUE(form->Image().grab().save(folder + "/formImage-grid-plan.png"));
}

}  // namespace
}  // namespace kessadon::testing
