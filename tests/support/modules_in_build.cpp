// Linked into the test and benchmark programs: they run from build folders of
// their own, where neither the program folder nor an install holds our
// modules. A module's own search reads its variable last; one set by the
// caller wins.
#include <cstdlib>

namespace {

[[maybe_unused]] const bool registered = (setenv("PELMORA_GDAL_MODULE", PELMORA_GDAL_MODULE, 0), true);

}  // namespace
