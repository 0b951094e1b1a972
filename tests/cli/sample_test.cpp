// The sample map in samples/: its script makes exactly the committed bytes,
// and the batch tool loads and plans it.
#include "cli/batch.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace pelmora {
namespace {

// Given by the build: __FILE__ is relative when ccache rewrites paths to its base folder.
QString samplesFolder() { return QStringLiteral(PELMORA_SAMPLES_DIR); }

QByteArray readFile(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST(SampleMap, ScriptRegeneratesTheCommittedRasterByteForByte) {
  const QString python = QStandardPaths::findExecutable("python3");
  ASSERT_FALSE(python.isEmpty()) << "python3 is needed to make the sample";
  QTemporaryDir dir;
  const QString made = dir.filePath("again.bmp");
  QProcess script;
  script.start(python, {samplesFolder() + "/make_sample.py", made});
  ASSERT_TRUE(script.waitForFinished(120000));
  ASSERT_EQ(script.exitCode(), 0) << script.readAllStandardError().toStdString();

  const QByteArray committed = readFile(samplesFolder() + "/sample_map.bmp");
  ASSERT_EQ(committed.size(), 54 + 960 * 640 * 3);
  EXPECT_LT(committed.size(), 2 * 1024 * 1024);
  EXPECT_TRUE(readFile(made) == committed);
}

TEST(SampleMap, LoadsAndPlansInTheBatchTool) {
  QString out;
  Console console{[&](const QString& t) { out += t; }, [&](const QString& t) { out += t; }};
  ASSERT_EQ(runBatch({"-n", "-r", "2", "-c", "3", samplesFolder() + "/sample_map.bmp"}, console),
            kCompleted)
      << out.toStdString();
  EXPECT_TRUE(out.contains(QString::fromUtf8("右上X: 96\n右上Y: 144\n"))) << out.toStdString();
  EXPECT_TRUE(out.contains("sample_map_6.JPG,")) << out.toStdString();
}

}  // namespace
}  // namespace pelmora
