#include "output/staged_files.h"

#include "base/failure.h"
#include "base/messages.h"
#include "base/file_io.h"
#include "base/system_errors.h"
#include "output/staged_names.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace pelmora {
namespace {

QByteArray encoded(const QString& path) { return QFile::encodeName(path); }

[[noreturn]] void failWrite(int error, const QString& path) {
  throw Failure(messages::cannotWriteFile(fileErrorReason(error)), path);
}

}  // namespace

// ---------------------------------------------------------------------------

StagedFile::StagedFile(StagedSet& set, QString name, QString finalPath, FileDescriptor fd)
    : set_(&set), name_(std::move(name)), finalPath_(std::move(finalPath)), fd_(std::move(fd)) {}

StagedFile::StagedFile(StagedFile&& other) noexcept
    : set_(other.set_),
      name_(std::move(other.name_)),
      finalPath_(std::move(other.finalPath_)),
      fd_(std::move(other.fd_)),
      offset_(other.offset_),
      writebackFrom_(other.writebackFrom_) {
  other.set_ = nullptr;
}

StagedFile::~StagedFile() {
  if (set_) set_->abandoned(name_);
}

void StagedFile::fail(int error) {
  fd_ = FileDescriptor();
  set_->abandoned(name_);
  set_ = nullptr;
  failWrite(error, finalPath_);
}

void StagedFile::write(std::span<const std::uint8_t> bytes) {
  if (const int error = pwriteAll(fd_.get(), bytes.data(), bytes.size(), offset_)) fail(error);
  offset_ += (long long)bytes.size();
  // The disk starts on what is written while the rest is made, so that the
  // flush before the commit finds little left to do: a stretch at a time,
  // whole pages but for the file's end, as a call for every few kilobytes
  // costs more than it saves. Only a hint: the flush reports any error.
  constexpr long long kWritebackStretch = 1 << 20;
  if (offset_ - writebackFrom_ >= kWritebackStretch) {
    const long long upTo = offset_ & ~4095LL;
    ::sync_file_range(fd_.get(), off_t(writebackFrom_), off_t(upTo - writebackFrom_), SYNC_FILE_RANGE_WRITE);
    writebackFrom_ = upTo;
  }
}

void StagedFile::finish() {
  set_->finished(name_, std::move(fd_));
  set_ = nullptr;
}

// ---------------------------------------------------------------------------

StagedSet::StagedSet(QString folder) : folder_(std::move(folder)) {}

StagedSet::~StagedSet() {
  {
    std::lock_guard lock(mutex_);
    closing_ = true;
  }
  changed_.notify_all();
  if (flusher_.joinable()) flusher_.join();
  for (const auto& [name, state] : staged_)
    ::unlink(encoded(QDir(folder_).filePath(stagedNameOf(name))).constData());
}

StagedFile StagedSet::create(const QString& name) {
  const QString finalPath = QDir(folder_).filePath(name);
  const QByteArray temporary = encoded(QDir(folder_).filePath(stagedNameOf(name)));
  {
    std::lock_guard lock(mutex_);
    if (flushFailure_) throw *flushFailure_;
    staged_[name] = State::writing;
  }
  // 0666 so that the umask decides the permissions, as for any new file.
  // A leftover of that name goes first; the file is then made afresh, never
  // opened through a link planted at its name.
  ::unlink(temporary.constData());
  FileDescriptor fd(::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
  if (!fd.isOpen()) {
    const int error = errno;
    abandoned(name);
    failWrite(error, finalPath);
  }
  return StagedFile(*this, name, finalPath, std::move(fd));
}

void StagedSet::finished(const QString& name, FileDescriptor fd) {
  std::unique_lock lock(mutex_);
  // A bound on the descriptors held open while the disk catches up.
  changed_.wait(lock, [this] { return toFlush_.size() < 64; });
  // Started before the file is queued: when the system gives no thread, the
  // file's descriptor goes with `fd` and its temporary with its StagedFile.
  if (!flusher_.joinable()) flusher_ = std::thread([this] { flush(); });
  staged_[name] = State::flushing;
  toFlush_.emplace_back(name, std::move(fd));
  changed_.notify_all();
}

void StagedSet::flush() {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return closing_ || !toFlush_.empty(); });
    if (closing_) return;  // what is left is abandoned, not flushed
    flushNext(lock);
  }
}

