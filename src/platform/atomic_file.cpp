#include "platform/atomic_file.h"

#include "base/failure.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <system_error>
#include <unistd.h>

namespace pelmora {
namespace {

// The causes a user can act on in their own words; the system's text otherwise.
QString reasonOf(int error) {
  switch (error) {
    case ENOSPC:
    case EDQUOT: return QStringLiteral("ディスクの空きが足りません。");
    case EACCES:
    case EPERM: return QStringLiteral("書き込みが許可されていません。");
    case EROFS: return QStringLiteral("読み取り専用の場所です。");
    case EISDIR: return QStringLiteral("同じ名前のフォルダーがあります。");
    case ENOENT:
    case ENOTDIR: return QStringLiteral("フォルダーがありません。");
    default: return QString::fromStdString(std::generic_category().message(error));
  }
}

[[noreturn]] void fail(int error, const QString& path) {
  throw Failure(QStringLiteral("ファイルを書き込めません: ") + reasonOf(error), path);
}

// A name no other writer uses now: the process id and a counter, retried on
// the rare leftover of a crashed process that had the same id.
int createTemporary(const QString& path, QByteArray& temporary) {
  static std::atomic<unsigned> counter{0};
  const QFileInfo target(path);
  for (int attempt = 0;; ++attempt) {
    temporary = QFile::encodeName(target.dir().filePath(
        QStringLiteral(".%1.tmp-%2-%3").arg(target.fileName()).arg(::getpid()).arg(counter++)));
    // 0666 so that the umask decides the permissions, as for any new file.
    const int fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) return fd;
    if (errno != EEXIST || attempt == 1000) fail(errno, path);
  }
}

}  // namespace

void writeFileAtomically(const QString& path, std::span<const std::uint8_t> bytes) {
  QByteArray temporary;
  const int fd = createTemporary(path, temporary);
  auto abandon = [&](int error) {
    ::unlink(temporary.constData());
    fail(error, path);
  };

  const std::uint8_t* next = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    const ssize_t written = ::write(fd, next, left);
    if (written < 0) {
      if (errno == EINTR) continue;
      const int error = errno;
      ::close(fd);
      abandon(error);
    }
    next += written;
    left -= std::size_t(written);
  }
  // close() is where some file systems report a full disk.
  if (::close(fd) != 0) abandon(errno);
  if (::rename(temporary.constData(), QFile::encodeName(path).constData()) != 0) abandon(errno);
}

}  // namespace pelmora
