// An exclusive lock held through a lock file (flock), so that two processes
// or threads writing the same set of files take turns. The lock file is
// removed when the lock is released; a killed holder releases it with its
// descriptor, and the file it leaves is taken over by the next one.
#pragma once

#include <QString>
#include <atomic>

#include "base/file_io.h"
#include <optional>

namespace pelmora {

class FileLock {
 public:
  // Takes the lock on `path` if no one holds it. Throws Failure with the
  // system's reason when the lock file cannot be made.
  static std::optional<FileLock> tryAcquire(const QString& path);
  // Waits for the lock until `giveUp` turns true (nothing then).
  static std::optional<FileLock> acquire(const QString& path, const std::atomic<bool>& giveUp);

  FileLock(FileLock&& other) noexcept = default;
  FileLock& operator=(FileLock&& other) noexcept;
  ~FileLock();

 private:
  FileLock(QString path, FileDescriptor fd) : path_(std::move(path)), fd_(std::move(fd)) {}
  QString path_;
  FileDescriptor fd_;
};

}  // namespace pelmora
