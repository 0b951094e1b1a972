#include "window/grid.h"

#include <gtest/gtest.h>

namespace pelmora {
namespace {

constexpr double kNoLimit = 1e9;

TEST(GridLines, HorizontalThenVerticalFromTheTopAndLeft) {
  const auto lines = gridLines(600, 900, 300, 300, 2, 3, kNoLimit, kNoLimit);
  const std::vector<QLineF> expected{
      {0, 300, 900, 300}, {0, 600, 900, 600},
      {300, 0, 300, 600}, {600, 0, 600, 600}, {900, 0, 900, 600}};
  EXPECT_EQ(lines, expected);
}

TEST(GridLines, OneByOneDrawsTheBottomAndRightEdges) {
  const std::vector<QLineF> expected{{0, 600, 900, 600}, {900, 0, 900, 600}};
  EXPECT_EQ(gridLines(600, 900, 600, 900, 1, 1, kNoLimit, kNoLimit), expected);
}

TEST(GridLines, FractionalCountsEndAtTheirWholePart) {
  const std::vector<QLineF> half{{900, 0, 900, 600}};
  EXPECT_EQ(gridLines(600, 900, 1200, 900, 0.5, 1, kNoLimit, kNoLimit), half);
  const auto lines = gridLines(700, 900, 200, 900, 3.5, 1, kNoLimit, kNoLimit);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[2], QLineF(0, 600, 900, 600));
}

TEST(GridLines, PositionsAreRoundedToFloats) {
  const float cell = 1000.0f / 3;
  const auto lines = gridLines(1000, 1000, cell, cell, 3, 3, kNoLimit, kNoLimit);
  EXPECT_EQ(lines[1].y1(), double(float(2 * double(cell))));
}

TEST(GridLines, HugeCountsStayBoundedAndReachTheFarEdge) {
  const double rows = 1e12;
  const float cell = float(600 / rows);
  const auto lines = gridLines(600, 900, cell, 900, rows, 1, 1000, 1000);
  EXPECT_LE(lines.size(), 1002u);
  EXPECT_NEAR(lines[lines.size() - 2].y1(), 600, 1e-3);  // last horizontal line
  EXPECT_EQ(lines.back(), QLineF(900, 0, 900, 600));
}

}  // namespace
}  // namespace pelmora
