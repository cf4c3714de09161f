// What must hold for every conversion of every input, checked by the fuzz target and, over the
// seed corpus, by the unit tests.
#pragma once

#include <string>
#include <string_view>

namespace tenmaru::test {

// The first byte chooses the style (its two low bits) and the reading mode (its third bit); the
// rest is the input. Returns what failed, or an empty string when every property holds.
std::string check_properties(std::string_view data);

}  // namespace tenmaru::test
