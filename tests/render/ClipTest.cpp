#include <gtest/gtest.h>

#include "render/Clip.h"

namespace kessadon {
namespace {

const ClipRect kRect{0, 0, 100, 50};

TEST(ClipSegment, KeepsInsideCutsCrossingDropsOutside) {
  PointF a{10, 10}, b{90, 40};
  ASSERT_TRUE(ClipSegment(kRect, a, b));
  EXPECT_EQ(a.x, 10);
  EXPECT_EQ(b.y, 40);

  a = {-100, 25};
  b = {200, 25};
  ASSERT_TRUE(ClipSegment(kRect, a, b));
  EXPECT_DOUBLE_EQ(a.x, 0);
  EXPECT_DOUBLE_EQ(b.x, 100);
  EXPECT_DOUBLE_EQ(a.y, 25);

  a = {-10, -10};
  b = {200, 100};  // through the rectangle on a slant
  ASSERT_TRUE(ClipSegment(kRect, a, b));
  EXPECT_TRUE(kRect.Contains(a.x, a.y) && kRect.Contains(b.x, b.y));

  a = {-10, 60};
  b = {200, 60};
  EXPECT_FALSE(ClipSegment(kRect, a, b));
  a = {150, -2e9};
  b = {150, 2e9};
  EXPECT_FALSE(ClipSegment(kRect, a, b));
}

TEST(ClipPolygon, CoveringPolygonBecomesTheRectangle) {
  const auto clipped = ClipPolygon(kRect, {{-1e9, -1e9}, {1e9, -1e9}, {1e9, 1e9}, {-1e9, 1e9}});
  ASSERT_EQ(clipped.size(), 4u);
  for (const PointF& p : clipped) {
    EXPECT_TRUE(p.x == 0 || p.x == 100);
    EXPECT_TRUE(p.y == 0 || p.y == 50);
  }
  EXPECT_TRUE(ClipPolygon(kRect, {{200, 0}, {300, 0}, {300, 40}}).empty());
  // A triangle poking out of the right side loses its tip and gains two corners.
  const auto cut = ClipPolygon(kRect, {{50, 10}, {150, 25}, {50, 40}});
  EXPECT_EQ(cut.size(), 4u);
  for (const PointF& p : cut) EXPECT_LE(p.x, 100);
}

}  // namespace
}  // namespace kessadon
