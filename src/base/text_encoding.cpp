#include "base/text_encoding.h"

#include <QStringDecoder>
#include <unicode/ucnv.h>

#include <memory>

namespace pelmora {

QString decodeUtf8OrCp932(const QByteArray& bytes) {
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString text = utf8.decode(bytes);
  if (!utf8.hasError()) {
    if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
    return text;
  }
  // Qt's own converters know no CP932; ICU's "windows-31j" is it.
  UErrorCode status = U_ZERO_ERROR;
  const std::unique_ptr<UConverter, void (*)(UConverter*)> converter(ucnv_open("windows-31j", &status),
                                                                     ucnv_close);
  if (U_FAILURE(status)) return text;  // the UTF-8 reading, its faults replaced
  QString decoded(bytes.size(), Qt::Uninitialized);  // never more UTF-16 units than bytes
  const int length = ucnv_toUChars(converter.get(), reinterpret_cast<UChar*>(decoded.data()),
                                   int(decoded.size()), bytes.constData(), int(bytes.size()), &status);
  if (U_FAILURE(status)) return text;
  decoded.truncate(length);
  return decoded;
}

}  // namespace pelmora
