#include "platform/platform.h"

#include <csignal>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

namespace tenmaru::platform {

namespace fs = std::filesystem;

namespace {

#ifdef _WIN32
// A name from the command line is in the ANSI code page (Shift-JIS on Japanese Windows), as are
// the names that fopen and _open take. std::filesystem must get it in UTF-16: its own conversion
// of a narrow name takes each byte for a character, so that the second byte of 表 (0x95 0x5C)
// would be a backslash.
std::wstring wide_of(const std::string& name) {
  if (name.empty()) return std::wstring();
  const int size = static_cast<int>(name.size());
  const int length = MultiByteToWideChar(CP_ACP, 0, name.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, name.data(), size, wide.data(), length);
  return wide;
}

// A UTF-16 name in the ANSI code page; empty when some character of it has no place there.
std::string narrow_of(const std::wstring& wide) {
  if (wide.empty()) return std::string();
  const int size = static_cast<int>(wide.size());
  BOOL lossy = FALSE;
  const int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), size, nullptr,
                                         0, nullptr, &lossy);
  std::string name(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), size, name.data(), length, nullptr,
                      &lossy);
  return lossy ? std::string() : name;
}

fs::path path_of(const std::string& name) { return fs::path(wide_of(name)); }
std::string name_of(const fs::path& path) { return narrow_of(path.native()); }

// What a Win32 call that says how long its buffer must be writes there; empty when it fails.
template <class Call>
std::wstring filled_by(Call call) {
  std::wstring text(MAX_PATH, L'\0');
  DWORD length = call(text.data(), static_cast<DWORD>(text.size()));
  if (length >= text.size()) {
    text.resize(length);
    length = call(text.data(), static_cast<DWORD>(text.size()));
  }
  if (length == 0 || length >= text.size()) return std::wstring();
  text.resize(length);
  return text;
}

// Windows takes NUL, CON, COM1 and the other reserved names (in any folder) for devices, and
// names them in the device namespace \\.\ as it makes the full path.
bool is_device(const std::string& name) {
  const std::wstring wide = wide_of(name);
  const std::wstring full = filled_by([&wide](wchar_t* buffer, DWORD size) {
    return GetFullPathNameW(wide.c_str(), size, buffer, nullptr);
  });
  return full.compare(0, 4, LR"(\\.\)") == 0;
}

// The name of the file that opening `name` reaches, through symbolic links and junctions;
// empty when there is none.
std::string final_name_of(const std::string& name) {
  const HANDLE file =
      CreateFileW(wide_of(name).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::string();
  std::wstring final = filled_by([file](wchar_t* buffer, DWORD size) {
    return GetFinalPathNameByHandleW(file, buffer, size, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  });
  CloseHandle(file);
  // \\?\C:\a.tex is C:\a.tex and \\?\UNC\server\share\a.tex is \\server\share\a.tex: names in
  // which a slash still separates folders, as in the name of the temporary file.
  if (final.compare(0, 8, LR"(\\?\UNC\)") == 0) {
    final.erase(2, 6);
  } else if (final.compare(0, 4, LR"(\\?\)") == 0) {
    final.erase(0, 4);
  }
  return narrow_of(final);
}
#else
fs::path path_of(const std::string& name) { return fs::path(name); }
std::string name_of(const fs::path& path) { return path.string(); }
#endif

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
#ifdef _WIN32
  if (is_device(name)) return file_kind::other;
#endif
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
#ifdef _WIN32
  // Windows follows the links itself when it opens a file and tells where it arrived.
  const std::string final = final_name_of(name);
  return final.empty() ? name : final;
#else
  std::error_code ec;
  fs::path path = path_of(name);
  // A bounded walk: a loop of links ends it, and the name is then used as it is.
  for (int hops = 0; hops < 40 && fs::is_symlink(path, ec); ++hops) {
    const fs::path target = fs::read_symlink(path, ec);
    if (ec) break;
    path = target.is_absolute() ? target : path.parent_path() / target;
  }
  return path.string();
#endif
}

std::string folder_of(const std::string& name) {
  const fs::path folder = path_of(name).parent_path();
  return folder.empty() ? std::string(".") : name_of(folder);
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
#ifdef _WIN32
  // A file closed a moment ago may still be held open by another program (a virus scanner, an
  // indexer), and Windows refuses the move meanwhile: try again a few times before giving up.
  constexpr int MOVE_ATTEMPTS = 10;
  constexpr DWORD MOVE_PAUSE_MS = 50;
  for (int attempt = 1; attempt < MOVE_ATTEMPTS && ec; ++attempt) {
    Sleep(MOVE_PAUSE_MS);
    ec.clear();
    fs::rename(path_of(from), path_of(to), ec);
  }
#endif
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
