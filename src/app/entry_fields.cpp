#include "app/entry_fields.h"

#include <QFocusEvent>
#include <QTimer>

namespace pelmora {

bool isFocusMoveWithinWindow(Qt::FocusReason reason) {
  return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
}

void SelectAllLineEdit::focusInEvent(QFocusEvent* event) {
  QLineEdit::focusInEvent(event);
  // A mouse press that gave the focus places the caret after this event;
  // selecting once it has been handled makes a click select all as Tab does.
  if (isFocusMoveWithinWindow(event->reason())) QTimer::singleShot(0, this, &QLineEdit::selectAll);
}

void FocusLeaveLineEdit::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  // A button takes the focus on the press, so this runs before its click.
  if (onFocusLeave_ && isFocusMoveWithinWindow(event->reason())) onFocusLeave_();
}

}  // namespace pelmora
