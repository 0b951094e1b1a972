#include "output/staged_names.h"

namespace pelmora {
namespace {

const QString kStagedSuffix = QStringLiteral(".pelmora-tmp");

}  // namespace

QString stagedNameOf(const QString& fileName) { return u'.' + fileName + kStagedSuffix; }

std::optional<QString> fileNameOfStaged(const QString& stagedName) {
  if (!stagedName.startsWith(u'.') || !stagedName.endsWith(kStagedSuffix) ||
      stagedName.size() <= 1 + kStagedSuffix.size())
    return std::nullopt;
  return stagedName.mid(1, stagedName.size() - 1 - kStagedSuffix.size());
}

}  // namespace pelmora
