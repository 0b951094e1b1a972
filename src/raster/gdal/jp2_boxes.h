// The box structure of a JPEG 2000 file, checked before the file reaches
// libopenjp2: on a file whose boxes reach past its end, that library stops the
// whole process with a failed assertion instead of returning an error.
#pragma once

#include <QString>

namespace pelmora {

// Throws Failure naming `path` when it is a JP2 file (signature box first)
// whose top-level boxes do not lie within the file. Anything else passes.
void checkJp2Boxes(const QString& path);

}  // namespace pelmora
