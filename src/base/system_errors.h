// The system's errors in words: its own, and for file-system errors the
// cause as a user can act on it. Inline, so that the GDAL module, which
// links no library of ours, words them the same way.
#pragma once

#include "base/messages.h"

#include <QString>
#include <cerrno>
#include <system_error>

namespace pelmora {

// The system's own words for `error` ("No space left on device").
inline QString systemErrorText(int error) {
  return QString::fromLocal8Bit(std::system_category().message(error));
}

// The cause of a file-system error as a user can act on it, with the
// system's own words: "ディスクの空きが足りません (No space left on device)".
inline QString fileErrorReason(int error) {
  QString plain;
  switch (error) {
    case ENOSPC:
    case EDQUOT: plain = messages::noSpaceLeft(); break;
    case EACCES:
    case EPERM: plain = messages::writeNotPermitted(); break;
    case EROFS: plain = messages::readOnlyPlace(); break;
    case EISDIR: plain = messages::folderOfThatName(); break;
    case ENOENT:
    case ENOTDIR: plain = messages::noSuchFolder(); break;
    default: return systemErrorText(error);
  }
  return plain + QStringLiteral(" (") + systemErrorText(error) + u')';
}

}  // namespace pelmora
