#include "base/free_memory.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <memory>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define KORVANE_OWN_ALLOCATOR 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KORVANE_OWN_ALLOCATOR 1
#endif
#endif

namespace korvane {
namespace {

// The resident set of this process, in bytes, or -1 where /proc cannot tell it.
[[maybe_unused]] long long ResidentBytes() {
  std::ifstream statm("/proc/self/statm");
  long long size = 0;
  long long resident = 0;
  if (!(statm >> size >> resident))
    return -1;
  return resident * sysconf(_SC_PAGESIZE);
}

// Many small blocks freed below one still in use stay with the allocator (its heap cannot
// shrink past the live block); ReleaseFreeMemory gives their pages back.
TEST(FreeMemoryTest, FreedSmallBlocksBelowALiveOneGoBackToTheSystem) {
#if !defined(__GLIBC__) || defined(KORVANE_OWN_ALLOCATOR)
  GTEST_SKIP() << "only the GNU C library's allocator is known to keep such memory";
#else
  if (ResidentBytes() < 0)
    GTEST_SKIP() << "no /proc here";
  constexpr std::size_t kBlocks = 64 * 1024;
  constexpr std::size_t kBlockSize = 1024;  // far below any threshold for mapping blocks apart
  std::vector<std::unique_ptr<char[]>> blocks(kBlocks);
  for (auto& block : blocks) {
    block.reset(new char[kBlockSize]);
    std::memset(block.get(), 1, kBlockSize);
  }
  auto live = std::make_unique<char[]>(kBlockSize);  // above the freed ones in the heap
  std::memset(live.get(), 2, kBlockSize);
  blocks.clear();
  const long long before = ResidentBytes();
  ReleaseFreeMemory();
  const long long after = ResidentBytes();
  EXPECT_GT(before - after, static_cast<long long>(kBlocks * kBlockSize / 2))
      << "resident before " << before << ", after " << after;
  EXPECT_EQ(live[0], 2);
#endif
}

}  // namespace
}  // namespace korvane
