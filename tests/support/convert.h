// Conversions through the in-memory streams, as the tests and the fuzz target run them.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "scanner/scanner.h"

namespace tenmaru::test {

struct conversion {
  int style = DEFAULT_PUNCT_STYLE;
  read_mode mode = read_mode::binary;
  // The tables compare what the scanner writes, so by default no line end is translated.
  line_end_mode line_ends = line_end_mode::as_is;
  std::size_t block_size = input_stream::DEFAULT_BLOCK_SIZE;
  bool seekable = true;
  text_encoding encoding = text_encoding::shift_jis;
  bool keep_verbatim = false;
  bool keep_ellipsis = false;
};

std::string convert_bytes(std::string_view input, const conversion& how = {});

// The output, and the most the reader held in memory at once.
struct measured_conversion {
  std::string output;
  std::size_t reader_memory = 0;
  long long changes = 0;  // as told to the scanner's listener of changes
};
measured_conversion convert_measured(std::string_view input, const conversion& how = {});

// A row of a conversion table: the input and the expected output are written in UTF-8 and
// converted as Shift-JIS, unless the conversion itself is of UTF-8.
struct conversion_case {
  int style;
  std::string input;
  std::string expected;
};

// Converts each row with several reader block sizes and checks the output byte for byte; the
// options other than the style are taken from `how`.
void check_table(const std::vector<conversion_case>& cases, const conversion& how = {});

}  // namespace tenmaru::test
