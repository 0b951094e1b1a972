#include "session/form.h"

#include "session/extents.h"

namespace pelmora {

Form::Form(Fields& fields, View& view, Desktop& desktop)
    : fields(fields), view(view), desktop(desktop), makeEncoder(makeTurboJpegEncoder) {
  fields.setCornerChangedHandler([this] { recomputeExtents(this->fields, session); });
}

}  // namespace pelmora
