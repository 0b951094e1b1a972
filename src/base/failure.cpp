// Failure is defined inline in failure.h, so that the GDAL module, which links
// no library of ours, words its failures the same way.
#include "base/failure.h"
