// A named output file that is never left half-written: a regular file (new or existing) is
// written to a temporary file beside it, which is moved over it only when everything has been
// written, flushed and closed; special files (a device, a FIFO) are written directly.
#pragma once

#include <cstdio>
#include <string>

namespace tenmaru {

class output_file {
 public:
  output_file() = default;
  output_file(const output_file&) = delete;
  output_file& operator=(const output_file&) = delete;
  ~output_file() { abandon(); }

  // Opens `name` for writing, or makes the temporary file that will replace it. False when the
  // target cannot be written (a folder, a missing folder, a file that cannot be replaced).
  bool open(const std::string& name);

  std::FILE* stream() const { return file_; }

  // Closes the file and, for a replacement, moves it over the target. False on any failure;
  // the target is then as it was, and the temporary file is gone.
  bool commit();

  // Closes the file and removes the temporary one, leaving the target as it was.
  void abandon();

 private:
  std::FILE* file_ = nullptr;
  std::string target_;     // the file to replace (symbolic links followed)
  std::string temporary_;  // empty when the target is written directly
};

}  // namespace tenmaru
