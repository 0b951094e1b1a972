// Rasters decoded through GDAL: the bitmap's own rows from every format and
// pixel type, progress and cancelling, the placement a file carries, and
// refusals that name the file and what it holds, without reading anything else.
#include "support/opened_source.h"
#include "raster/raster_opening.h"
#include "raster/gdal_raster.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QFile>
#include <QTemporaryDir>
#include <atomic>
#include <chrono>
#include <thread>

#include "base/failure.h"
#include "base/file_io.h"
#include "desktop/desktop.h"
#include "raster/bmp_file.h"
#include "support/message_text.h"
#include "support/test_rasters.h"

namespace pelmora {
namespace {

class GdalRasterTest : public ::testing::Test {
 protected:
  QString path(const QString& name) const { return dir_.filePath(name); }

  // `from` turned by gdal_translate with `options` into the file `name`.
  QString translated(const QString& from, const QString& name, const QStringList& options) {
    const QString to = path(name);
    EXPECT_TRUE(testing::runGdalTool("gdal_translate", QStringList{"-q"} + options + QStringList{from, to}));
    return to;
  }

  static void expectSameRows(const RasterSource& expected, const RasterSource& got) {
    ASSERT_EQ(got.width(), expected.width());
    ASSERT_EQ(got.height(), expected.height());
    std::vector<std::uint8_t> a, b;
    const std::size_t bytes = std::size_t(got.width()) * 3;
    for (int y = 0; y < got.height(); ++y)
      ASSERT_EQ(std::memcmp(expected.row(y, a), got.row(y, b), bytes), 0) << "row " << y;
  }

  // The cause with which opening `file` is refused, checking that it names the file.
  static QString refusal(const QString& file) {
    try {
      testing::openRasterSource(file);
    } catch (const Failure& failure) {
      EXPECT_EQ(failure.file(), file);
      return failure.cause();
    }
    ADD_FAILURE() << "accepted " << file.toStdString();
    return {};
  }

  static QByteArray bytesOf(const QString& file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }

