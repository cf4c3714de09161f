// Byte streams over C files, and over bytes in memory (for conversions that write nothing to disk,
// and for tests).
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "stream/input_stream.h"
#include "stream/output_stream.h"

namespace tenmaru {

// Reads a C file opened in binary mode; the reader does any text-mode translation itself.
class file_source final : public byte_source {
 public:
  // The reader buffers by blocks itself, so the C file's own buffer is switched off.
  file_source(std::FILE* file, bool seekable) : file_(file), seekable_(seekable) {
    std::setvbuf(file_, nullptr, _IONBF, 0);
  }
  std::ptrdiff_t read(unsigned char* into, std::size_t size) override;
  bool seekable() const override { return seekable_; }
  bool seek(stream_pos offset) override;

 private:
  std::FILE* file_;
  bool seekable_;
};

// Writes to a C file opened in binary mode (or to standard output put into binary mode).
class file_sink final : public byte_sink {
 public:
  // The writer buffers by blocks itself, so the C file's own buffer is switched off: each block
  // is one write.
  explicit file_sink(std::FILE* file) : file_(file) { std::setvbuf(file_, nullptr, _IONBF, 0); }
  bool write(const unsigned char* bytes, std::size_t size) override;
  bool flush() override;

 private:
  std::FILE* file_;
};

class memory_source final : public byte_source {
 public:
  // `chunk` bounds what one read returns, as a pipe may return less than was asked for.
  explicit memory_source(std::string_view bytes, bool seekable = true,
                         std::size_t chunk = static_cast<std::size_t>(-1))
      : bytes_(bytes), seekable_(seekable), chunk_(chunk) {}
  std::ptrdiff_t read(unsigned char* into, std::size_t size) override;
  bool seekable() const override { return seekable_; }
  bool seek(stream_pos offset) override;

 private:
  std::string_view bytes_;
  std::size_t next_ = 0;
  bool seekable_;
  std::size_t chunk_;
};

class memory_sink final : public byte_sink {
 public:
  bool write(const unsigned char* bytes, std::size_t size) override {
    text.append(reinterpret_cast<const char*>(bytes), size);
    return true;
  }
  std::string text;
};

}  // namespace tenmaru
