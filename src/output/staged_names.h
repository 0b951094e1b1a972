// The temporary name a staged file has until its set is committed
// ("a_3.JPG" -> ".a_3.JPG.pelmora-tmp"): hidden, ours, and tied to the name.
#pragma once

#include <QString>
#include <optional>

namespace pelmora {

QString stagedNameOf(const QString& fileName);
// The file name a temporary stands for, or nothing for any other name.
std::optional<QString> fileNameOfStaged(const QString& stagedName);

}  // namespace pelmora
