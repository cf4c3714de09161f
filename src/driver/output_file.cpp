#include "driver/output_file.h"

#include <random>

#include "platform/platform.h"

namespace tenmaru {

namespace {

constexpr const char* TEMPORARY_PREFIX = ".tenmaru-";
constexpr int TEMPORARY_ATTEMPTS = 100;

std::string random_suffix(std::mt19937& random) {
  static constexpr char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::uniform_int_distribution<int> pick(0, sizeof letters - 2);
  std::string suffix;
  for (int i = 0; i < 8; ++i) suffix += letters[pick(random)];
  return suffix;
}

// A file that exists must be writable now, as it would have to be to be written in place: a
// read-only or immutable file is refused, not silently replaced.
bool can_write_existing(const std::string& name) {
  std::FILE* probe = platform::open_file(name, "r+b");
  if (probe == nullptr) return false;
  std::fclose(probe);
  return true;
}

}  // namespace

bool output_file::open(const std::string& name) {
  switch (platform::kind_of(name)) {
    case platform::file_kind::directory: return false;
    case platform::file_kind::other:
      file_ = platform::open_file(name, "wb");
      return file_ != nullptr;
    case platform::file_kind::regular:
    case platform::file_kind::missing: break;
  }
  target_ = platform::resolve_links(name);
  if (platform::kind_of(target_) == platform::file_kind::regular && !can_write_existing(target_)) {
    return false;
  }
  // The temporary file is made in the target's own folder, so that moving it is a rename.
  const std::string folder = platform::folder_of(target_);
  std::mt19937 random(std::random_device{}());
  for (int attempt = 0; attempt < TEMPORARY_ATTEMPTS && file_ == nullptr; ++attempt) {
    temporary_ = folder + "/" + TEMPORARY_PREFIX + random_suffix(random);
    file_ = platform::create_new_file(temporary_);
    if (file_ == nullptr && platform::kind_of(temporary_) == platform::file_kind::missing) break;
  }
  if (file_ == nullptr) temporary_.clear();
  return file_ != nullptr;
}

bool output_file::commit() {
  std::FILE* file = file_;
  file_ = nullptr;
  const bool closed = file == nullptr || std::fclose(file) == 0;
  if (temporary_.empty()) return closed;
  if (closed && platform::replace_file(temporary_, target_)) {
    temporary_.clear();
    return true;
  }
  abandon();
  return false;
}

void output_file::abandon() {
  if (file_ != nullptr) {
    std::fclose(file_);
    file_ = nullptr;
  }
  if (!temporary_.empty()) {
    platform::remove_file(temporary_);
    temporary_.clear();
  }
}

}  // namespace tenmaru
