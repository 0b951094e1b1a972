// Which lines of a division grid are drawn: more lines than a picture can tell
// apart are thinned out.
#pragma once

#include <algorithm>
#include <cmath>
#include <vector>

namespace pelmora {

// The numbers i = 1, 2, … while i ≤ `count`. Beyond `limit` lines only every
// step-th one and the last are kept.
inline std::vector<double> gridLineNumbers(double count, double limit) {
  std::vector<double> numbers;
  const double last = std::floor(count);
  if (!(last >= 1)) return numbers;
  const double step = last <= limit ? 1 : std::ceil(last / std::max(limit, 1.0));
  for (double i = step; i <= last; i += step) numbers.push_back(i);
  if (std::fmod(last, step) != 0) numbers.push_back(last);
  return numbers;
}

}  // namespace pelmora
