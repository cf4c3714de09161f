// What must hold for every conversion of every input, checked by the fuzz target and, over the
// seed corpus, by the unit tests.
#pragma once

#include <string>
#include <string_view>

namespace tenmaru::test {

// The first byte chooses the style (bits 0 and 1), the reading mode (bit 2), keep_verbatim
// (bit 3), keep_ellipsis (bit 4) and UTF-8 (bit 5); the rest is the input. Returns what failed, or
// an empty string when every property holds.
std::string check_properties(std::string_view data);

}  // namespace tenmaru::test
