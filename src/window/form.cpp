#include "window/form.h"

#include "window/extents.h"

namespace pelmora {

Form::Form(Fields& fields, View& view, Desktop& desktop)
    : fields(fields), view(view), desktop(desktop), makeEncoder(makeJpegEncoder) {
  fields.setCornerChangedHandler([this] { recomputeExtents(this->fields, session); });
}

}  // namespace pelmora
