// Files that appear whole or not at all: the bytes go to a fresh temporary
// file beside the target, which is renamed over the target once complete.
#pragma once

#include <QString>
#include <cstdint>
#include <span>

namespace pelmora {

// Writes `bytes` to `path`, replacing any earlier file of that name only when
// everything was written. A stopped or crashed writer leaves at most a hidden
// ".NAME.tmp-..." file, never a partial `path`. Several writers may run at
// once, even on the same path. Throws Failure with the system's reason and
// `path`; the temporary file is removed on failure.
void writeFileAtomically(const QString& path, std::span<const std::uint8_t> bytes);

}  // namespace pelmora
