// Where bil places the raster: the worked examples, zero spans and overflow.
#include <gtest/gtest.h>

#include "base/failure.h"
#include "render/bil.h"

namespace pelmora {
namespace {

CornerPoints corners(float X0, float Y0, float XE, float YE, float X1, float Y1, float X2,
                     float Y2) {
  return CornerPoints{X0, Y0, XE, YE, X1, Y1, X2, Y2};
}

TEST(BilGeometryTest, LowerRightQuarterFillsTheView) {
  const auto g = bilGeometry(100, 80, 750, 600, corners(0, 0, 80, 100, 40, 50, 80, 100));
  EXPECT_EQ(g.c, 50);
  EXPECT_EQ(g.zoom, 1.0f);
  EXPECT_EQ(g.dw, 100);
  EXPECT_EQ(g.r, 40.0);
  EXPECT_EQ(g.s, 1.0f);
  EXPECT_EQ(g.dh, 80);
  EXPECT_EQ(g.destination(), QRect(-50, -40, 100, 80));
}

TEST(BilGeometryTest, WholeRasterAtOneToOne) {
  const auto g = bilGeometry(40, 20, 600, 300, corners(0, 0, 20, 40, 0, 0, 20, 40));
  EXPECT_EQ(g.zoom, 1.0f);
  EXPECT_EQ(g.s, 1.0f);
  EXPECT_EQ(g.destination(), QRect(0, 0, 40, 20));
}

TEST(BilGeometryTest, ColumnIsSnappedButRowIsNot) {
  const auto g = bilGeometry(10, 10, 150, 150, corners(0, 0, 4, 4, 1, 1, 3, 3));
  EXPECT_EQ(g.zoom, 2.0f);
  EXPECT_EQ(g.s, 2.0f);
  EXPECT_EQ(g.dw, 20);
  EXPECT_EQ(g.dh, 20);
  EXPECT_EQ(g.c, 2);  // 2.5 to even
  EXPECT_EQ(g.r, 2.5);
  EXPECT_EQ(g.x, -4);
  EXPECT_EQ(g.y, -5);
}

TEST(BilGeometryTest, ARegionStartingPastHalfAColumnSnapsToTheNextColumn) {
  // Columns 1.5625, 2.8125 and 3.75 round up; 3.4375 down; 2.5 to the even neighbour.
  for (auto [start, column] :
       {std::pair{0.625f, 2}, {1.125f, 3}, {1.5f, 4}, {1.375f, 3}, {1.0f, 2}}) {
    const auto g = bilGeometry(10, 10, 150, 150, corners(0, 0, 4, 4, 1, start, 3, start + 2));
    EXPECT_EQ(g.c, column) << start;
    EXPECT_EQ(g.zoom, 2.0f);
    EXPECT_EQ(g.x, -2 * column) << start;
  }
}

TEST(BilGeometryTest, ZeroSpansDivideByZero) {
  const CornerPoints spans[] = {
      corners(0, 0, 80, 0, 0, 0, 80, 100),     // B_YE = B_Y0
      corners(0, 0, 80, 100, 0, 50, 80, 50),   // B_Y2 = B_Y1
      corners(0, 0, 0, 100, 0, 0, 80, 100),    // B_XE = B_X0
      corners(0, 0, 80, 100, 40, 0, 40, 100),  // B_X2 = B_X1
  };
  for (const auto& b : spans) {
    try {
      bilGeometry(100, 80, 750, 600, b);
      ADD_FAILURE() << "no fault";
    } catch (const Failure& failure) {
      EXPECT_EQ(failure.cause(), Failure::divisionByZero().cause());
    }
  }
}

TEST(BilGeometryTest, ProductsAndRoundingsBeyond32BitsOverflow) {
  const auto whole = corners(0, 0, 80, 100, 0, 0, 80, 100);
  const auto overflows = [](auto call) {
    try {
      call();
    } catch (const Failure& failure) {
      return failure.cause() == Failure::overflow().cause();
    }
    return false;
  };
  EXPECT_TRUE(overflows([&] { bilGeometry(143165577, 80, 750, 600, whole); }));
  EXPECT_TRUE(overflows([&] { bilGeometry(100, 143165577, 750, 600, whole); }));
  EXPECT_NO_THROW(bilGeometry(143165576, 143165576, 750, 600, whole));
  // A tiny region of a wide raster: the rectangle's width is beyond 32 bits.
  EXPECT_TRUE(overflows(
      [&] { bilGeometry(100000, 80, 15e6f, 600, corners(0, 0, 80, 100, 0, 0, 80, 1e-4f)); }));
}

}  // namespace
}  // namespace pelmora
