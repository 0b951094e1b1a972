// What a run would do, as text, without writing anything: the fields as the
// window shows them (named by their captions in every language, for scripts),
// the index lines the run would write, and where the corners and the
// coordinate system came from ("corners-from: …", "crs-from: …", fixed ASCII).
#pragma once

#include "session/form.h"

#include <QString>

namespace pelmora {

// Plans the run (throws Failure as planning does) and lists it.
QString dryRunListing(Form& form);

}  // namespace pelmora
