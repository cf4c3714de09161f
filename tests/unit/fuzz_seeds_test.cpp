// The fuzz target's properties over its seed corpus (and the findings kept there), in every build.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "fuzz/properties.h"

namespace tenmaru::test {
namespace {

TEST(FuzzSeeds, EveryPropertyHoldsForEverySeed) {
  int seeds = 0;
  for (const auto& entry : std::filesystem::directory_iterator(TENMARU_FUZZ_SEEDS)) {
    std::ifstream file(entry.path(), std::ios::binary);
    const std::string data((std::istreambuf_iterator<char>(file)),
                           std::istreambuf_iterator<char>());
    EXPECT_EQ(check_properties(data), "") << entry.path().filename();
    ++seeds;
  }
  EXPECT_GE(seeds, 10);
}

}  // namespace
}  // namespace tenmaru::test
