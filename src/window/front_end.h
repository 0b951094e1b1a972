// The window's face of the library: its own state and fields, its three
// commands and their outcomes, the progress seam, the texts and Qt's own
// translations. The widgets (app/) include this and their own files.
#pragma once

#include "base/failure.h"
#include "base/messages.h"
#include "base/progress.h"
#include "commands/outcome.h"
#include "desktop/desktop.h"
#include "desktop/qt_translation.h"
#include "window/fields.h"
#include "window/form.h"
#include "window/grid.h"
#include "window/load.h"
#include "window/quality.h"
#include "window/registration.h"
#include "window/sheet_frame.h"
