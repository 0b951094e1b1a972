// Whole reads and writes at an offset, however the system splits them, and a
// file descriptor closed with its owner. Inline, so that the GDAL module,
// which links no library of ours, reads and writes the same way.
#pragma once

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <unistd.h>

namespace pelmora {

inline constexpr int kEndOfFile = -1;

// 0 when all `bytes` were read; kEndOfFile when the file ends first; else the errno.
inline int preadAll(int fd, void* into, std::size_t bytes, std::int64_t offset) {
  auto* to = static_cast<std::uint8_t*>(into);
  while (bytes > 0) {
    const ssize_t got = ::pread(fd, to, bytes, off_t(offset));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return errno;
    if (got == 0) return kEndOfFile;
    to += got;
    bytes -= std::size_t(got);
    offset += got;
  }
  return 0;
}

// 0 when all `bytes` were written; else the errno (ENOSPC for a write that
// writes nothing).
inline int pwriteAll(int fd, const void* from, std::size_t bytes, std::int64_t offset) {
  const auto* data = static_cast<const std::uint8_t*>(from);
  while (bytes > 0) {
    const ssize_t written = ::pwrite(fd, data, bytes, off_t(offset));
    if (written < 0 && errno == EINTR) continue;
    if (written < 0) return errno;
    if (written == 0) return ENOSPC;
    data += written;
    bytes -= std::size_t(written);
    offset += written;
  }
  return 0;
}

// A descriptor closed when its owner goes.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd = -1) : fd_(fd) {}
  FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.release()) {}
  FileDescriptor& operator=(FileDescriptor&& other) noexcept {
    if (this != &other) {
      if (fd_ >= 0) ::close(fd_);
      fd_ = other.release();
    }
    return *this;
  }
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  bool isOpen() const { return fd_ >= 0; }
  int release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }

 private:
  int fd_;
};

}  // namespace pelmora
