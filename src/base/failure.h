// The one error type that every command raises: a cause in the user's language
// and, where there is one, the file it concerns. Shown in one place per front end.
#pragma once

#include "base/messages.h"

#include <QString>
#include <exception>
#include <new>

namespace pelmora {

class Failure : public std::exception {
 public:
  explicit Failure(QString cause, QString file = {})
      : cause_(std::move(cause)), file_(std::move(file)), utf8_(message().toUtf8()) {}

  const QString& cause() const { return cause_; }
  const QString& file() const { return file_; }
  // The text a message box or stderr shows: the cause, then the file on its own line.
  QString message() const { return messages::withFile(cause_, file_); }
  const char* what() const noexcept override { return utf8_.constData(); }

  // This failure, naming `file` when it names none of its own: a fault of
  // arithmetic or memory concerns the file the step was working on.
  Failure concerning(const QString& file) const { return file_.isEmpty() ? Failure(cause_, file) : *this; }

  // The exception being handled as a failure concerning `file`: called
  // inside a catch block, so that no exception ends a command unexplained.
  // Inline, for the GDAL module's threads too.
  static Failure fromCurrentException(const QString& file) {
    try {
      throw;
    } catch (const Failure& failure) {
      return failure.concerning(file);
    } catch (const std::bad_alloc&) {
      return Failure(messages::outOfMemory(), file);
    } catch (const std::exception& error) {
      return Failure(messages::unexpectedFailureSaying(QString::fromLocal8Bit(error.what())), file);
    } catch (...) {
      return Failure(messages::unexpectedFailure(), file);
    }
  }

  // The arithmetic faults that end a command at the step where they occur.
  static Failure divisionByZero() { return Failure(messages::divisionByZero()); }
  static Failure overflow() { return Failure(messages::overflow()); }

 private:
  QString cause_;
  QString file_;
  QByteArray utf8_;
};

}  // namespace pelmora
