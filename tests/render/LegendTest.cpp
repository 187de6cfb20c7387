#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "io/NumberText.h"
#include "render/Legend.h"
#include "render/RenderSurface.h"
#include "support/RecordingSurface.h"

namespace kessadon {
namespace {

struct Box {
  int x1, y1, x2, y2;
};

// The filled boxes and the labels, in drawing order.
struct Drawn {
  std::vector<Box> boxes;
  std::vector<RecordedOperation> labels;
  explicit Drawn(const RecordingSurface& surface) {
    for (const RecordedOperation& op : surface.Operations()) {
      if (op.op == SurfaceOp::Line && op.form == LineForm::FilledBox) {
        boxes.push_back({op.points[0].x, op.points[0].y, op.points[1].x, op.points[1].y});
      }
      if (op.op == SurfaceOp::Text) labels.push_back(op);
    }
  }
};

ColorTable Table(double count) {
  ColorTable table;
  table.NColor = count;
  return table;
}

TEST(ColorPreview, BandsFromTheBottomAndOnlyAWholeCountReachesTheTop) {
  struct Case {
    double count;
    int bands, step, lastTop;
  };
  for (const Case& c :
       {Case{20, 20, 8, 0}, Case{20.4, 20, 7, 20}, Case{20.5, 20, 7, 20}, Case{1, 1, 160, 0}}) {
    RecordingSurface surface(40, 160);
    DrawColorPreview(surface, Table(c.count));
    const std::vector<Box> boxes = Drawn(surface).boxes;
    ASSERT_EQ(static_cast<int>(boxes.size()), c.bands) << c.count;
    EXPECT_EQ(boxes[0].y1, 160);
    EXPECT_EQ(boxes[0].y2, 160 - c.step) << c.count;
    EXPECT_EQ(boxes.back().y2, c.lastTop) << c.count;
    EXPECT_EQ(boxes.back().x2, 40);
  }
}

TEST(Legend, ColourContourBoxesAndBoundaryLabels) {
  RecordingSurface surface(203, 410);
  ASSERT_TRUE(DrawLegend(surface, DisplayMode::ColorContour, PaletteFromTable(Table(20)),
                         ContourLevels{0, 100, 5, 1}, 0, 100));
  const auto [boxes, labels] = Drawn(surface);
  ASSERT_EQ(boxes.size(), 20u);
  EXPECT_EQ(boxes[0].y1, 389);
  EXPECT_EQ(boxes[0].y2, 371);
  EXPECT_EQ(boxes[19].y1, 47);
  EXPECT_EQ(boxes[19].y2, 29);
  EXPECT_EQ(boxes[0].x1, 40);
  EXPECT_EQ(boxes[0].x2, 101);
  ASSERT_EQ(labels.size(), 21u);
  // Each label is centred on its boundary (the model font is 9 pixels high).
  EXPECT_EQ(labels[0].text, " 0");
  EXPECT_EQ(labels[0].points[0], (SurfacePoint{121, 384}));
  EXPECT_EQ(labels[20].text, " 100");
  EXPECT_EQ(labels[20].points[0], (SurfacePoint{121, 24}));

  // A title stands above the strip and its top label, the rest as without it.
  RecordingSurface titled(203, 410);
  ASSERT_TRUE(DrawLegend(titled, DisplayMode::ColorContour, PaletteFromTable(Table(20)),
                         ContourLevels{0, 100, 5, 1}, 0, 100, "標準偏差（m）"));
  const auto [titledBoxes, titledLabels] = Drawn(titled);
  ASSERT_EQ(titledLabels.size(), 22u);
  EXPECT_EQ(titledLabels[0].text, "標準偏差（m）");
  EXPECT_LT(titledLabels[0].points[0].y + 9, titledLabels[21].points[0].y + 1);
  EXPECT_EQ(titledLabels[21].points[0], labels[20].points[0]);
  EXPECT_EQ(titledBoxes.size(), boxes.size());
}

// Only the bands the heights reach, spread over the strip.
TEST(Legend, ColourContourShowsTheBandsTheHeightsUse) {
  struct Case {
    const char* name;
    double colors;
    ContourLevels levels;
    double zmin, zmax;
    float height;
    int boxes, firstSlot, lastSlot, labels;
    const char *firstLabel, *lastLabel;
  };
  const Case cases[] = {
      // Levels for 44 colours over heights that end at 360: no label above it.
      {"short of the palette", 44, {100, 540, 10, 1}, 103, 360, 440, 26, 1, 26, 27, " 100", " 360"},
      // Boxes thinner than a line of text: a label every second boundary.
      {"crowded", 44, {0, 440, 10, 1}, 0, 440, 300, 44, 1, 44, 23, " 0", " 440"},
      // Heights above the end level take the last colour, on top, from the end level up.
      {"above the end", 20, {0, 30, 10, 1}, 5, 42, 440, 4, 1, 20, 4, " 0", " 30"},
      {"one band", 20, {0, 100, 5, 1}, 51, 54, 440, 1, 11, 11, 2, " 50", " 55"},
  };
  for (const Case& c : cases) {
    ColorTable table = Table(c.colors);
    for (int k = 1; k <= 44; ++k) table.ColorR[k] = k;  // a box's red tells its slot
    RecordingSurface surface(203, c.height);
    ASSERT_TRUE(DrawLegend(surface, DisplayMode::ColorContour, PaletteFromTable(table), c.levels,
                           c.zmin, c.zmax));
    const auto [boxes, labels] = Drawn(surface);
    std::vector<int> slots;
    for (const RecordedOperation& op : surface.Operations()) {
      if (op.op == SurfaceOp::Line) slots.push_back(RedOf(op.color));
    }
    ASSERT_EQ(static_cast<int>(slots.size()), c.boxes) << c.name;
    EXPECT_EQ(slots.front(), c.firstSlot) << c.name;
    EXPECT_EQ(slots.back(), c.lastSlot) << c.name;
    ASSERT_EQ(static_cast<int>(labels.size()), c.labels) << c.name;
    EXPECT_EQ(labels.front().text, c.firstLabel) << c.name;
    EXPECT_EQ(labels.back().text, c.lastLabel) << c.name;
    // Whatever the count, the strip spans 0.95 to about 0.05 of the height.
    EXPECT_EQ(boxes.front().y1, static_cast<int>(0.95 * c.height)) << c.name;
    EXPECT_NEAR(boxes.back().y2, 0.05 * c.height, c.boxes) << c.name;
    EXPECT_GE(labels.back().points[0].y, 0) << c.name;
  }
}

// The shades of the bands the heights take, nine slots a band, a label at
// every boundary: no band above the highest height, and the top label the end
// level where the last band stops there (101 ... 400 by 15: not 401).
TEST(Legend, ColourShadeLabelsEveryNinthSlotAndOtherDisplaysHaveNone) {
  struct Case {
    ContourLevels levels;
    double zmax;
    std::size_t boxes;
    const char* top;
  };
  const Case cases[] = {{{0, 100, 5, 1}, 100, 180, " 100"},
                        {{0, 100, 5, 1}, 50, 99, " 55"},
                        {{101, 400, 15, 1}, 399.92, 180, " 400"}};
  for (const Case& c : cases) {
    RecordingSurface surface(203, 410);
    ASSERT_TRUE(DrawLegend(surface, DisplayMode::ColorShade, PaletteFromTable(Table(190)), c.levels,
                           c.levels.Cst, c.zmax));
    const auto [boxes, labels] = Drawn(surface);
    EXPECT_EQ(boxes.size(), c.boxes) << c.top;
    ASSERT_EQ(labels.size(), c.boxes / 9 + 1) << c.top;  // slots 1, 10, ... and the top
    EXPECT_EQ(labels[0].text, FormatSigned(c.levels.Cst));
    EXPECT_EQ(labels[1].text, FormatSigned(c.levels.Cst + c.levels.Cin));
    EXPECT_EQ(labels.back().text, c.top);
    EXPECT_LT(labels.back().points[0].y, boxes.back().y2) << "above the top box";
  }

  RecordingSurface none(203, 410);
  EXPECT_FALSE(
      DrawLegend(none, DisplayMode::Shade, PaletteFromTable(Table(190)), ContourLevels{}, 0, 100));
  EXPECT_TRUE(none.Operations().empty());
}

}  // namespace
}  // namespace kessadon
