// A set of files that appear together or not at all: each is written under a
// temporary name in the target folder and flushed to the disk; then a journal
// of the renames (and of the removals that go with them) is flushed, and the
// renames are made one after the other, in an order the caller gives. A stop
// between them is finished from the journal (commit_journal.h).
#pragma once

#include "base/failure.h"
#include "base/file_io.h"
#include "output/commit_journal.h"
#include "output/staged_names.h"

#include <QString>
#include <QStringList>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <span>
#include <thread>

namespace pelmora {

class StagedSet;

// One file being written. Dropped before finish(), its temporary is removed.
class StagedFile {
 public:
  StagedFile(StagedFile&& other) noexcept;
  StagedFile& operator=(StagedFile&&) = delete;
  ~StagedFile();

  // Appends bytes. Throws Failure with the system's reason and the final path.
  void write(std::span<const std::uint8_t> bytes);
  // Hands the complete file to its set, which flushes it to the disk in the
  // background and may then commit it. Throws std::system_error when the
  // system gives no thread to flush it; the file is then dropped.
  void finish();

 private:
  friend class StagedSet;
  StagedFile(StagedSet& set, QString name, QString finalPath, FileDescriptor fd);
  [[noreturn]] void fail(int error);

  StagedSet* set_;
  QString name_;
  QString finalPath_;
  FileDescriptor fd_;
  long long offset_ = 0;
  long long writebackFrom_ = 0;  // what the disk was not yet asked to write
};

class StagedSet {
 public:
  explicit StagedSet(QString folder);
  // Removes every temporary that was not committed.
  ~StagedSet();
  StagedSet(const StagedSet&) = delete;
  StagedSet& operator=(const StagedSet&) = delete;

  // Starts the file `name` (no folder) under its temporary name, replacing a
  // leftover temporary of that name. Thread-safe. Throws Failure when a file
  // of the set failed to reach the disk.
  StagedFile create(const QString& name);

  // Once every finished file the steps put is on the disk (the calling thread
  // flushes those still waiting, beside the flusher), writes the journal
  // `journalName` and flushes it, carries out the steps in order (renames and
  // removals), flushes the folder and removes the journal. Checks first that
  // no folder stands where a file goes. A step that fails is tried once more
  // from the journal; when that fails too, throws Failure naming the file,
  // and the journal stays for finishInterruptedCommit() at the next start.
  // Nothing is renamed or removed before the journal is on the disk.
  void commit(const std::vector<CommitStep>& steps, const QString& journalName);

  const QString& folder() const { return folder_; }

 private:
  friend class StagedFile;
  enum class State { writing, flushing, flushed };
  void finished(const QString& name, FileDescriptor fd);
  void abandoned(const QString& name);
  // Flushes finished files one after the other while the workers go on, so
  // that the disk's waits overlap their work; a flush per file as each is
  // finished would hold up its worker, and all of them at the commit the
  // whole run.
  void flush();
  // Flushes the first file waiting; under the lock, released meanwhile.
  void flushNext(std::unique_lock<std::mutex>& lock);

  QString folder_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::map<QString, State> staged_;
  std::deque<std::pair<QString, FileDescriptor>> toFlush_;  // finished files
  int flushing_ = 0;
  bool closing_ = false;
  std::optional<Failure> flushFailure_;
  std::thread flusher_;
};

// Removes the temporaries in `folder` that stand for a name `ours` accepts:
// what a killed writer left. Returns how many were removed.
int removeLeftoverTemporaries(const QString& folder, const std::function<bool(const QString&)>& ours);
// True when `folder` holds such a temporary.
bool anyLeftoverTemporary(const QString& folder, const std::function<bool(const QString&)>& ours);

}  // namespace pelmora
