// Slots of one size: never overlapping, whether several share a chunk or one
// needs more than a chunk, and handed out again last-released first.
#include "raster/huge_page_slots.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>

namespace pelmora {
namespace {

TEST(HugePageSlots, SlotsDoNotOverlapAndComeBackLastReleasedFirst) {
  for (const std::size_t bytes : {std::size_t(1000), std::size_t(700) << 10, std::size_t(5) << 20}) {
    HugePageSlots pool(bytes);
    std::vector<std::uint8_t*> held;
    for (int i = 0; i < 7; ++i) {
      held.push_back(pool.acquire());
      std::memset(held.back(), i + 1, bytes);
    }
    for (int i = 0; i < 7; ++i) {
      const std::uint8_t* slot = held[std::size_t(i)];
      ASSERT_EQ(slot[0], i + 1) << bytes;
      ASSERT_EQ(slot[bytes - 1], i + 1) << bytes;
    }
    EXPECT_EQ(std::set<std::uint8_t*>(held.begin(), held.end()).size(), held.size());

    pool.release(held[2]);
    pool.release(held[5]);
    EXPECT_EQ(pool.acquire(), held[5]);
    EXPECT_EQ(pool.acquire(), held[2]);
  }
}

}  // namespace
}  // namespace pelmora
