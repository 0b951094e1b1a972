// The two kinds of entry field with a focus behaviour: fields that select their
// whole text when they receive the focus, and a field that runs an action when
// the focus leaves it (before a clicked button's action runs).
#pragma once

#include <QLineEdit>
#include <functional>

namespace pelmora {

// Focus changes that come from the window being deactivated and activated
// again, or from a popup such as the context menu, are no focus changes
// between the window's controls: the field behaviours ignore them.
bool isFocusMoveWithinWindow(Qt::FocusReason reason);

class SelectAllLineEdit : public QLineEdit {
  Q_OBJECT
 public:
  using QLineEdit::QLineEdit;

 protected:
  void focusInEvent(QFocusEvent* event) override;
};

class FocusLeaveLineEdit : public QLineEdit {
  Q_OBJECT
 public:
  using QLineEdit::QLineEdit;
  void setFocusLeaveAction(std::function<void()> action) { onFocusLeave_ = std::move(action); }

 protected:
  void focusOutEvent(QFocusEvent* event) override;

 private:
  std::function<void()> onFocusLeave_;
};

}  // namespace pelmora
