#include "window/form.h"

#include "window/extents.h"

#include <QStringList>

namespace pelmora {

Form::Form(Fields& fields, View& view, Desktop& desktop)
    : fields(fields), view(view), desktop(desktop), makeEncoder(makeJpegEncoder) {
  fields.setCornerChangedHandler([this] { recomputeExtents(this->fields, session); });
  for (int i = 0; i < 4; ++i) cornerTextsOfLoad[std::size_t(i)] = initialText(Field(int(Field::Text1) + i));
}

std::pair<bool, bool> Form::typedCornerPairs() const {
  auto typed = [this](Field field) {
    return fields.text(field) != cornerTextsOfLoad[std::size_t(int(field) - int(Field::Text1))];
  };
  return {typed(Field::Text1) || typed(Field::Text2), typed(Field::Text3) || typed(Field::Text4)};
}

QString Form::lineBesideView() const {
  QStringList line{cornerSource};
  if (!(frame && cutAtFrame)) line << proportionsNote;
  line << frameNote;
  line.removeAll(QString());
  return line.join(u' ');
}

}  // namespace pelmora
