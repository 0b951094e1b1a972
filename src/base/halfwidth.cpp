#include "base/halfwidth.h"

#include <unicode/translit.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <memory>
#include <mutex>

namespace pelmora {

QString toHalfWidth(const QString& text) {
  // ASCII has no other width; skipping ICU spares the transliterator's set-up
  // (milliseconds) on the common path.
  if (std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x80; })) return text;
  static std::once_flag once;
  static std::unique_ptr<icu::Transliterator> transliterator;
  static std::mutex mutex;
  std::call_once(once, [] {
    UErrorCode status = U_ZERO_ERROR;
    transliterator.reset(icu::Transliterator::createInstance(
        icu::UnicodeString::fromUTF8("Fullwidth-Halfwidth"), UTRANS_FORWARD, status));
    if (U_FAILURE(status)) transliterator.reset();
  });
  if (!transliterator) return text;

  icu::UnicodeString converted(reinterpret_cast<const UChar*>(text.utf16()), int32_t(text.size()));
  {
    std::lock_guard lock(mutex);
    transliterator->transliterate(converted);
  }
  return QString(reinterpret_cast<const QChar*>(converted.getBuffer()), converted.length());
}

}  // namespace pelmora
