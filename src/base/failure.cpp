#include "base/failure.h"

#include <new>

namespace pelmora {

Failure Failure::fromCurrentException(const QString& file) {
  try {
    throw;
  } catch (const Failure& failure) {
    return failure.concerning(file);
  } catch (const std::bad_alloc&) {
    return Failure(messages::outOfMemory(), file);
  } catch (const std::exception& error) {
    return Failure(QString::fromLocal8Bit(error.what()), file);
  } catch (...) {
    return Failure(messages::unexpectedFailure(), file);
  }
}

}  // namespace pelmora
