// Where the batch tool writes: stdout and stderr, which the tests capture.
#pragma once

#include <QString>
#include <functional>

namespace pelmora {

struct Console {
  std::function<void(const QString&)> out;
  std::function<void(const QString&)> err;
  bool errIsTerminal = false;
};

// A line of the batch tool on stderr: "pelmora-tile: [subject: ]text".
void sayOnStderr(const Console& console, const QString& subject, const QString& text);

}  // namespace pelmora
