#include "stream/output_stream.h"

#include <algorithm>

namespace tenmaru {

output_stream::output_stream(byte_sink& sink, line_end_mode mode, std::size_t block_size)
    : sink_(sink), mode_(mode), buffer_(std::max<std::size_t>(block_size, 2)) {}

void output_stream::put_line_feed() {
  if (mode_ == line_end_mode::crlf_unless_after_cr) {
    const unsigned char previous = used_ > 0 ? buffer_[used_ - 1] : last_written_;
    if (previous != CARRIAGE_RETURN) put_byte(CARRIAGE_RETURN);
  } else {
    put_byte(CARRIAGE_RETURN);
  }
  put_byte(LINE_FEED);
}

void output_stream::write(const unsigned char* bytes, std::size_t size) {
  for (std::size_t i = 0; i < size; ++i) put(bytes[i]);
}

void output_stream::write_block() {
  if (used_ == 0) return;
  last_written_ = buffer_[used_ - 1];
  // After a failure the rest is dropped: the run is lost anyway, and the error is reported once.
  if (!failed_ && !sink_.write(buffer_.data(), used_)) failed_ = true;
  used_ = 0;
}

bool output_stream::flush() {
  write_block();
  if (!failed_ && !sink_.flush()) failed_ = true;
  return !failed_;
}

}  // namespace tenmaru
