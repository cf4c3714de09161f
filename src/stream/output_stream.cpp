#include "stream/output_stream.h"

#include <algorithm>
#include <cstring>

namespace tenmaru {

output_stream::output_stream(byte_sink& sink, line_end_mode mode, std::size_t block_size)
    : sink_(sink), mode_(mode), buffer_(std::max<std::size_t>(block_size, 2)) {}

void output_stream::put_line_feed() {
  if (mode_ == line_end_mode::crlf || last_byte() != CARRIAGE_RETURN) put_byte(CARRIAGE_RETURN);
  put_byte(LINE_FEED);
}

void output_stream::append(const unsigned char* bytes, std::size_t size) {
  while (size > 0) {
    const std::size_t n = std::min(size, buffer_.size() - used_);
    std::memcpy(buffer_.data() + used_, bytes, n);
    used_ += n;
    bytes += n;
    size -= n;
    if (used_ == buffer_.size()) write_block();
  }
}

// Copies the bytes between line feeds in pieces.
void output_stream::write_many(const unsigned char* bytes, std::size_t size) {
  if (mode_ == line_end_mode::as_is) {
    append(bytes, size);
    return;
  }
  while (size > 0) {
    const auto* lf = static_cast<const unsigned char*>(std::memchr(bytes, LINE_FEED, size));
    const std::size_t n = lf == nullptr ? size : static_cast<std::size_t>(lf - bytes);
    append(bytes, n);
    if (lf == nullptr) return;
    put_line_feed();
    bytes += n + 1;
    size -= n + 1;
  }
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
