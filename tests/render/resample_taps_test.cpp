// Where each output pixel samples: bilinear taps aim at the output pixel's
// centre mapped back onto the source, to the last weight unit.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "render/resample_taps.h"

namespace pelmora {
namespace {

TEST(ResampleTapsTest, BilinearTapsSampleAtThePixelCentres) {
  // Enlarging twofold: centres fall a quarter pixel either side of the source's.
  const AxisTaps twice = axisTaps(10, 20, 0, 20);
  ASSERT_FALSE(twice.area);
  EXPECT_EQ(twice.first[0], 0);
  EXPECT_EQ(twice.count[0], 1);  // -0.25: the edge pixel alone
  EXPECT_EQ(twice.first[1], 0);
  EXPECT_EQ(twice.weights[twice.start[1]], kTapOne * 3 / 4);  // 0.25
  EXPECT_EQ(twice.weights[twice.start[1] + 1], kTapOne / 4);
  EXPECT_EQ(twice.first[2], 0);
  EXPECT_EQ(twice.weights[twice.start[2]], kTapOne / 4);  // 0.75
  EXPECT_EQ(twice.count[19], 1);                          // 9.25: the edge pixel alone
  EXPECT_EQ(twice.first[19], 9);

  // Every bilinear ratio, from an offset: the weighted position of the taps is
  // the centre (i + 0.5) × source / destination - 0.5, held inside the source.
  for (auto [source, destination] : {std::pair{10, 20}, {11, 10}, {7, 5}, {100, 333}, {3, 1000}}) {
    const int from = destination / 3, n = destination - from;
    const AxisTaps taps = axisTaps(source, destination, from, n);
    for (int i = 0; i < n; ++i) {
      double position = 0, total = 0;
      for (int k = 0; k < taps.count[i]; ++k) {
        const double w = taps.weights[taps.start[i] + k];
        position += w * (taps.first[i] + k);
        total += w;
      }
      const double centre =
          std::clamp((from + i + 0.5) * source / destination - 0.5, 0.0, source - 1.0);
      ASSERT_EQ(total, kTapOne);
      ASSERT_NEAR(position / total, centre, 1.0 / kTapOne) << source << "→" << destination << " #" << i;
    }
  }
}

}  // namespace
}  // namespace pelmora
