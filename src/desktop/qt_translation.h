// The programs' texts and Qt's own in Japanese: our messages (English in the
// sources, translations/pelmora_ja.ts embedded as :/i18n/pelmora_ja.qm), the
// dialogs' buttons and the libraries' reasons that messages quote
// ("サポートされていない画像形式です"). The window always installs them; the
// batch tool when the locale asks for Japanese. Needs only QtCore.
#pragma once

namespace pelmora {

// Installs Qt's Japanese translation in the running application; false when
// it is not installed on this system (Qt's texts then stay in English).
bool installJapaneseQtTranslation();

// Installs our Japanese translation, which is embedded and so always there,
// and Qt's (as above).
void installJapaneseTranslations();

// Whether the locale variables ask for Japanese messages: the first of
// LC_ALL, LC_MESSAGES and LANG that is set and not empty decides, LANGUAGE's
// first entry when none is; "ja", "ja_JP.UTF-8" and the like are Japanese.
// The variables are read as they are, whether or not the C library has that
// locale.
bool localeAsksForJapanese();

}  // namespace pelmora
