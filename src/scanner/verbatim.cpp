// Code kept as code: with keep_verbatim, the bodies of verbatim environments and the delimited
// arguments of \verb, \verb* and \lstinline are copied byte for byte. Characters are read whole,
// so a second byte never ends an argument or starts an \end.
#include <string>
#include <string_view>

#include "scanner/scanner.h"

namespace tenmaru {

namespace {

constexpr const char* verbatim_environments[] = {
    "verbatim",  "verbatim*",  "Verbatim", "Verbatim*", "BVerbatim",
    "LVerbatim", "lstlisting", "minted",   "comment",   nullptr,
};

constexpr const char* verbatim_commands[] = {"verb", "lstinline", nullptr};

constexpr int LINE_FEED = 0x0A;

// One character: a byte, or a lead byte with its second byte.
struct character {
  int first = END_OF_INPUT;
  int second = END_OF_INPUT;
  bool operator==(const character&) const = default;
};

character read_character(const scanner& s, input_stream& in) {
  character ch;
  ch.first = in.read();
  if (takes_second_byte(s, ch.first)) ch.second = in.read();
  return ch;
}

void write_character(output_stream& out, const character& ch) {
  out.put(ch.first);
  if (ch.second != END_OF_INPUT) out.put(ch.second);
}

// Copies the rest of an optional [...] group of \lstinline, whose '[' was written.
void copy_bracket_group(const scanner& s, input_stream& in, output_stream& out) {
  int depth = 1;
  while (depth > 0) {
    in.release();
    const character ch = read_character(s, in);
    if (ch.first == END_OF_INPUT) return;
    write_character(out, ch);
    if (ch.first == '[') ++depth;
    if (ch.first == ']') --depth;
  }
}

}  // namespace

const char* verbatim_environment(std::string_view name) {
  for (const char* const* entry = verbatim_environments; *entry != nullptr; ++entry) {
    if (name == *entry) return *entry;
  }
  return nullptr;
}

int is_verbatim_command(std::string_view name) {
  for (const char* const* entry = verbatim_commands; *entry != nullptr; ++entry) {
    if (name == *entry) return 1;
  }
  return 0;
}

// From the end of \begin{NAME} up to and including the exact text \end{NAME}, or to the end of
// the input. The text to find begins with its only backslash, so a failed partial match can only
// start again at a backslash.
int copy_verbatim_body(scanner& s, input_stream& in, output_stream& out, std::string_view name) {
  const std::string end = "\\end{" + std::string(name) + "}";
  std::size_t matched = 0;
  while (matched < end.size()) {
    in.release();
    const character ch = read_character(s, in);
    if (ch.first == END_OF_INPUT) return 0;
    write_character(out, ch);
    if (ch.second == END_OF_INPUT && ch.first == static_cast<unsigned char>(end[matched])) {
      ++matched;
    } else {
      matched = (ch.second == END_OF_INPUT && ch.first == '\\') ? 1 : 0;
    }
  }
  return 0;
}

// The name is in the command text; the byte after it is the delimiter (after a '*' for \verb*;
// \lstinline may have an optional [...] group first and also takes {...} as the pair). The
// argument runs to the next delimiter on the same line, or to the end of the line.
int copy_verbatim_argument(scanner& s, input_stream& in, output_stream& out,
                           std::string_view command) {
  s.command_buffer.write_out();
  character open = read_character(s, in);
  if (command == "verb" && open.first == '*') {
    write_character(out, open);
    open = read_character(s, in);
  }
  if (command == "lstinline" && open.first == '[') {
    write_character(out, open);
    copy_bracket_group(s, in, out);
    open = read_character(s, in);
  }
  if (open.first == END_OF_INPUT) return 0;
  write_character(out, open);
  if (open.first == LINE_FEED) return 0;
  character close = open;
  if (command == "lstinline" && open.first == '{') close.first = '}';
  for (;;) {
    in.release();
    const character ch = read_character(s, in);
    if (ch.first == END_OF_INPUT) return 0;
    write_character(out, ch);
    if (ch == close || ch.first == LINE_FEED) return 0;
  }
}

}  // namespace tenmaru
