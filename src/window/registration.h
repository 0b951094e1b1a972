// Command2, "登録開始", in the window: its fields read as a request, the run
// planned, executed behind the progress dialog and committed, and the view
// left showing the last tile.
#pragma once

#include "commands/cut_request.h"
#include "commands/outcome.h"
#include "window/form.h"

namespace pelmora {

// The request the window makes: the corners of the record (which follows
// every change of a corner field) with their origins, the counts, the
// quality and the angle as their fields read, the overview as long as the
// window was high at the load, written beside the raster on every core, with
// world files when the check box asks for them and the corners place the
// raster (not on placeholders).
// Throws Failure::overflow() for a number beyond a double in those fields or
// in the corners.
CutRequest requestOfFields(const Form& form);

// The whole command: guard (not started, silently, before a raster is
// loaded), plan and checks, execution with progress, the index committed and
// the view showing the last tile. A failure names its cause and file (the
// raster when it names none); the earlier index survives any stop.
CommandOutcome runRegistration(Form& form);

}  // namespace pelmora
