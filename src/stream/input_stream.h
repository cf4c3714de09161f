// The input side of the byte streams: a reader that delivers the bytes of a source one at a time,
// tells positions and seeks back to them, in binary or text mode, with the same behaviour on every
// platform whatever its C library does.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tenmaru {

// Returned by a read at the end of the input; distinct from every byte value.
inline constexpr int END_OF_INPUT = -1;

// A position told by input_stream::tell(): the offset in the source of the next byte to be read.
using stream_pos = std::int64_t;

// Where the raw bytes come from. A source is read from front to back; a seekable one (a regular
// file, a buffer in memory) can also be put back to an earlier offset, so that the reader need not
// hold every byte a long lookahead passed over: it reads them again instead.
class byte_source {
 public:
  virtual ~byte_source() = default;
  // Reads up to `size` bytes into `into`; returns how many (0 at the end), or -1 on a read error.
  virtual std::ptrdiff_t read(unsigned char* into, std::size_t size) = 0;
  virtual bool seekable() const = 0;
  // Puts a seekable source at `offset` bytes from its start; false on failure.
  virtual bool seek(stream_pos offset) = 0;
};

enum class read_mode {
  binary,  // every byte as stored
  text,    // CR LF read as LF; a final run of Ctrl-Z is the old end-of-file mark and is dropped
};

class input_stream {
 public:
  static constexpr std::size_t DEFAULT_BLOCK_SIZE = 64 * 1024;

  explicit input_stream(byte_source& source, std::size_t block_size = DEFAULT_BLOCK_SIZE);

  input_stream(const input_stream&) = delete;
  input_stream& operator=(const input_stream&) = delete;

  // The mode applies from the next read on; positions told in either mode stay valid.
  void set_mode(read_mode mode);
  read_mode mode() const { return mode_; }

  // The next byte, or END_OF_INPUT. Bytes that need a decision (CR and Ctrl-Z in text mode, the
  // end of the buffered block) take the slow path.
  int read() {
    if (cursor_ < end_) {
      unsigned char c = buffer_[cursor_];
      if (!needs_care_[c]) {
        ++cursor_;
        return c;
      }
    }
    return read_with_care();
  }

  stream_pos tell() const { return base_ + static_cast<stream_pos>(cursor_); }

  // Goes back (or forward) to a position told earlier; the next read delivers the same byte
  // that followed it then.
  void seek(stream_pos pos) {
    if (pos >= base_ && pos <= base_ + static_cast<stream_pos>(end_)) {
      cursor_ = static_cast<std::size_t>(pos - base_);
      return;
    }
    seek_outside(pos);
  }

  // Promises that no seek will go back before the current position, so that the bytes before it
  // need not be kept. The scanner calls it at the start of every step and in loops that stream.
  void release() { anchor_ = tell(); }

  // For work on whole blocks: the bytes buffered from the cursor on, as stored (no text-mode
  // translation), reading a block when none are; `size` is 0 at the end of the input.
  const unsigned char* peek_raw(std::size_t& size) {
    if (cursor_ == end_) fill();
    size = end_ - cursor_;
    return buffer_.data() + cursor_;
  }
  // Passes over `size` bytes of what peek_raw() gave.
  void skip_raw(std::size_t size) { cursor_ += size; }

  // True after the source reported a read error; reading then ends as at the end of the input.
  bool failed() const { return failed_; }

  // Bytes held in memory now (for tests of the memory bound).
  std::size_t buffered_capacity() const { return buffer_.capacity(); }

 private:
  // A seekable source lets the reader drop what lies this far behind the cursor; it reads the
  // bytes again if a seek goes back there (reading a block again costs less than holding
  // megabytes for a rare long lookahead). A source that cannot seek keeps all from the anchor.
  static constexpr stream_pos MAX_LOOKBEHIND = 64 * 1024;

  static constexpr unsigned char CARRIAGE_RETURN = 0x0D;
  static constexpr unsigned char LINE_FEED = 0x0A;
  static constexpr unsigned char CTRL_Z = 0x1A;

  int read_with_care();
  void seek_outside(stream_pos pos);
  bool fill();
  void make_room();
  bool have_raw_at(std::size_t index);
  bool ctrl_z_run_reaches_end(stream_pos at);
  bool scan_source_for_end_of_ctrl_z_run(stream_pos from, stream_pos& run_end);

  byte_source& source_;
  std::size_t block_size_;
  read_mode mode_ = read_mode::binary;
  bool needs_care_[256] = {};

  std::vector<unsigned char> buffer_;  // raw bytes [base_, base_ + end_) of the source
  stream_pos base_ = 0;
  std::size_t cursor_ = 0;
  std::size_t end_ = 0;
  stream_pos anchor_ = 0;

  stream_pos source_pos_ = 0;   // where the source reads next
  stream_pos source_end_ = -1;  // the size of the source, once its end has been met
  stream_pos text_end_ = -1;    // text mode: where the final Ctrl-Z run begins, once known
  stream_pos ordinary_ctrl_z_until_ = 0;  // text mode: a Ctrl-Z before this is an ordinary byte
  bool failed_ = false;
};

}  // namespace tenmaru
