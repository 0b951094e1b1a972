// The batch tool speaks the language of the locale variables, one per run:
// English under C.UTF-8, Japanese under ja_JP.UTF-8, usage errors included.
#include "base/messages.h"
#include "cli/batch.h"
#include "support/test_rasters.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTranslator>
#include <gtest/gtest.h>

#include <optional>

namespace pelmora {
namespace {

struct Spoken {
  QString out, err;
};

// The built program under LANG=`lang`, LC_ALL and LC_MESSAGES unset.
Spoken runUnder(const QString& lang, const QStringList& arguments) {
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.remove("LC_ALL");
  environment.remove("LC_MESSAGES");
  environment.insert("LANG", lang);
  QProcess process;
  process.setProcessEnvironment(environment);
  process.start(PELMORA_TILE, arguments);
  EXPECT_TRUE(process.waitForFinished(60000));
  return {QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
}

// What this process says for `arguments` with the translation now installed.
QString usageErrorHere(const QStringList& arguments) {
  QString err;
  const Console console{[](const QString&) {}, [&err](const QString& text) { err += text; }, false};
  EXPECT_EQ(runBatch(arguments, console), kUsageError);
  return err;
}

TEST(BatchLanguage, EnglishUnderCAndJapaneseUnderJa) {
  int argc = 1;
  char name[] = "tests_cli";
  char* argv[] = {name, nullptr};
  std::optional<QCoreApplication> app;
  if (!QCoreApplication::instance()) app.emplace(argc, argv);

  QTemporaryDir dir;
  const QString raster = testing::writeBmp24(dir.filePath("map.bmp"), testing::positionImage(60, 40));
  const QStringList badRows{"--rows", "x", raster};
  const QStringList cut{"-o", dir.filePath("out"), raster};

  const QString englishError = usageErrorHere(badRows);
  const QString englishDone = messages::completed() + u'\n';
  QTranslator japanese;
  ASSERT_TRUE(japanese.load(QStringLiteral(":/i18n/pelmora_ja.qm")));
  ASSERT_TRUE(QCoreApplication::installTranslator(&japanese));
  const QString japaneseError = usageErrorHere(badRows);
  const QString japaneseDone = messages::completed() + u'\n';
  QCoreApplication::removeTranslator(&japanese);
  ASSERT_NE(englishError, japaneseError);
  ASSERT_NE(englishDone, japaneseDone);

  EXPECT_EQ(runUnder("C.UTF-8", badRows).err, englishError);
  EXPECT_EQ(runUnder("C.UTF-8", cut).out, englishDone);
  EXPECT_EQ(runUnder("ja_JP.UTF-8", badRows).err, japaneseError);
  EXPECT_EQ(runUnder("ja_JP.UTF-8", cut).out, japaneseDone);
}

}  // namespace
}  // namespace pelmora
