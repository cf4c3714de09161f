#include "fuzz/properties.h"

#include "support/convert.h"

namespace tenmaru::test {

namespace {

constexpr unsigned char CTRL_Z = 0x1A;

// An input with no comma or full stop (ASCII, or a mark of its encoding at any offset), no
// space and no tab has nothing to convert.
bool has_nothing_to_convert(std::string_view input, text_encoding encoding) {
  const std::size_t mark_size = mark_bytes(encoding, IDEOGRAPHIC_COMMA).size;
  for (std::size_t i = 0; i < input.size(); ++i) {
    const auto c = static_cast<unsigned char>(input[i]);
    if (c == ',' || c == '.' || c == ' ' || c == '\t') return false;
    if (i + mark_size <= input.size() &&
        find_mark(encoding, reinterpret_cast<const unsigned char*>(input.data() + i), mark_size) >=
            0) {
      return false;
    }
  }
  return true;
}

// What text-mode reading delivers: CR LF as LF, without a final run of Ctrl-Z.
std::string read_as_text(std::string_view stored) {
  std::size_t end = stored.size();
  while (end > 0 && static_cast<unsigned char>(stored[end - 1]) == CTRL_Z) --end;
  std::string text;
  for (std::size_t i = 0; i < end; ++i) {
    if (stored[i] == '\r' && i + 1 < end && stored[i + 1] == '\n') continue;
    text += stored[i];
  }
  return text;
}

}  // namespace

std::string check_properties(std::string_view data) {
  if (data.empty()) return {};
  const auto options = static_cast<unsigned char>(data[0]);
  const std::string_view input = data.substr(1);
  conversion how;
  how.style = 1 + (options & 3);
  how.mode = (options & 4) ? read_mode::text : read_mode::binary;
  how.keep_verbatim = (options & 8) != 0;
  how.keep_ellipsis = (options & 16) != 0;
  how.encoding = (options & 32) ? text_encoding::utf8 : text_encoding::shift_jis;

  const measured_conversion first = convert_measured(input, how);
  const std::string& reference = first.output;
  const std::string as_read = how.mode == read_mode::text ? read_as_text(input) : std::string(input);
  if ((first.changes == 0) != (reference == as_read)) {
    return "the changes told do not match the output";
  }
  if (convert_bytes(input, how) != reference) return "a second conversion differs";

  for (std::size_t block : {1, 2, 3, 7}) {
    conversion small = how;
    small.block_size = block;
    small.seekable = (block % 2) == 1;
    if (convert_bytes(input, small) != reference) {
      return "block size " + std::to_string(block) + " gives other bytes";
    }
  }

  if (has_nothing_to_convert(input, how.encoding)) {
    if (reference != as_read) return "an input with nothing to convert changed";
  }
  return {};
}

}  // namespace tenmaru::test