  QTemporaryDir dir_;
};

TEST_F(GdalRasterTest, EveryFormatGivesTheBitmapsRows) {
  // Wide enough that a TIFF of 16-row blocks is decoded in several parts on every core.
  const QString bmp = testing::writeBmp24(path("p.bmp"), testing::positionImage(3000, 700));
  const auto reference = testing::openRasterSource(bmp);
  const QList<QPair<QString, QStringList>> files = {
      {"tiled.tif", {"-co", "TILED=YES", "-co", "BLOCKXSIZE=64", "-co", "BLOCKYSIZE=16", "-co", "COMPRESS=LZW"}},
      {"striped.tif", {"-co", "COMPRESS=DEFLATE"}},
      {"p.png", {"-of", "PNG"}},
      {"p.jp2", {"-of", "JP2OpenJPEG", "-co", "REVERSIBLE=YES", "-co", "QUALITY=100"}},
  };
  for (const auto& [name, options] : files) {
    SCOPED_TRACE(name.toStdString());
    const QString file = translated(bmp, name, options);
    const auto source = testing::openRasterSource(file);
    EXPECT_EQ(dynamic_cast<const BmpFile*>(source.get()), nullptr);
    expectSameRows(*reference, *source);
    // Read while the decoder goes on down the file.
    expectSameRows(*reference, *testing::openRasterSource(file, nullptr, Decoding::whileReading));
  }
  // JPEG and PNG, colour or gray, decoded by their own libraries: the rows
  // GDAL decodes from them (kept here in a bitmap).
  for (const QString format : {"JPEG", "PNG"})
    for (const QStringList& channels : {QStringList{}, QStringList{"-b", "2"}}) {
      SCOPED_TRACE((format + channels.join(' ')).toStdString());
      const QString file = translated(bmp, "q." + format, QStringList{"-of", format} + channels);
      expectSameRows(*testing::openRasterSource(translated(file, "q.bmp", {"-of", "BMP"})), *testing::openRasterSource(file));
      QFile::remove(file);
    }
}

TEST_F(GdalRasterTest, GrayPaletteAndAlphaBecomeTheirColoursOverWhite) {
  const auto palette = testing::testPalette(8);
  const QImage indexed = testing::paletteImage(37, 11, palette);
  const QString bmp8 = testing::writeBmp(path("i.bmp"), indexed, testing::BmpOptions{8}, palette);
  const QString png8 = path("i.png");
  ASSERT_TRUE(indexed.convertToFormat(QImage::Format_Indexed8, palette).save(png8));
  expectSameRows(*testing::openRasterSource(bmp8), *testing::openRasterSource(png8));

  // One channel of the position raster: gray levels.
  const QString bmp = testing::writeBmp24(path("p.bmp"), testing::positionImage(300, 2));
  const auto gray = testing::openRasterSource(translated(bmp, "g.tif", {"-b", "3"}));
  std::vector<std::uint8_t> scratch;
  const std::uint8_t* row = gray->row(1, scratch);
  for (int x = 0; x < 300; ++x)
    for (int c = 0; c < 3; ++c) ASSERT_EQ(row[3 * x + c], x % 256) << x;  // blue is channel 3

  QImage alpha(3, 1, QImage::Format_ARGB32);
  alpha.setPixel(0, 0, qRgba(10, 20, 30, 0));
  alpha.setPixel(1, 0, qRgba(10, 20, 30, 255));
  alpha.setPixel(2, 0, qRgba(0, 0, 0, 128));
  const QString png = path("a.png");
  ASSERT_TRUE(alpha.save(png));
  const std::uint8_t* composited = testing::openRasterSource(png)->row(0, scratch);
  EXPECT_EQ(std::vector<int>(composited, composited + 9),
            (std::vector<int>{255, 255, 255, 30, 20, 10, 127, 127, 127}));
}

TEST_F(GdalRasterTest, ReportsProgressAndStopsWhenCancelled) {
#ifdef __SANITIZE_ADDRESS__
  // After a cancelled decode, GCC 12's LeakSanitizer crashes in its own tracer
  // while it scans the main thread's dynamic TLS (GDAL's, from the dlopened
  // module): the test passes, the process then fails at exit. It runs in the
  // Release build.
  GTEST_SKIP() << "LeakSanitizer's tracer crashes on this process at exit";
#endif
  const QString bmp = testing::writeBmp24(path("p.bmp"), testing::positionImage(200, 100));
  const QString tif = translated(bmp, "p.tif", {"-co", "COMPRESS=LZW"});
  Progress progress(100);
  ASSERT_NE(testing::openRasterSource(tif, &progress), nullptr);
  EXPECT_EQ(progress.done, 100);
  Progress cancelled(100);
  cancelled.cancelRequested = true;
  EXPECT_EQ(testing::openRasterSource(tif, &cancelled), nullptr);
}

TEST_F(GdalRasterTest, ThePlacementOfAGeoTiffOrOfAWorldFileBesideABitmap) {
  const QString bmp = testing::writeBmp24(path("p.bmp"), testing::positionImage(40, 20));
  const Georeference tiff =
      openRaster(translated(bmp, "g.tif", {"-a_srs", "EPSG:6677", "-a_ullr", "1000", "2000", "1300", "1800"}))
          .placement;
  ASSERT_TRUE(tiff.edges);
  EXPECT_EQ(*tiff.edges, (NorthUpEdges{2000, 1800, 1000, 1300}));
  EXPECT_TRUE(tiff.coordinateSystem.contains("6677")) << tiff.coordinateSystem.toStdString();
  EXPECT_FALSE(tiff.turnedIgnored);

  // gdal_translate -of BMP places the bitmap in NAME.bmp.aux.xml: read as GDAL reads it.
  const auto placedBmp = openRaster(
      translated(bmp, "g.bmp", {"-of", "BMP", "-a_srs", "EPSG:6677", "-a_ullr", "1000", "2000", "1300", "1800"}));
  EXPECT_NE(dynamic_cast<const BmpFile*>(placedBmp.source.get()), nullptr);
  EXPECT_EQ(placedBmp.placement.edges, tiff.edges);
  EXPECT_EQ(placedBmp.placement.coordinateSystem, tiff.coordinateSystem);

  EXPECT_EQ(openRaster(bmp).placement.edges, std::nullopt);
  // World files give the centre of the top left pixel.
  testing::writeBytes(path("p.bpw"), "0.5\n0\n0\n-0.5\n100.25\n500.25\n");
  const Georeference world = openRaster(bmp).placement;
  ASSERT_TRUE(world.edges);
  EXPECT_EQ(*world.edges, (NorthUpEdges{500.5, 490.5, 100, 120}));
  EXPECT_TRUE(world.coordinateSystem.isEmpty());

  QFile::remove(path("p.bpw"));
  // The bitmap's other world file name, in upper case.
  testing::writeBytes(path("p.BMPW"), "0.5\n0\n0\n-0.5\n200.25\n500.25\n");
  EXPECT_EQ(openRaster(bmp).placement.edges, (NorthUpEdges{500.5, 490.5, 200, 220}));

  QFile::remove(path("p.BMPW"));
  testing::writeBytes(path("p.wld"), "0.5\n0.1\n0\n-0.5\n100.25\n500.25\n");
  const Georeference turned = openRaster(bmp).placement;
  EXPECT_EQ(turned.edges, std::nullopt);
  EXPECT_TRUE(turned.turnedIgnored);
}

// A server on the loopback that would see any request a load makes. It hangs
// up on each at once, so that a load that does connect fails at once too
// rather than waiting on an answer that never comes.
class LoopbackServer {
 public:
  LoopbackServer() {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    const int fd = socket_.get();
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 8) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
      return;
    port_ = ntohs(address.sin_port);
    hangingUp_ = std::jthread([this, fd](std::stop_token stop) {
      while (!stop.stop_requested()) {
        pollfd waiting{fd, POLLIN, 0};
        if (::poll(&waiting, 1, 20) <= 0) continue;
        const FileDescriptor connection(::accept4(fd, nullptr, nullptr, SOCK_CLOEXEC));
        if (connection.isOpen()) ++connections_;
      }
    });
  }
  int port() const { return port_; }  // 0 when it could not listen
  int connections() const { return connections_; }

