// What differs between Windows and the other platforms, in one place.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace tenmaru::platform {

// Makes standard output and standard error write bytes as they are, so that the program's own
// line-end translation is the only one, and lets a write to a closed pipe fail as an error
// instead of ending the process unannounced.
void prepare_standard_streams();

// Opens a file by the name given on the command line; modes as for std::fopen.
std::FILE* open_file(const std::string& name, const char* mode);

// Puts a file at `offset` bytes from its start, with 64-bit offsets everywhere.
bool seek_file(std::FILE* file, std::int64_t offset);

enum class file_kind { missing, regular, directory, other };

// What the name leads to, following symbolic links ("other": a device, a FIFO, a socket).
file_kind kind_of(const std::string& name);

bool is_directory(const std::string& name);
bool is_regular_file(const std::string& name);

// The name of the file that `name` leads to through symbolic links (itself when it is none).
std::string resolve_links(const std::string& name);

// The folder part of a name ("." for a bare file name).
std::string folder_of(const std::string& name);

// Creates a file that did not exist, for writing in binary mode; null when it exists already
// or cannot be made.
std::FILE* create_new_file(const std::string& name);

// Moves `from` over `to`, which then has the permission bits `to` had (when it existed).
bool replace_file(const std::string& from, const std::string& to);

bool remove_file(const std::string& name);

// True when both names lead to one existing file (another spelling, a symbolic or a hard link).
bool same_file(const std::string& a, const std::string& b);

}  // namespace tenmaru::platform
