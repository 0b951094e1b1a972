// The window's texts over its widgets: the twelve text fields and the caption
// of Label9. Typing in a corner field or writing it from code runs the corner
// handler before the write returns.
#pragma once

#include "window/front_end.h"

#include <QLabel>
#include <QLineEdit>
#include <QObject>
#include <map>

namespace pelmora {

class QtFields : public QObject, public Fields {
  Q_OBJECT
 public:
  QtFields(std::map<Field, QLineEdit*> textFields, QLabel* label9);

  QString text(Field field) const override;
  void setText(Field field, const QString& text) override;

 private:
  std::map<Field, QLineEdit*> textFields_;
  QLabel* label9_;
};

}  // namespace pelmora
