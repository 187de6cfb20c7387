#include <gtest/gtest.h>

#include "color/Legend.h"
#include "render/RecordingSurface.h"
#include "render/RenderSurface.h"

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
  for (const Case& c : {Case{20, 20, 8, 0}, Case{20.4, 20, 7, 20}, Case{20.5, 20, 7, 20},
                        Case{1, 1, 160, 0}}) {
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
  ASSERT_TRUE(DrawLegend(surface, kDisplayColorContour, PaletteFromTable(Table(20)),
                         ContourLevels{0, 100, 5, 1}));
  const auto [boxes, labels] = Drawn(surface);
  ASSERT_EQ(boxes.size(), 20u);
  EXPECT_EQ(boxes[0].y1, 389);
  EXPECT_EQ(boxes[0].y2, 371);
  EXPECT_EQ(boxes[19].y1, 47);
  EXPECT_EQ(boxes[19].y2, 29);
  EXPECT_EQ(boxes[0].x1, 40);
  EXPECT_EQ(boxes[0].x2, 101);
  ASSERT_EQ(labels.size(), 21u);
  EXPECT_EQ(labels[0].text, " 0");
  EXPECT_EQ(labels[0].points[0], (SurfacePoint{121, 388}));
  EXPECT_EQ(labels[20].text, " 100");
  EXPECT_EQ(labels[20].points[0], (SurfacePoint{121, 28}));
}

TEST(Legend, ColourShadeLabelsEveryNinthSlotAndOtherDisplaysHaveNone) {
  RecordingSurface surface(203, 410);
  ASSERT_TRUE(DrawLegend(surface, kDisplayColorShade, PaletteFromTable(Table(190)),
                         ContourLevels{0, 100, 5, 1}));
  const auto [boxes, labels] = Drawn(surface);
  EXPECT_EQ(boxes.size(), 190u);
  ASSERT_EQ(labels.size(), 22u);  // slots 1, 10, ..., 190
  EXPECT_EQ(labels[0].text, " 0");
  EXPECT_EQ(labels[1].text, " 5");
  EXPECT_EQ(labels[21].text, " 105");

  RecordingSurface none(203, 410);
  EXPECT_FALSE(DrawLegend(none, kDisplayShade, PaletteFromTable(Table(190)), ContourLevels{}));
  EXPECT_TRUE(none.Operations().empty());
}

}  // namespace
}  // namespace kessadon
