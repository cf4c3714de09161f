#include "stream/input_stream.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <cstring>

namespace tenmaru {

input_stream::input_stream(byte_source& source, std::size_t block_size)
    : source_(source), block_size_(std::max<std::size_t>(block_size, 1)) {
  buffer_.resize(2 * block_size_);
}

void input_stream::set_mode(read_mode mode) {
  mode_ = mode;
  needs_care_[CARRIAGE_RETURN] = needs_care_[CTRL_Z] = (mode == read_mode::text);
}

int input_stream::read_with_care() {
  if (cursor_ == end_ && !fill()) return END_OF_INPUT;
  unsigned char c = buffer_[cursor_];
  if (mode_ == read_mode::text) {
    if (c == CARRIAGE_RETURN) {
      if (have_raw_at(cursor_ + 1) && buffer_[cursor_ + 1] == LINE_FEED) {
        cursor_ += 2;
        return LINE_FEED;
      }
    } else if (c == CTRL_Z && ctrl_z_run_reaches_end(tell())) {
      return END_OF_INPUT;
    }
  }
  ++cursor_;
  return c;
}

void input_stream::seek_outside(stream_pos pos) {
  // The bytes there were dropped. A seekable source reads them again; a source that cannot seek
  // kept everything from the anchor, so only a seek before the anchor (a broken promise) gets here.
  assert(source_.seekable());
  if (!source_.seekable()) {
    failed_ = true;
    cursor_ = end_;
    return;
  }
  base_ = pos;
  cursor_ = end_ = 0;
}

// Reads the next block of the source behind the buffered bytes; false at the end of the source
// or after a read error.
bool input_stream::fill() {
  if (failed_) return false;
  const stream_pos wanted = base_ + static_cast<stream_pos>(end_);
  if (source_end_ >= 0 && wanted >= source_end_) return false;
  make_room();
  if (source_pos_ != wanted) {
    if (!source_.seekable() || !source_.seek(wanted)) {
      failed_ = true;
      return false;
    }
    source_pos_ = wanted;
  }
  const std::ptrdiff_t got = source_.read(buffer_.data() + end_, block_size_);
  if (got < 0) {
    failed_ = true;
    return false;
  }
  if (got == 0) {
    source_end_ = wanted;
    return false;
  }
  end_ += static_cast<std::size_t>(got);
  source_pos_ += got;
  return true;
}

// Makes space for one more block. Bytes before the anchor (and before the cursor) are dropped
// when that frees at least as much as it moves, so that the moving costs amortised constant time
// per byte; otherwise the buffer grows. A seekable source never keeps more than MAX_LOOKBEHIND
// behind the cursor: what a seek needs from further back is read again.
void input_stream::make_room() {
  if (buffer_.size() - end_ >= block_size_) return;
  const stream_pos here = tell();
  stream_pos keep = std::max(std::min(anchor_, here), base_);
  if (source_.seekable() && here - keep > MAX_LOOKBEHIND) keep = here;
  const auto drop = static_cast<std::size_t>(keep - base_);
  const std::size_t kept = end_ - drop;
  if (drop > 0 && drop >= kept) {
    std::memmove(buffer_.data(), buffer_.data() + drop, kept);
    base_ = keep;
    cursor_ -= drop;
    end_ = kept;
  }
  if (buffer_.size() - end_ < block_size_) {
    buffer_.resize(std::max(2 * buffer_.size(), end_ + block_size_));
  }
}

bool input_stream::have_raw_at(std::size_t index) {
  const std::size_t ahead = index - cursor_;
  while (cursor_ + ahead >= end_) {
    if (!fill()) return false;
  }
  return true;
}

// Text mode: a Ctrl-Z is the old end-of-file mark only when nothing but more Ctrl-Z bytes follow
// it to the end of the source. Both answers are remembered, so a long run is looked at once.
bool input_stream::ctrl_z_run_reaches_end(stream_pos at) {
  if (text_end_ >= 0 && at >= text_end_) return true;
  if (at < ordinary_ctrl_z_until_) return false;
  std::size_t i = static_cast<std::size_t>(at - base_);
  for (;;) {
    while (i < end_ && buffer_[i] == CTRL_Z) ++i;
    if (i < end_) {
      ordinary_ctrl_z_until_ = base_ + static_cast<stream_pos>(i);
      return false;
    }
    if (source_.seekable()) {
      stream_pos run_end = 0;
      if (scan_source_for_end_of_ctrl_z_run(base_ + static_cast<stream_pos>(end_), run_end)) {
        ordinary_ctrl_z_until_ = run_end;
        return false;
      }
      break;
    }
    // A source that cannot seek keeps the run in the buffer until its end is seen.
    const std::size_t ahead = i - cursor_;
    if (!fill()) break;
    i = cursor_ + ahead;
  }
  text_end_ = at;
  return true;
}

// Reads a seekable source from `from` on, past the buffered bytes, without keeping what it reads.
// True with `run_end` at the first byte that is not a Ctrl-Z; false at the end of the source.
bool input_stream::scan_source_for_end_of_ctrl_z_run(stream_pos from, stream_pos& run_end) {
  if (source_end_ >= 0 && from >= source_end_) return false;
  if (source_pos_ != from) {
    if (!source_.seek(from)) {
      failed_ = true;
      return false;
    }
    source_pos_ = from;
  }
  std::array<unsigned char, 4096> scratch{};
  for (;;) {
    const std::ptrdiff_t got = source_.read(scratch.data(), scratch.size());
    if (got <= 0) {
      if (got < 0)
        failed_ = true;
      else
        source_end_ = source_pos_;
      return false;
    }
    const auto* found = std::find_if(scratch.data(), scratch.data() + got,
                                     [](unsigned char b) { return b != CTRL_Z; });
    if (found != scratch.data() + got) {
      run_end = source_pos_ + (found - scratch.data());
      source_pos_ += got;
      return true;
    }
    source_pos_ += got;
  }
}

}  // namespace tenmaru
