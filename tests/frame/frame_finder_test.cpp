#include "frame/frame_finder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <iostream>

#include "base/failure.h"
#include "frame/frame_refinement.h"
#include "support/frame_scans.h"
#include "support/image_raster.h"

namespace pelmora {
namespace {

using testing::FrameScanSpec;
using testing::ImageRaster;
using testing::renderFrameScan;

struct ScanCase {
  const char* name;
  FrameScanSpec spec;
};

FrameScanSpec withSkew(double degrees, double margin) {
  FrameScanSpec spec;
  spec.skewDegrees = degrees;
  spec.marginFraction = margin;
  return spec;
}

std::vector<ScanCase> realisticScans() {
  std::vector<ScanCase> cases{{"skew +0.3, margin 5 %", withSkew(0.3, 0.05)},
                              {"skew -0.3, no margin", withSkew(-0.3, 0)},
                              {"skew +1, margin 10 %, border", withSkew(1, 0.10)},
                              {"skew -1, margin 5 %, border, JPEG, across +0.5 %", withSkew(-1, 0.05)},
                              {"skew +0.6, margin 10 %, 2 px line, JPEG, along -0.5 %", withSkew(0.6, 0.10)},
                              {"skew -0.7, roads 8 px inside the frame line", withSkew(-0.7, 0.05)},
                              {"skew +0.4, blurred, yellowed unevenly, 20 % of the line worn", withSkew(0.4, 0.06)}};
  cases[2].spec.borderWidth = 8;
  cases[3].spec.borderWidth = 11;
  cases[3].spec.jpegDamage = true;
  cases[3].spec.scaleAcross = 1.005;
  cases[4].spec.frameLineWidth = 2;
  cases[4].spec.jpegDamage = true;
  cases[4].spec.scaleAlong = 0.995;
  cases[5].spec.roadInset = 8;
  cases[6].spec.blur = 1.5;
  cases[6].spec.unevenPaper = true;
  cases[6].spec.lineGaps = 0.2;
  for (unsigned i = 0; i < cases.size(); ++i) cases[i].spec.seed = 11 + i;
  return cases;
}

TEST(FrameFinder, FindsEachCornerOfRealisticScansWithinAPixel) {
  for (const ScanCase& scan : realisticScans()) {
    SCOPED_TRACE(scan.name);
    const auto rendered = renderFrameScan(scan.spec);
    const FrameFound found = findFrame(ImageRaster(rendered.image));
    ASSERT_TRUE(found.corners) << found.whyNot.toStdString();
    const FramePoint truth[] = {rendered.corners.topLeft, rendered.corners.topRight, rendered.corners.bottomRight,
                                rendered.corners.bottomLeft};
    const FramePoint measured[] = {found.corners->topLeft, found.corners->topRight, found.corners->bottomRight,
                                   found.corners->bottomLeft};
    double worst = 0, squares = 0;
    for (int i = 0; i < 4; ++i) {
      const double error = std::hypot(measured[i].x - truth[i].x, measured[i].y - truth[i].y);
      EXPECT_LE(error, 1.0) << "corner " << i;
      worst = std::max(worst, error);
      squares += error * error;
    }
    std::cout << scan.name << ": max " << worst << " px, rms " << std::sqrt(squares / 4) << " px\n";
  }
}

// On a copy reduced enough, a road a few pixels inside the frame line merges
// with it into one line between the two: the refinement parts them again.
TEST(FrameFinder, PartsTheFrameLineFromARoadBesideIt) {
  FrameScanSpec spec = withSkew(0.5, 0.05);
  spec.roadInset = 9;
  const auto rendered = renderFrameScan(spec);
  const FramePoint left = rendered.corners.topLeft, right = rendered.corners.topRight;
  // Also when the reduced copy's slope is off by 0.006: over the side, more
  // than the road's distance from the line.
  for (const double slopeError : {0.0, 0.006}) {
    SCOPED_TRACE(slopeError);
    frame::LineCandidate between;
    between.line.slope = (right.y - left.y) / (right.x - left.x) + slopeError;
    between.line.pivot = (left.x + right.x) / 2;
    between.line.offset = (left.y + right.y) / 2 + 4.5;
    between.from = left.x;
    between.to = right.x;
    const auto lines = frame::refineLine(ImageRaster(rendered.image), between, 4);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NEAR(lines[0].line.at(left.x), left.y, 0.2);
    EXPECT_NEAR(lines[0].line.at(right.x), right.y, 0.2);
    EXPECT_NEAR(lines[0].width, spec.frameLineWidth, 0.5);
    EXPECT_GT(lines[1].width, 2 * spec.frameLineWidth);
  }
}

TEST(FrameFinder, RefusesScansWithoutAWholeThinFrame) {
  FrameScanSpec noFrame;
  noFrame.frameLineWidth = 0;
  noFrame.roadsAlongFrame = false;
  FrameScanSpec cut = withSkew(0.4, 0.05);
  cut.cutAtTop = true;
  FrameScanSpec borderAlone = withSkew(-0.5, 0.08);
  borderAlone.frameLineWidth = 0;
  borderAlone.borderWidth = 9;
  const std::pair<FrameScanSpec, QString> refusals[] = {{noFrame, frame_reasons::noFrameLine},
                                                        {cut, frame_reasons::frameCutAt("top")},
                                                        {borderAlone, frame_reasons::onlyThickLines}};
  for (const auto& [spec, reason] : refusals) {
    SCOPED_TRACE(reason.toStdString());
    const FrameFound found = findFrame(ImageRaster(renderFrameScan(spec).image));
    EXPECT_FALSE(found.corners);
    EXPECT_EQ(found.whyNot.toStdString(), reason.toStdString());
  }
}

TEST(FrameFinder, NamesTheProportionsOfAFrameOfAnotherShape) {
  const auto rendered = renderFrameScan(withSkew(0.2, 0.05));
  FrameSearch square;
  square.sheetHeightPerWidth = 1.0;
  const FrameFound found = findFrame(ImageRaster(rendered.image), square);
  EXPECT_FALSE(found.corners);
  EXPECT_TRUE(found.whyNot.startsWith(QLatin1String("proportions 0.75"))) << found.whyNot.toStdString();
}

// A scan whose rows below `readable` can no longer be read.
class FailingScan final : public RasterSource {
 public:
  FailingScan(const QImage& image, int readable)
      : RasterSource(image.width(), image.height()), image_(image), readable_(readable) {}
  const std::uint8_t* row(int y, std::vector<std::uint8_t>& scratch) const override {
    if (y >= readable_) throw Failure(QStringLiteral("row %1 unreadable").arg(y));
    return image_.row(y, scratch);
  }

 private:
  ImageRaster image_;
  int readable_;
};

TEST(FrameFinder, PassesOnTheFirstRowThatCannotBeRead) {
  const auto rendered = renderFrameScan(withSkew(0.2, 0.05));
  for (const int readable : {0, rendered.image.height() / 2, rendered.image.height() - 1}) {
    try {
      findFrame(FailingScan(rendered.image, readable));
      ADD_FAILURE() << "found a frame in an unreadable scan";
    } catch (const Failure& failure) {
      EXPECT_EQ(failure.cause().toStdString(), QStringLiteral("row %1 unreadable").arg(readable).toStdString());
    }
  }
}

}  // namespace
}  // namespace pelmora
