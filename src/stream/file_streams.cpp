#include "stream/file_streams.h"

#include <algorithm>
#include <cstring>

#include "platform/platform.h"

namespace tenmaru {

std::ptrdiff_t file_source::read(unsigned char* into, std::size_t size) {
  const std::size_t got = std::fread(into, 1, size, file_);
  if (got == 0 && std::ferror(file_)) return -1;
  return static_cast<std::ptrdiff_t>(got);
}

bool file_source::seek(stream_pos offset) {
  return seekable_ && platform::seek_file(file_, offset);
}

bool file_sink::write(const unsigned char* bytes, std::size_t size) {
  return std::fwrite(bytes, 1, size, file_) == size;
}

bool file_sink::flush() { return std::fflush(file_) == 0 && !std::ferror(file_); }

std::ptrdiff_t memory_source::read(unsigned char* into, std::size_t size) {
  const std::size_t n = std::min({size, chunk_, bytes_.size() - next_});
  if (n > 0) std::memcpy(into, bytes_.data() + next_, n);
  next_ += n;
  return static_cast<std::ptrdiff_t>(n);
}

bool memory_source::seek(stream_pos offset) {
  if (!seekable_ || offset < 0 || static_cast<std::size_t>(offset) > bytes_.size()) return false;
  next_ = static_cast<std::size_t>(offset);
  return true;
}

}  // namespace tenmaru
