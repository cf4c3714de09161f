// The output side of the byte streams: a buffered writer that does the line-end translation of a
// text-mode output itself, the same on every platform.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace tenmaru {

// Where the written bytes go.
class byte_sink {
 public:
  virtual ~byte_sink() = default;
  // Writes all `size` bytes; false on a write error.
  virtual bool write(const unsigned char* bytes, std::size_t size) = 0;
  // Hands what was written on to the device; false on an error.
  virtual bool flush() { return true; }
};

enum class line_end_mode {
  crlf,                  // every LF is written as CR LF
  crlf_unless_after_cr,  // so too, except a LF that follows a CR: a stored CR LF stays CR LF
  as_is,                 // bytes are written as they are
};

class output_stream {
 public:
  static constexpr std::size_t DEFAULT_BLOCK_SIZE = 64 * 1024;

  explicit output_stream(byte_sink& sink, line_end_mode mode = line_end_mode::crlf,
                         std::size_t block_size = DEFAULT_BLOCK_SIZE);

  output_stream(const output_stream&) = delete;
  output_stream& operator=(const output_stream&) = delete;

  void put(int c) {
    if (c == LINE_FEED && mode_ != line_end_mode::as_is) {
      put_line_feed();
      return;
    }
    put_byte(static_cast<unsigned char>(c));
  }

  // Writes the bytes in order, with the same translation as put(). A few bytes (a mark, a short
  // command) go one by one, which costs less than looking for line feeds.
  void write(const unsigned char* bytes, std::size_t size) {
    constexpr std::size_t FEW = 8;
    if (size > FEW) {
      write_many(bytes, size);
      return;
    }
    for (std::size_t i = 0; i < size; ++i) put(bytes[i]);
  }
  void write(std::string_view text) {
    write(reinterpret_cast<const unsigned char*>(text.data()), text.size());
  }

  line_end_mode line_ends() const { return mode_; }

  // For a caller that copies into the buffer itself: the free part of the buffer, `room` bytes
  // long (at least a quarter of it: the buffer is written out first when less is free). The
  // bytes stored there are written when stored_up_to() is told where they end; they get no
  // translation.
  unsigned char* lend(std::size_t& room) {
    if (buffer_.size() - used_ < buffer_.size() / 4) write_block();
    room = buffer_.size() - used_;
    return buffer_.data() + used_;
  }
  void stored_up_to(unsigned char* end) {
    used_ = static_cast<std::size_t>(end - buffer_.data());
    if (used_ == buffer_.size()) write_block();
  }
  unsigned char last_byte() const { return used_ > 0 ? buffer_[used_ - 1] : last_written_; }

  // Writes out what is buffered and flushes the sink; false if any write so far failed.
  bool flush();
  bool failed() const { return failed_; }

 private:
  static constexpr unsigned char CARRIAGE_RETURN = 0x0D;
  static constexpr unsigned char LINE_FEED = 0x0A;

  void put_byte(unsigned char c) {
    buffer_[used_++] = c;
    if (used_ == buffer_.size()) write_block();
  }
  void put_line_feed();
  void write_many(const unsigned char* bytes, std::size_t size);
  void append(const unsigned char* bytes, std::size_t size);
  void write_block();

  byte_sink& sink_;
  line_end_mode mode_;
  std::vector<unsigned char> buffer_;
  std::size_t used_ = 0;
  unsigned char last_written_ = 0;  // the last byte handed to the sink, for put_line_feed()
  bool failed_ = false;
};

}  // namespace tenmaru