void StagedSet::flushNext(std::unique_lock<std::mutex>& lock) {
  auto [name, fd] = std::move(toFlush_.front());
  toFlush_.pop_front();
  ++flushing_;
  lock.unlock();
  // A full disk or a failing device may only show here, at the flush or the close.
  int error = ::fsync(fd.get()) != 0 ? errno : 0;
  if (::close(fd.release()) != 0 && error == 0) error = errno;
  lock.lock();
  --flushing_;
  if (error == 0) {
    if (staged_.count(name)) staged_[name] = State::flushed;
  } else if (!flushFailure_) {
    flushFailure_ = Failure(messages::cannotWriteFile(fileErrorReason(error)),
                            QDir(folder_).filePath(name));
  }
  changed_.notify_all();
}

void StagedSet::abandoned(const QString& name) {
  ::unlink(encoded(QDir(folder_).filePath(stagedNameOf(name))).constData());
  std::lock_guard lock(mutex_);
  staged_.erase(name);
}

void StagedSet::commit(const std::vector<CommitStep>& steps, const QString& journalName) {
  {
    StagedFile journal = create(journalName);
    const QByteArray text = journalText(steps);
    journal.write({reinterpret_cast<const std::uint8_t*>(text.constData()), std::size_t(text.size())});
    journal.finish();
  }
  std::unique_lock lock(mutex_);
  while (!toFlush_.empty()) flushNext(lock);
  changed_.wait(lock, [this] { return toFlush_.empty() && flushing_ == 0; });
  if (flushFailure_) throw *flushFailure_;
  // Names are taken relative to the folder, opened once: the renames of a
  // large set are the one part of a run that no other work overlaps.
  const FileDescriptor folder(::open(encoded(folder_).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!folder.isOpen()) throw Failure(messages::cannotWriteFolder(fileErrorReason(errno)), folder_);
  auto checkFlushed = [&](const QString& name) {
    const auto staged = staged_.find(name);
    if (staged == staged_.end() || staged->second != State::flushed)
      throw Failure(messages::fileNotFinished(), QDir(folder_).filePath(name));
  };
  checkFlushed(journalName);
  for (const CommitStep& step : steps) {
    if (step.kind != CommitStep::Kind::put) continue;
    checkFlushed(step.name);
    // rename() would refuse it only after the files before it were renamed.
    struct stat status;
    if (::fstatat(folder.get(), encoded(step.name).constData(), &status, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISDIR(status.st_mode))
      failWrite(EISDIR, QDir(folder_).filePath(step.name));
  }

  // The journal in place and on the disk: from here on the temporaries are
  // the journal's, and a stop is finished from it rather than undone.
  if (::renameat(folder.get(), encoded(stagedNameOf(journalName)).constData(), folder.get(),
                 encoded(journalName).constData()) != 0)
    failWrite(errno, QDir(folder_).filePath(journalName));
  staged_.clear();
  if (::fsync(folder.get()) != 0) throw Failure(messages::cannotWriteFolder(fileErrorReason(errno)), folder_);
  try {
    carryOut(folder.get(), folder_, steps, /*again=*/false);
  } catch (const Failure&) {
    // A rename or removal may fail once and then go through (an interrupted
    // call, a device that recovers): the journal is carried out again.
    carryOut(folder.get(), folder_, steps, /*again=*/true);
  }
  removeJournal(folder.get(), journalName);
}

// Read with readdir: QDir's filtered, sorted listing took half a millisecond
// of every run's start for a folder of a few hundred files.
namespace {

// Calls `act(folderFd, entryName)` for each temporary in `folder` that
// stands for a name `ours` accepts, until it returns false.
template <class Act>
void forEachLeftover(const QString& folder, const std::function<bool(const QString&)>& ours, const Act& act) {
  FileDescriptor folderFd(::open(encoded(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!folderFd.isOpen()) return;
  DIR* entries = ::fdopendir(folderFd.get());
  if (!entries) return;
  const int fd = folderFd.release();  // closed with `entries`
  while (const dirent* entry = ::readdir(entries)) {
    const std::optional<QString> name = fileNameOfStaged(QFile::decodeName(entry->d_name));
    if (name && ours(*name) && !act(fd, entry->d_name)) break;
  }
  ::closedir(entries);
}

}  // namespace

int removeLeftoverTemporaries(const QString& folder, const std::function<bool(const QString&)>& ours) {
  int removed = 0;
  // A folder of that name is not ours to remove: unlinkat refuses it.
  forEachLeftover(folder, ours, [&removed](int fd, const char* name) {
    if (::unlinkat(fd, name, 0) == 0) ++removed;
    return true;
  });
  return removed;
}

bool anyLeftoverTemporary(const QString& folder, const std::function<bool(const QString&)>& ours) {
  bool any = false;
  forEachLeftover(folder, ours, [&any](int, const char*) { return !(any = true); });
  return any;
}

}  // namespace pelmora
