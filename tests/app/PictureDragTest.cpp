// Turning the block by hand in the drawing window, and drawing its picture again.
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QWheelEvent>
#include <cmath>
#include <filesystem>
#include <sstream>

#include "AppFixture.h"
#include "app/PictureBox.h"
#include "app/PictureRecipe.h"

namespace kessadon::testing {
namespace {

class PictureDragTest : public AppTest {
 protected:
  PictureBox& Picture() { return *Find<PictureBox>("picImage"); }
  QImage Shown() { return Picture().Image().copy(); }

  void Mouse(QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons held) {
    QMouseEvent event(type, QPointF(hand), Picture().mapToGlobal(QPointF(hand)), button, held,
                      Qt::NoModifier);
    QApplication::sendEvent(&Picture(), &event);
  }
  // Presses the left button in the middle of the picture and moves by each
  // step in turn, the events between handled as a hand leaves time for;
  // lets go unless `hold`.
  void Drag(std::initializer_list<QPoint> steps, bool hold = false) {
    hand = QPoint(Picture().width() / 2, Picture().height() / 2);
    Mouse(QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton);
    for (QPoint step : steps) {
      hand += step;
      Mouse(QEvent::MouseMove, Qt::NoButton, Qt::LeftButton);
      QApplication::processEvents();
    }
    if (!hold) Release();
  }
  void Release() { Mouse(QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton); }
  void Wheel(int notches) {
    const QPointF at(Picture().width() / 2, Picture().height() / 2);
    QWheelEvent event(at, Picture().mapToGlobal(at), QPoint(), QPoint(0, 120 * notches),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&Picture(), &event);
  }
  std::string Fields() {
    std::string fields;
    for (const char* name : {"txtAlpha", "txtGamma", "txtSca", "txtVe", "txtZbase"}) {
      fields += Text(name).toStdString() + " ";
    }
    return fields;
  }
  void Check(const char* name, bool on) { Find<QCheckBox>(name)->setChecked(on); }

  // Hills over 321 by 321 nodes, where the sample points lie: more cells than
  // a quick picture draws.
  std::string LargeGrid() {
    std::ostringstream text;
    text << "321 321 0 0 3.125 3.125\n";
    for (int j = 0; j < 321; ++j) {
      for (int i = 0; i < 321; ++i) {
        const double x = i / 320.0, y = j / 320.0;
        text << 100 + 150 * std::exp(-((x - 0.35) * (x - 0.35) + (y - 0.4) * (y - 0.4)) * 12) +
                    20 * std::sin(6 * x + 3 * y)
             << (i == 320 ? "\n" : " ");
      }
    }
    return WriteFile("large.grd", text.str());
  }

  QPoint hand;
};

// From the default view: half a degree a pixel, right turning the direction
// clockwise and down raising the eye, the dip within 0 ... 90.
TEST_F(PictureDragTest, DragTurnsTheViewFields) {
  OpenGrid(SourcePath("data/samples/hill.grd"));
  Click("cmd3DDefault");
  Click("cmdDisplayGrid");
  struct Case {
    const char *alpha, *gamma;
    std::initializer_list<QPoint> steps;
    const char *wantAlpha, *wantGamma;
  };
  const Case cases[] = {
      {"225", "30", {{40, 0}}, "245", "30"},
      {"225", "30", {{-10, 20}, {-10, 0}}, "215", "40"},
      {"33.3", "30", {{3, 1}}, "34.8", "30.5"},
      {"350", "30", {{40, 0}}, "10", "30"},
      {"10", "30", {{-40, 0}}, "350", "30"},
      {"225", "80", {{0, 40}}, "225", "90"},
      {"225", "80", {{0, 40}, {0, -10}}, "225", "85"},  // back at once from the limit
      {"225", "10", {{0, -40}}, "225", "0"},
      {"225", "120", {{0, 10}, {0, -30}}, "225", "105"},  // typed beyond, moved only inward
  };
  for (const Case& c : cases) {
    Type("txtAlpha", c.alpha);
    Type("txtGamma", c.gamma);
    Drag(c.steps);
    EXPECT_EQ(Text("txtAlpha"), c.wantAlpha) << c.alpha << " " << c.gamma;
    EXPECT_EQ(Text("txtGamma"), c.wantGamma) << c.alpha << " " << c.gamma;
    EXPECT_EQ(state().View.Alpha, Text("txtAlpha").toDouble()) << "taken as if typed";
    EXPECT_EQ(state().View.Gamma, Text("txtGamma").toDouble());
  }
  EXPECT_EQ(Text("txtSca"), "1") << "a drag leaves the magnification";
}

// Each notch away enlarges by a tenth, each toward shrinks by as much; the
// whole picture follows once the wheel rests.
TEST_F(PictureDragTest, WheelChangesTheMagnification) {
  OpenGrid(SourcePath("data/samples/hill.grd"));
  Click("cmd3DDefault");
  Click("cmdDisplayGrid");
  for (const auto& [notches, sca] : {std::pair{1, "1.1"}, {1, "1.21"}, {-3, "0.909090909090909"}}) {
    Wheel(notches);
    EXPECT_EQ(Text("txtSca"), sca);
  }
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < 600) QApplication::processEvents();
  const QImage wheeled = Shown();
  Click("cmdDisplayGrid");
  EXPECT_EQ(wheeled, Shown()) << "the whole picture at the new magnification";

