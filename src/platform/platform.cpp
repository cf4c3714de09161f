#include "platform/platform.h"

#include <csignal>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#endif

namespace tenmaru::platform {

namespace fs = std::filesystem;

namespace {

fs::path path_of(const std::string& name) { return fs::path(name); }

}  // namespace

void prepare_standard_streams() {
#ifdef _WIN32
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
#endif
#ifdef SIGPIPE
  std::signal(SIGPIPE, SIG_IGN);
#endif
}

std::FILE* open_file(const std::string& name, const char* mode) {
  return std::fopen(name.c_str(), mode);
}

bool seek_file(std::FILE* file, std::int64_t offset) {
#ifdef _WIN32
  return _fseeki64(file, offset, SEEK_SET) == 0;
#else
  return std::fseek(file, static_cast<long>(offset), SEEK_SET) == 0;
#endif
}

file_kind kind_of(const std::string& name) {
  std::error_code ec;
  const fs::file_status status = fs::status(path_of(name), ec);
  switch (status.type()) {
    case fs::file_type::not_found: return file_kind::missing;
    case fs::file_type::regular: return file_kind::regular;
    case fs::file_type::directory: return file_kind::directory;
    default: return ec ? file_kind::missing : file_kind::other;
  }
}

bool is_directory(const std::string& name) {
  std::error_code ec;
  return fs::is_directory(path_of(name), ec);
}

bool is_regular_file(const std::string& name) {
  std::error_code ec;
  return fs::is_regular_file(path_of(name), ec);
}

std::string resolve_links(const std::string& name) {
  std::error_code ec;
  fs::path path = path_of(name);
  // A bounded walk: a loop of links ends it, and the name is then used as it is.
  for (int hops = 0; hops < 40 && fs::is_symlink(path, ec); ++hops) {
    const fs::path target = fs::read_symlink(path, ec);
    if (ec) break;
    path = target.is_absolute() ? target : path.parent_path() / target;
  }
  return path.string();
}

std::string folder_of(const std::string& name) {
  const fs::path folder = path_of(name).parent_path();
  return folder.empty() ? std::string(".") : folder.string();
}

std::FILE* create_new_file(const std::string& name) {
#ifdef _WIN32
  const int fd =
      _open(name.c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY, _S_IREAD | _S_IWRITE);
  if (fd < 0) return nullptr;
  std::FILE* file = _fdopen(fd, "wb");
  if (file == nullptr) _close(fd);
  return file;
#else
  return std::fopen(name.c_str(), "wbx");
#endif
}

bool replace_file(const std::string& from, const std::string& to) {
  std::error_code ec;
  const fs::file_status old = fs::status(path_of(to), ec);
  if (!ec && fs::exists(old)) {
    fs::permissions(path_of(from), old.permissions(), ec);
    if (ec) return false;
  }
  fs::rename(path_of(from), path_of(to), ec);
  return !ec;
}

bool remove_file(const std::string& name) {
  std::error_code ec;
  return fs::remove(path_of(name), ec) && !ec;
}

bool same_file(const std::string& a, const std::string& b) {
  std::error_code ec;
  const bool same = fs::equivalent(path_of(a), path_of(b), ec);
  return !ec && same;
}

}  // namespace tenmaru::platform
