// Messages compared by their wording as the translation gives it, never
// retyped: a test builds the expected message with the messages:: function,
// and where an argument is not known to it (a library's reason), compares
// the part before it.
#pragma once

#include "base/messages.h"

namespace pelmora::testing {

// An argument that no message holds of its own.
inline const QString kUnknown = QStringLiteral("\x01");

// The part of `message` before kUnknown: before(messages::cannotOpenFile(kUnknown)).
inline QString before(const QString& message) { return message.section(kUnknown, 0, 0); }

}  // namespace pelmora::testing
