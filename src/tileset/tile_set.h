// A tile set: the files one run on one raster writes into one folder, named
// after the raster (the overview NAME_0.JPG, the tiles NAME_1.JPG ..., their
// world files, .aux.xml and masks, the index NAME.AR2), with the journal and the lock
// that guard it. This unit alone names those files and knows which belong to
// the set; the run, the load, the done check and the batch tool ask it.
#pragma once

#include "output/commit_journal.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace pelmora {

class TileSet {
 public:
  // The set of `rasterPath` in `folder`, or in the raster's own folder when
  // `folder` is empty; the folder is made absolute.
  explicit TileSet(const QString& rasterPath, const QString& folder = {});
  TileSet() = default;

  const QString& folder() const { return folder_; }
  // The raster's file name less its extension (from its last "."), the whole
  // name when it has none.
  const QString& baseName() const { return baseName_; }
  QString indexFileName() const;  // NAME.AR2
  QString imageFileName(int number) const;  // NAME_0.JPG for the overview, NAME_1.JPG ...
  QString journalName() const;
  QString indexPath() const { return pathOf(indexFileName()); }
  // The lock file that serialises runs on this set.
  QString lockPath() const;
  QString pathOf(const QString& fileName) const;

  // The files of the set: its index, its images and their world files,
  // .aux.xml and masks. Only these are ever cleaned up or removed on its behalf.
  bool isMember(const QString& fileName) const;

  // What the commit of a run that wrote `imageNames` does, in order: the
  // sidecars it does not write afresh removed first, so that no new image is
  // placed by an earlier sidecar; the new files, the index last; then the
  // images the earlier index named and this run does not, with their
  // sidecars. Masks are written, with world files, for `maskedImages` only.
  // Reads the earlier index.
  std::vector<CommitStep> commitSteps(const QStringList& imageNames, bool worldFiles, bool auxFiles,
                                      const QStringList& maskedImages) const;

  // Finishes the commit that a stopped run left, if any; the caller holds
  // the set's lock. Throws Failure naming the file of a step that fails.
  void finishInterruptedCommit() const;
  // For a caller that holds no lock (a load, a dry run): finishes the commit
  // a stopped run left and removes the temporaries a killed one left, under
  // the lock taken for that. Nothing when there is neither (no lock file is
  // made) or a run holds the lock now (it tidies itself).
  void tidyUnlocked() const;
  // Removes the temporaries a killed run on this set left.
  void removeLeftovers() const;

  // True when the index is newer than `rasterPath` and every image it lists
  // (and, with `worldFiles`, every image's world file, and its .aux.xml when
  // any image has one) exists. An index that cannot be read counts as not
  // done.
  bool isDone(const QString& rasterPath, bool worldFiles) const;

 private:
  QString folder_;
  QString baseName_;
};

// The sidecars GIS software reads beside an image: "a_1.JPG" -> "a_1.jgw",
// "a_1.JPG" -> "a_1.JPG.aux.xml" and "a_1.JPG" -> "a_1.JPG.msk".
QString worldFileName(const QString& imageFileName);
QString auxFileName(const QString& imageFileName);
QString maskFileName(const QString& imageFileName);

}  // namespace pelmora
