#include "platform/platform.h"

#include <csignal>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
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

bool is_directory(const std::string& name) {
  std::error_code ec;
  return fs::is_directory(path_of(name), ec);
}

bool is_regular_file(const std::string& name) {
  std::error_code ec;
  return fs::is_regular_file(path_of(name), ec);
}

bool same_file(const std::string& a, const std::string& b) {
  std::error_code ec;
  const bool same = fs::equivalent(path_of(a), path_of(b), ec);
  return !ec && same;
}

}  // namespace tenmaru::platform
