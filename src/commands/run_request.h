// What a registration run is asked for: the counts, the quality and the angle
// as the window's fields hold them, and how and where the run writes. Read
// from the fields in one place, with the rules every field reading follows.
#pragma once

#include "session/fields.h"
#include "session/form.h"

namespace pelmora {

struct RunRequest {
  double rows = 1;       // Text5: bands along X, from the top
  double columns = 1;    // Text6: strips along Y, from the left
  double quality = 50;   // Text11, before the encoder's rounding
  float angle = 0;       // Text12: degrees, as a 32-bit float
  RunOptions options;
};

// Full-width forms read as ASCII, then the lenient reading; a text without a
// number reads as 0. Throws Failure::overflow() for a number beyond a double,
// in these fields or in the corners.
RunRequest readRunRequest(const Fields& fields, const RunOptions& options);

}  // namespace pelmora
