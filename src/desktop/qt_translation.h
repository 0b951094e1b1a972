// Qt's own texts in Japanese, like the window's captions: the dialogs' buttons
// and the libraries' reasons that messages quote ("サポートされていない画像形式です").
// Both the window and the batch tool install it; it needs only QtCore.
#pragma once

namespace pelmora {

// Installs Qt's Japanese translation in the running application; false when
// it is not installed on this system (Qt's texts then stay in English).
bool installJapaneseQtTranslation();

}  // namespace pelmora