  Type("txtSca", "-1");
  Wheel(1);
  EXPECT_EQ(Text("txtSca"), "-1") << "never from 0 or below";
}

// A drag out of the plan view takes the default 3-D view; the plan's angles
// turn with the hand and its zoom carries over.
TEST_F(PictureDragTest, DragLeavesThePlanView) {
  OpenGrid(SourcePath("data/samples/hill.grd"));  // Zmin 101.15
  struct Case {
    bool base;  // the pedestal ticked before
    int wheel;  // notches in the plan view first
    QPoint step;
    const char* fields;  // direction, dip, magnification, exaggeration, base
  };
  const Case cases[] = {
      {true, 0, {10, -20}, "185 80 1 1 100 "},
      {false, 0, {0, -60}, "180 60 1 1 100 "},
      {true, 1, {-10, 0}, "175 90 1.1 1 100 "},
      {true, 0, {0, 0}, "180 90 1.8 1 -99999 "},  // a click alone stays in the plan
  };
  for (const Case& c : cases) {
    Check("chkBase", c.base);
    Click("cmd2D");
    Click("cmdDisplayGrid");
    Wheel(c.wheel);
    Drag({c.step});
    EXPECT_EQ(Fields(), c.fields) << c.step.x() << "," << c.step.y();
    EXPECT_EQ(Text("txtDist"), "10000000000");
    EXPECT_EQ(Text("txtPpz"), "0");
    EXPECT_TRUE(Find<QCheckBox>("chkBase")->isChecked() || !c.base);
    EXPECT_EQ(Enabled("txtZbase"), Find<QCheckBox>("chkBase")->isChecked());
  }
  EXPECT_TRUE(Find<QCheckBox>("chkWaku")->isChecked()) << "the frame stays as the plan set it";
}

// While the hand moves, the thinned grid without contour lines or data; on
// letting go, exactly what a display command draws, data over it again.
TEST_F(PictureDragTest, ReleaseDrawsTheWholePictureAgain) {
  std::filesystem::create_directories(KESSADON_SCREENS_DIR);
  const QString screens = QString(KESSADON_SCREENS_DIR) + "/";
  OpenGrid(LargeGrid());
  Load("cmdOpenData", SourcePath("data/samples/hill_points.txt"));
  Click("cmdContourAuto");
  Click("cmdDefaultLight");
  const QColor mark(255, 128, 0);
  for (const char* command :
       {"cmdDisplayGrid", "cmdDisplayContour", "cmdDisplayShade", "cmdDisplayColorContour"}) {
    // The screenshots show the last, coloured one.
    auto screenshot = [&](const char* name) {
      EXPECT_TRUE(form->Image().grab().save(screens + "formImage-drag-" + name + ".png"));
    };
    Click("cmd3DDefault");
    Click(command);
    Click("cmdDisplayData");
    Drag({{12, -8}, {10, 4}}, true);
    const QImage moving = Shown();
    screenshot("moving");
    Release();
    const QImage released = Shown();
    screenshot("released");
    EXPECT_EQ(Text("txtAlpha"), "236") << command;
    EXPECT_EQ(PixelsOf(moving, mark), 0) << command << ": no data while moving";
    EXPECT_GT(PixelsOf(released, mark), 0) << command;
    EXPECT_NE(moving, released) << command;

    Click(command);
    Click("cmdDisplayData");
    EXPECT_EQ(released, Shown()) << command;
  }
}

// Redrawn onto a surface of its own, the picture is the window's; after the
// window was cleared or closed or the grid changed under it, there is nothing
// to redraw and nothing to turn.
TEST_F(PictureDragTest, RedrawNeedsAKnownPicture) {
  auto redrawn = [&] {
    RasterSurface surface(Picture().width(), Picture().height());
    const bool drawn = RedrawPicture(context(), surface, {});
    return drawn ? surface.Image().copy() : QImage();
  };
  Load("cmdOpenData", SourcePath("data/samples/hill_points.txt"));
  Click("cmdDataView");  // the data alone, before there is a grid
  EXPECT_EQ(redrawn(), Shown());
  EXPECT_FALSE(HasGridPicture(context()));

  OpenGrid(SourcePath("data/samples/hill.grd"));  // which clears the window
  Load("cmdOpenData", SourcePath("data/samples/hill_points.txt"));
  Click("cmdDataView");
  EXPECT_EQ(redrawn(), Shown()) << "the data over the blank window";
  Click("cmd3DDefault");
  Check("chkBack", true);
  Click("cmdDisplayContour");
  Click("cmdDisplayData");
  Click("cmdDataView");
  EXPECT_EQ(redrawn(), Shown());

  const std::function<void()> losses[] = {
      [&] { Click("cmdImageClear"); },
      [&] { Check("chkBack", false); },
      [&] { form->Image().close(); },
      [&] {  // resampled: the picture shows the grid before
        Type("txtXGridG", "81");
        Type("txtYGridG", "61");
        Click("cmdG2g");
      },
  };
  for (std::size_t k = 0; k < std::size(losses); ++k) {
    Click("cmd3DDefault");
    Click("cmdDisplayGrid");
    ASSERT_TRUE(HasGridPicture(context())) << k;
    losses[k]();
    EXPECT_TRUE(redrawn().isNull()) << k;
    Drag({{30, 30}});
    EXPECT_EQ(Text("txtAlpha"), "225") << k << ": nothing to turn";
  }
}

}  // namespace
}  // namespace kessadon::testing
