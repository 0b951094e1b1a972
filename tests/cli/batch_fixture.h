// The batch tool run in this process on a generated 400 × 300 bitmap, its
// streams captured.
#pragma once

#include "cli/batch.h"
#include "support/test_rasters.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>

namespace pelmora {

struct Captured {
  QString out, err;
  Console console{[this](const QString& t) { out += t; }, [this](const QString& t) { err += t; }};
};

class BatchTool : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    // 400 × 300 pixels: 360,054 bytes, P_X 4500, P_Y 6000.
    raster = testing::writeBmp24(dir.filePath("sheet12.bmp"), testing::positionImage(400, 300));
  }

  int run(QStringList args) {
    captured = std::make_unique<Captured>();
    return runBatch(args, captured->console);
  }
  QStringList outLines() const { return captured->out.split(u'\n'); }

  static void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
  }
  static QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }

  QTemporaryDir dir;
  QString raster;
  std::unique_ptr<Captured> captured;
};

}  // namespace pelmora
