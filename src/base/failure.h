// The one error type that every command raises: a cause in the user's language
// and, where there is one, the file it concerns. Shown in one place per front end.
#pragma once

#include <QString>
#include <exception>

namespace pelmora {

class Failure : public std::exception {
 public:
  explicit Failure(QString cause, QString file = {})
      : cause_(std::move(cause)), file_(std::move(file)), utf8_(message().toUtf8()) {}

  const QString& cause() const { return cause_; }
  const QString& file() const { return file_; }
  // The text a message box or stderr shows: the cause, then the file on its own line.
  QString message() const {
    return file_.isEmpty() ? cause_ : cause_ + QStringLiteral("\nファイル: ") + file_;
  }
  const char* what() const noexcept override { return utf8_.constData(); }

  // The arithmetic faults that end a command at the step where they occur.
  static Failure divisionByZero() { return Failure(QStringLiteral("0 で除算しました。")); }
  static Failure overflow() { return Failure(QStringLiteral("オーバーフローしました。")); }

 private:
  QString cause_;
  QString file_;
  QByteArray utf8_;
};

}  // namespace pelmora
