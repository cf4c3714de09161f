#include <gtest/gtest.h>

#include "support/convert.h"
#include "support/sjis.h"

namespace tenmaru::test {

void check_table(const std::vector<conversion_case>& cases, const conversion& options) {
  for (const auto& c : cases) {
    const bool utf8 = options.encoding == text_encoding::utf8;
    const std::string input = utf8 ? c.input : sjis(c.input);
    const std::string expected = utf8 ? c.expected : sjis(c.expected);
    for (std::size_t block : {1, 2, 3, 7, 4096}) {
      conversion how = options;
      how.style = c.style;
      how.block_size = block;
      const std::string got = convert_bytes(input, how);
      ASSERT_EQ(got, expected) << "style " << c.style << " block " << block << "\n  input    "
                               << readable(input) << "\n  got      " << readable(got)
                               << "\n  expected " << readable(expected);
    }
  }
}

}  // namespace tenmaru::test
