#include "output/file_lock.h"

#include "base/failure.h"
#include "base/messages.h"
#include "base/system_errors.h"

#include <QFile>

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace pelmora {

std::optional<FileLock> FileLock::tryAcquire(const QString& path) {
  const QByteArray name = QFile::encodeName(path);
  for (;;) {
    FileDescriptor fd(::open(name.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666));
    if (!fd.isOpen()) {
      const int error = errno;
      throw Failure(messages::cannotCreateLockFile(fileErrorReason(error)), path);
    }
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) return std::nullopt;
    // The holder before us removes the file as it lets go: a lock taken on
    // that removed file locks nothing, so it is taken again on the new one.
    struct stat held, named;
    if (::fstat(fd.get(), &held) == 0 && ::stat(name.constData(), &named) == 0 && held.st_dev == named.st_dev &&
        held.st_ino == named.st_ino)
      return FileLock(path, std::move(fd));
  }
}

std::optional<FileLock> FileLock::acquire(const QString& path, const std::atomic<bool>& giveUp) {
  using namespace std::chrono_literals;
  // A blocking flock() cannot be given up, so the lock is tried again and again.
  while (!giveUp.load()) {
    if (auto lock = tryAcquire(path)) return lock;
    std::this_thread::sleep_for(50ms);
  }
  return std::nullopt;
}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
  std::swap(path_, other.path_);
  std::swap(fd_, other.fd_);
  return *this;
}

FileLock::~FileLock() {
  // Removed while still held (the descriptor closes after), so that no one
  // locks the file about to go.
  if (fd_.isOpen()) ::unlink(QFile::encodeName(path_).constData());
}

}  // namespace pelmora
