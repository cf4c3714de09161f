// Test helpers for writing Japanese text readably: tables are written in UTF-8 and encoded to
// Shift-JIS (CP932) here; failures show Shift-JIS bytes as UTF-8 again.
#pragma once

#include <string>
#include <string_view>

namespace tenmaru::test {

// UTF-8 to Shift-JIS; aborts the test program on text that has no Shift-JIS form.
std::string sjis(std::string_view utf8);

// Shift-JIS (CP932) to UTF-8; aborts the test program on bytes that do not convert.
std::string utf8_of_sjis(std::string_view sjis_text);

// Shift-JIS bytes shown for a failure message: valid text as UTF-8, every other byte as \xHH,
// and CR, LF and tab spelled out.
std::string readable(std::string_view bytes);

}  // namespace tenmaru::test
