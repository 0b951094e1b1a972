// The window's texts as the commands see them. The window implements this over
// its widgets; MemoryFields holds them for the batch tool and the tests. In
// both, a changed corner text (Text1 to Text4) runs the corner handler before
// the write returns.
#pragma once

#include <QString>
#include <functional>
#include <map>

namespace pelmora {

enum class Field {
  Text1, Text2, Text3, Text4, Text5, Text6, Text7, Text8, Text9, Text10, Text11, Text12,
  Label9,
};

inline bool isCornerField(Field f) {
  return f == Field::Text1 || f == Field::Text2 || f == Field::Text3 || f == Field::Text4;
}

// The text each field holds when the window opens.
QString initialText(Field field);
// The caption of the label beside the field ("右上X", "JPG画質", ...); empty for
// fields without one.
QString captionOf(Field field);

// The window's command buttons, Command1 to Command3.
enum class Command { Load, Run, ShowGrid };
// The caption of its button, the command's name in every language.
QString captionOf(Command command);

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
