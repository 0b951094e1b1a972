// Qt's own dialog texts (file dialog, message box buttons) in Japanese, like
// the window's captions.
#pragma once

namespace pelmora {

// Installs Qt's Japanese translation in the running application; false when
// it is not installed on this system (the dialogs then stay in English).
bool installJapaneseQtTranslation();

}  // namespace pelmora
