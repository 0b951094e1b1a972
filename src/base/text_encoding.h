// Text files as Japanese systems save them: UTF-8, with or without a
// byte-order mark, or CP932 (Shift_JIS as Windows extends it), which
// spreadsheets there write by default.
#pragma once

#include <QByteArray>
#include <QString>

namespace pelmora {

// UTF-8 when the bytes are valid UTF-8 (a leading byte-order mark dropped),
// else CP932.
QString decodeUtf8OrCp932(const QByteArray& bytes);

}  // namespace pelmora
