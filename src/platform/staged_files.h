// A set of files that appear together or not at all: each is written under a
// temporary name in the target folder, flushed to the disk, and the whole set
// is renamed into place at once, in an order the caller gives.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <span>

namespace pelmora {

// The temporary name a staged file has until its set is committed
// ("a_3.JPG" -> ".a_3.JPG.pelmora-tmp"): hidden, ours, and tied to the name.
QString stagedNameOf(const QString& fileName);
// The file name a temporary stands for, or nothing for any other name.
std::optional<QString> fileNameOfStaged(const QString& stagedName);

class StagedSet;

// One file being written. Dropped before finish(), its temporary is removed.
class StagedFile {
 public:
  StagedFile(StagedFile&& other) noexcept;
  StagedFile& operator=(StagedFile&&) = delete;
  ~StagedFile();

  // Appends bytes. Throws Failure with the system's reason and the final path.
  void write(std::span<const std::uint8_t> bytes);
  // Flushes the content to the disk and closes the file; the set may then
  // commit it. Throws Failure like write().
  void finish();

 private:
  friend class StagedSet;
  StagedFile(StagedSet& set, QString name, QString finalPath, int fd);
  [[noreturn]] void fail(int error);

  StagedSet* set_;
  QString name_;
  QString finalPath_;
  int fd_;
};

class StagedSet {
 public:
  explicit StagedSet(QString folder);
  // Removes every temporary that was not committed.
  ~StagedSet();
  StagedSet(const StagedSet&) = delete;
  StagedSet& operator=(const StagedSet&) = delete;

  // Starts the file `name` (no folder) under its temporary name, replacing a
  // leftover temporary of that name. Thread-safe.
  StagedFile create(const QString& name);

  // Renames the finished files `names` into place in that order, then flushes
  // the folder, so that the last name appears only after all the others.
  // Checks first that no folder stands where a file goes. Throws Failure
  // naming the file; files renamed before a failure stay renamed.
  void commit(const QStringList& names);

  const QString& folder() const { return folder_; }

 private:
  friend class StagedFile;
  void finished(const QString& name);
  void abandoned(const QString& name);

  QString folder_;
  std::mutex mutex_;
  std::map<QString, bool> staged_;  // name -> finished
};

// Removes the temporaries in `folder` that stand for a name `ours` accepts:
// what a killed writer left. Returns how many were removed.
int removeLeftoverTemporaries(const QString& folder, const std::function<bool(const QString&)>& ours);

// The cause of a file-system error as a user can act on it, with the
// system's own words: "ディスクの空きが足りません (No space left on device)".
QString fileErrorReason(int error);

}  // namespace pelmora
