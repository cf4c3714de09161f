#include "driver/check_report.h"

namespace tenmaru {

bool location_sink::write(const unsigned char* bytes, std::size_t size) {
  for (std::size_t i = 0; i < size; ++i) {
    const unsigned char c = bytes[i];
    if (c == '\n') {
      ++line_;
      column_ = 1;
      second_byte_next_ = false;
    } else if (encoding_ == text_encoding::utf8) {
      if (!is_utf8_continuation(c)) ++column_;
    } else if (second_byte_next_) {
      second_byte_next_ = false;
    } else {
      ++column_;
      second_byte_next_ = is_lead_byte(c);
    }
  }
  return true;
}

std::string check_report::name_of(int mark) const {
  if (mark == ASCII_COMMA_MARK) return "ASCII ,";
  if (mark == ASCII_FULL_STOP_MARK) return "ASCII .";
  const encoded_mark& bytes = mark_bytes(encoding_, static_cast<mark_kind>(mark));
  return std::string(reinterpret_cast<const char*>(bytes.bytes), bytes.size);
}

void check_report::mark_replaced(output_stream& out, int from, mark_kind to) {
  print(out, name_of(from) + " -> " + name_of(to));
}

void check_report::blanks_removed(output_stream& out, long long count, bool before, int mark) {
  print(out, "removed " + std::to_string(count) + (count == 1 ? " blank " : " blanks ") +
                 (before ? "before " : "after ") + name_of(mark));
  removed_ += count;
}

void check_report::print(output_stream& out, const std::string& what) {
  out.flush();  // the location sink then knows where the change is
  if (where_.line() != removed_line_) {
    removed_line_ = where_.line();
    removed_ = 0;
  }
  const std::string line = file_ + ":" + std::to_string(where_.line()) + ":" +
                           std::to_string(where_.column() + removed_) + ": " + what + "\n";
  std::fputs(line.c_str(), to_);
  ++count_;
}

}  // namespace tenmaru
