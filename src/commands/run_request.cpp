#include "commands/run_request.h"

#include "base/numbers.h"
#include "session/field_number.h"

namespace pelmora {

RunRequest readRunRequest(const Fields& fields, const RunOptions& options) {
  RunRequest request;
  request.quality = readFieldNumber(fields, Field::Text11);
  request.rows = readFieldNumber(fields, Field::Text5);
  request.columns = readFieldNumber(fields, Field::Text6);
  request.angle = toSingle(readFieldNumber(fields, Field::Text12));
  request.options = options;
  return request;
}

}  // namespace pelmora
