#include "commands/run_request.h"

#include "base/numbers.h"
#include "session/extents.h"
#include "session/field_number.h"

namespace pelmora {

RunRequest readRunRequest(const Fields& fields, const RunOptions& options) {
  RunRequest request;
  request.quality = readFieldNumber(fields, Field::Text11);
  request.rows = readFieldNumber(fields, Field::Text5);
  request.columns = readFieldNumber(fields, Field::Text6);
  request.angle = toSingle(readFieldNumber(fields, Field::Text12));
  request.options = options;
  // The index takes the session's corners, which a corner text beyond a
  // double (or two whose span is) leaves as they were: such texts stop the
  // run, rather than the index quietly keeping corners the fields no longer show.
  Session corners;
  readCornersAndExtents(fields, corners);
  return request;
}

}  // namespace pelmora
