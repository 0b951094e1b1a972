// The window's texts as its commands see them. The window implements this over
// its widgets; MemoryFields holds them for the tests. In both, a changed
// corner text (Text1 to Text4) runs the corner handler before the write
// returns.
#pragma once

#include "commands/window_fields.h"

#include <QString>
#include <functional>
#include <map>

namespace pelmora {

class Fields {
 public:
  virtual ~Fields() = default;
  virtual QString text(Field field) const = 0;
  // Writing the same text again changes nothing and runs no handler.
  virtual void setText(Field field, const QString& text) = 0;

  void setCornerChangedHandler(std::function<void()> handler) { cornerChanged_ = std::move(handler); }

 protected:
  void cornerChanged() {
    if (cornerChanged_) cornerChanged_();
  }

 private:
  std::function<void()> cornerChanged_;
};

class MemoryFields : public Fields {
 public:
  MemoryFields();  // every field at its initial text
  QString text(Field field) const override;
  void setText(Field field, const QString& text) override;

 private:
  std::map<Field, QString> texts_;
};

}  // namespace pelmora
