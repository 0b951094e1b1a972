#include "desktop/qt_translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace pelmora {

bool installJapaneseQtTranslation() {
  auto* translator = new QTranslator(QCoreApplication::instance());
  if (!translator->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete translator;
    return false;
  }
  return QCoreApplication::installTranslator(translator);
}

void installJapaneseTranslations() {
  installJapaneseQtTranslation();
  auto* translator = new QTranslator(QCoreApplication::instance());
  // Embedded at build time: failing to load it is a broken build.
  if (!translator->load(QStringLiteral(":/i18n/pelmora_ja.qm"))) qFatal("pelmora_ja.qm is not embedded");
  QCoreApplication::installTranslator(translator);
}

bool localeAsksForJapanese() {
  QString locale;
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    locale = qEnvironmentVariable(name);
    if (!locale.isEmpty()) break;
  }
  if (locale.isEmpty()) locale = qEnvironmentVariable("LANGUAGE").section(u':', 0, 0);
  // "ja", "ja_JP.UTF-8", "ja.eucJP" or "ja@…", not "jam".
  return locale.startsWith(QLatin1String("ja")) && (locale.size() == 2 || QStringLiteral("_.@").contains(locale[2]));
}

}  // namespace pelmora