 private:
  const FileDescriptor socket_{::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0)};
  int port_ = 0;
  std::atomic<int> connections_{0};
  std::jthread hangingUp_;  // stopped and joined before the socket closes
};

TEST_F(GdalRasterTest, AFileThatNamesOtherFilesOrAddressesIsRefusedUnread) {
  const LoopbackServer server;
  ASSERT_NE(server.port(), 0);
  const QString bmp = testing::writeBmp24(path("p.bmp"), testing::positionImage(40, 20));
  const auto vrt = [&](const QString& source) {
    return QStringLiteral(
               "<VRTDataset rasterXSize=\"40\" rasterYSize=\"20\"><VRTRasterBand dataType=\"Byte\" band=\"1\">"
               "<SimpleSource><SourceFilename>%1</SourceFilename><SourceBand>1</SourceBand></SimpleSource>"
               "</VRTRasterBand></VRTDataset>")
        .arg(source)
        .toUtf8();
  };
  const QString remote = QStringLiteral("/vsicurl/http://127.0.0.1:%1/x.tif").arg(server.port());
  const QString vrtRefused = messages::formatNotRasterFile(QStringLiteral("Virtual Raster (VRT)"));
  for (const QString& name : {QStringLiteral("local.tif"), QStringLiteral("local.vrt")})
    EXPECT_EQ(refusal(testing::writeBytes(path(name), vrt(bmp))), vrtRefused) << name.toStdString();
  EXPECT_EQ(refusal(testing::writeBytes(path("remote.tif"), vrt(remote))), vrtRefused);
  EXPECT_EQ(refusal(remote), messages::fileNotFound());
  // Long enough for a connection made to be taken.
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_EQ(server.connections(), 0) << "the load connected to " << remote.toStdString();
}

TEST_F(GdalRasterTest, OtherPixelTypesAndDamagedFilesAreRefusedWithTheirCause) {
  const QString bmp = testing::writeBmp24(path("p.bmp"), testing::positionImage(300, 200));
  EXPECT_TRUE(refusal(translated(bmp, "u16.tif", {"-ot", "UInt16"})).contains("UInt16"));
  EXPECT_TRUE(refusal(translated(bmp, "f32.tif", {"-ot", "Float32"})).contains("Float32"));
  EXPECT_TRUE(refusal(translated(bmp, "two.tif", {"-b", "1", "-b", "2"})).contains(testing::before(messages::bandsOf(2, {testing::kUnknown}))));

  // The library that decodes each format, and its own words for the file cut
  // short and for its middle overwritten (the header stays, the data is garbage).
  struct Damaged {
    QString name;
    QStringList options;
    QString sentence, library, cutShort, garbled;
  };
  const QList<Damaged> damaged = {
      {"c.tif", {"-co", "COMPRESS=LZW"}, messages::gdalReadFailed(), "GDAL", {}, {}},
      {"c.png", {"-of", "PNG"}, messages::pngReadFailed(), "libpng", "Read Error", "IDAT: incorrect data check"},
      {"c.jpg", {"-of", "JPEG"}, messages::jpegReadFailed(), "libjpeg", "Premature end of JPEG file",
       "Corrupt JPEG data: bad Huffman code"}};
  for (const Damaged& file : damaged) {
    SCOPED_TRACE(file.name.toStdString());
    const QString name = translated(bmp, file.name, file.options);
    const QByteArray whole = bytesOf(name);
    QByteArray garbled = whole;
    for (qsizetype i = whole.size() / 3; i < whole.size() * 2 / 3; ++i) garbled[i] = char(i * 7919);
    for (const auto& [bytes, detail] : {std::pair(whole.left(whole.size() * 2 / 3), file.cutShort),
                                        std::pair(garbled, file.garbled)}) {
      testing::writeBytes(name, bytes);
      const QString cause = refusal(name);
      // GDAL's words for a TIFF name the block's place: its sentence is enough.
      EXPECT_TRUE(cause.contains(detail.isEmpty() ? file.sentence
                                                  : messages::withLibraryDetail(file.sentence, file.library, detail)))
          << cause.toStdString();
    }
  }
}

}  // namespace
}  // namespace pelmora
