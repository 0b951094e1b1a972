#include "base/failure.h"
#include "base/messages.h"
#include "window/registration.h"
#include "desktop/image_view.h"
#include "support/message_text.h"
#include "support/scripted_desktop.h"
#include "support/test_rasters.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <mutex>

namespace pelmora {
namespace {

// Records the quality each image was encoded with.
struct EncoderLog {
  std::mutex mutex;
  std::vector<int> qualities;
};

class RecordingEncoder : public JpegEncoder {
 public:
  RecordingEncoder(EncoderLog& log) : log_(log), real_(makeJpegEncoder()) {}
  void start(int width, int height, PixelLayout layout, int quality) override {
    {
      std::lock_guard lock(log_.mutex);
      log_.qualities.push_back(quality);
    }
    real_->start(width, height, layout, quality);
  }
  std::span<const std::uint8_t> writeRows(const std::uint8_t* rows, int count, std::ptrdiff_t stride) override {
    return real_->writeRows(rows, count, stride);
  }
  std::span<const std::uint8_t> finish() override { return real_->finish(); }

 private:
  EncoderLog& log_;
  std::unique_ptr<JpegEncoder> real_;
};

class RunTest : public ::testing::Test {
 protected:
  MemoryFields fields;
  ImageView view;
  testing::ScriptedDesktop desktop;
  Form form{fields, view, desktop};
  QTemporaryDir dir;
  EncoderLog log;

  void SetUp() override {
    form.makeEncoder = [this] { return std::make_unique<RecordingEncoder>(log); };
    form.session.Filename =
        testing::writeBmp24(dir.filePath("sheet12.bmp"), testing::positionImage(300, 100));
    form.raster = std::make_shared<const LoadedRaster>(
        loadRasterFile(form.session.Filename, TileSet(form.session.Filename), Decoding::beforeOpening, nullptr));
    form.session.P_X = 1500;
    form.session.P_Y = 4500;
    form.session.F_H = 16200;
    fields.setText(Field::Text1, "100");
    fields.setText(Field::Text2, "300");
    fields.setText(Field::Text3, "0");
    fields.setText(Field::Text4, "0");
    fields.setText(Field::Text5, "2");
    fields.setText(Field::Text6, "3");
  }
  QByteArray read(const QString& name) const {
    QFile file(dir.filePath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }
  void writeEarlierIndex() {
    QFile file(dir.filePath("sheet12.AR2"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("earlier\r\n");
  }
  QStringList files() const { return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name); }
};

TEST_F(RunTest, WritesImagesAndTheIndexThenSaysWhat) {
  const CommandOutcome outcome = runRegistration(form);
  ASSERT_TRUE(outcome.isCompleted());
  ASSERT_EQ(outcome.written.size(), 8);
  EXPECT_EQ(outcome.written.first(), dir.filePath("sheet12_0.JPG"));
  EXPECT_EQ(outcome.written.last(), dir.filePath("sheet12.AR2"));  // the index last
  for (int n = 0; n <= 6; ++n) {
    const QImage image = QImage::fromData(read(QString("sheet12_%1.JPG").arg(n)));
    ASSERT_FALSE(image.isNull()) << n;
    if (n > 0) {
      EXPECT_EQ(image.size(), QSize(100, 50));
    }
  }
  EXPECT_EQ(QImage::fromData(read("sheet12_0.JPG")).size(), QSize(1080, 360));
  EXPECT_EQ(files().size(), 9) << files().join(" ").toStdString();  // no temporary file left behind
  EXPECT_EQ(form.session.Cell_X, 750);
  EXPECT_EQ(form.session.corners.B_X1, 750);  // the last tile's region
  EXPECT_EQ(view.pixelWidth(), 100);
  EXPECT_EQ(view.pixelHeight(), 50);
  // The view shows the last tile: the bottom-right cell of the raster.
  const QPoint position = testing::decodePosition(view.canvas().pixel(10, 10));
  EXPECT_NEAR(position.x(), 210, 2);
  EXPECT_NEAR(position.y(), 60, 2);
}

TEST_F(RunTest, NothingHappensBeforeARasterIsLoaded) {
  form.raster.reset();
  const CommandOutcome outcome = runRegistration(form);
  EXPECT_EQ(outcome.status, CommandOutcome::Status::NotStarted);
  EXPECT_EQ(outcome.message(), "");
  EXPECT_EQ(files(), QStringList{"sheet12.bmp"});
}

TEST_F(RunTest, QualityReachesTheEncoderRoundedHalfToEven) {
  fields.setText(Field::Text11, " 50.5");
  ASSERT_TRUE(runRegistration(form).isCompleted());
  fields.setText(Field::Text11, " 51.5");
  ASSERT_TRUE(runRegistration(form).isCompleted());
  std::vector<int> expected(7, 50);
  expected.insert(expected.end(), 7, 52);
  EXPECT_EQ(log.qualities, expected);
}

TEST_F(RunTest, AFailedCheckWritesNothing) {
  writeEarlierIndex();
  fields.setText(Field::Text5, "0.5");  // a half band would leave half the raster out
  const CommandOutcome outcome = runRegistration(form);
  EXPECT_EQ(outcome.status, CommandOutcome::Status::Stopped);
  EXPECT_TRUE(outcome.message().startsWith(messages::countsNotWhole("0.5", "3")))
      << outcome.message().toStdString();
  EXPECT_EQ(files(), (QStringList{"sheet12.AR2", "sheet12.bmp"}));
  EXPECT_EQ(read("sheet12.AR2"), "earlier\r\n");
}

TEST_F(RunTest, CornersBeyondADoubleStopTheRunInsteadOfWritingEarlierOnes) {
  // The session keeps its corners for such texts; the index must not.
  writeEarlierIndex();
  for (const auto& [ur, ll] : {std::pair{"1e999", "0"}, {"1.7e308", "-1.7e308"}}) {
    fields.setText(Field::Text1, ur);
    fields.setText(Field::Text3, ll);
    const CommandOutcome outcome = runRegistration(form);
    EXPECT_FALSE(outcome.isCompleted()) << ur;
    EXPECT_TRUE(outcome.message().startsWith(messages::overflow())) << ur;
    EXPECT_EQ(files(), (QStringList{"sheet12.AR2", "sheet12.bmp"}));
    EXPECT_EQ(read("sheet12.AR2"), "earlier\r\n");
  }
}

// What a cancelled run keeps is the run's; here, that the dialog's cancel reaches it.
TEST_F(RunTest, TheProgressDialogsCancelStopsTheRun) {
  desktop.cancelRun = true;
  const CommandOutcome outcome = runRegistration(form);
  EXPECT_FALSE(outcome.isCompleted());
  EXPECT_TRUE(outcome.message().startsWith(messages::runCancelled()));
}

}  // namespace
}  // namespace pelmora
