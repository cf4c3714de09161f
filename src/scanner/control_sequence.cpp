// Control sequences and environments: what follows a backslash.
#include <string_view>

#include "scanner/scanner.h"

namespace tenmaru {

namespace {

// Environments whose body is math: \begin of one switches math on, \end of one switches it off.
constexpr const char* math_environments[] = {
    "equation",     "equation*", "eqnarray",  "eqnarray*", "math",    "math*", "displaymath",
    "displaymath*", "multline",  "multline*", "gather",    "gather*", "align", "align*",
    "alignat",      "alignat*",  "flalign",   "flalign*",  nullptr,
};

// Box and font commands whose argument is running text, converted like the text around it.
constexpr const char* text_commands[] = {
    "mbox",   "hbox",   "vbox",   "pbox",   "textmc", "textgt", "textbf",
    "textsf", "texttt", "textmd", "textit", "textsl", "textsc", nullptr,
};

// An exact comparison that needs not measure the entry first; a NUL in the name matches no
// entry's end.
bool same_name(const char* entry, std::string_view name) {
  for (std::size_t k = 0; k < name.size(); ++k) {
    if (entry[k] == '\0' || entry[k] != name[k]) return false;
  }
  return entry[name.size()] == '\0';
}

// The first bytes are compared first, which rules most entries out at once.
bool in_table(const char* const* table, std::string_view name) {
  if (name.empty()) return false;
  for (; *table != nullptr; ++table) {
    if ((*table)[0] == name[0] && same_name(*table, name)) return true;
  }
  return false;
}

constexpr std::size_t ENVIRONMENT_NAME_SIZE = 256;

// The name between the braces of \begin{...}, for the comparison only: a name too long for it
// is no math environment (none is long), and it is copied whole all the same.
class environment_name {
 public:
  void append(int c) {
    if (used_ < ENVIRONMENT_NAME_SIZE - 1) bytes_[used_] = static_cast<char>(c);
    ++used_;
  }
  bool is_math() const { return whole() && is_math_environment(view()); }
  const char* verbatim() const { return whole() ? verbatim_environment(view()) : nullptr; }

 private:
  bool whole() const { return used_ < ENVIRONMENT_NAME_SIZE; }
  std::string_view view() const { return {bytes_, used_}; }

  char bytes_[ENVIRONMENT_NAME_SIZE] = {};
  std::size_t used_ = 0;
};

// The spaces and argument groups after a command, taken byte by byte: only spaces count before
// and between groups (a tab or a line feed ends them), a group counts only its own kind of
// bracket (a backslash escapes nothing), and a lead byte takes its second byte along. step()
// says whether a byte belongs to them; the first byte that does not is left alone.
class argument_groups {
 public:
  explicit argument_groups(bool pairs) : pairs_(pairs) {}

  bool step(int c) {
    if (second_byte_) {
      second_byte_ = false;
      return true;
    }
    if (close_ == 0) {  // between groups
      if (c == ' ') return true;
      if (c != '[' && c != '{') return false;
      open_ = c;
      close_ = c == '[' ? ']' : '}';
      depth_ = 1;
      return true;
    }
    if (c == open_) {
      ++depth_;
    } else if (c == close_) {
      if (--depth_ == 0) close_ = 0;
    } else if (pairs_ && is_lead_byte(c)) {
      second_byte_ = true;
    }
    return true;
  }

 private:
  bool pairs_;
  int open_ = 0;
  int close_ = 0;  // the closing byte of the open group; 0 between groups
  int depth_ = 0;
  bool second_byte_ = false;
};

// Appends whole characters to the command text (and to `name`, when given) up to and including
// the byte `stop`; false when the input ends first.
bool gather_until(const scanner& s, input_stream& in, command_text& text, int stop,
                  environment_name* name) {
  for (;;) {
    in.release();
    const int c = in.read();
    if (c == END_OF_INPUT) return false;
    text.append(c);
    if (c == stop) return true;
    if (name != nullptr) name->append(c);
    if (!takes_second_byte(s, c)) continue;
    const int t = in.read();
    if (t == END_OF_INPUT) continue;
    text.append(t);
    if (name != nullptr) name->append(t);
  }
}

}  // namespace

int is_math_environment(std::string_view name) { return in_table(math_environments, name); }

// The first bytes of the box and font commands: most names are ruled out by them at once.
constexpr byte_set first_bytes_of(const char* const* table) {
  byte_set set{};
  for (; *table != nullptr; ++table) set.has[static_cast<unsigned char>((*table)[0])] = true;
  return set;
}

constexpr byte_set text_command_starts = first_bytes_of(text_commands);

int is_text_command(const scanner& s, std::string_view name) {
  if (name.empty()) return 0;
  if (text_command_starts.has[static_cast<unsigned char>(name[0])] &&
      in_table(text_commands, name)) {
    return 1;
  }
  for (const auto& extra : s.extra_text_commands) {
    if (name == extra) return 1;
  }
  return 0;
}

int handle_control_sequence(scanner& s, input_stream& in, output_stream& out) {
  command_text& text = s.command_buffer;
  text.start(out);
  out.put('\\');

  const auto append_to_text = [&text](const unsigned char* bytes, std::size_t size) {
    text.append(bytes, size);
  };
  stream_pos p = 0;
  int c = 0;
  for (;;) {
    take_while(
        s, in, true, [](unsigned char b) { return !is_name_delimiter(b); }, append_to_text);
    in.release();
    p = in.tell();
    c = in.read();
    if (is_name_delimiter(c)) break;
    if (c == END_OF_INPUT) {
      text.write_out();
      return 0;
    }
    text.append(c);
    append_second_byte(s, in, text, c);
  }

  // A single-character control sequence: \\ \, \$ \{ \[ and the like. Its second character is
  // not seen by the scanner.
  if (text.empty()) {
    out.put(c);
    if (is_math_opener(c)) s.in_math = 1;
    if (is_math_closer(c)) s.in_math = 0;
    return 0;
  }

  in.seek(p);  // the delimiter is read again
  const std::string_view name = text.name();
  if (s.keep_verbatim && is_verbatim_command(name)) return copy_verbatim_argument(s, in, out, name);
  if (name == "begin") {
    const char* verbatim = nullptr;
    if (read_environment(s, in, out, &verbatim)) s.in_math = 1;
    if (verbatim != nullptr) copy_verbatim_body(s, in, out, verbatim);
    return 0;
  }
  if (name == "end") {
    if (read_environment(s, in, out)) s.in_math = 0;
    return 0;
  }
  if (is_text_command(s, name) || s.in_math) {
    text.write_out();
    return 0;
  }
  return copy_argument_groups(s, in, out);
}

int read_environment(scanner& s, input_stream& in, output_stream&, const char** verbatim) {
  command_text& text = s.command_buffer;
  // Whatever stands before the brace (spaces, an optional argument) is copied along; only what
  // stands between the braces is the name.
  environment_name name;
  const bool whole =
      gather_until(s, in, text, '{', nullptr) && gather_until(s, in, text, '}', &name);
  text.write_out();
  if (!whole) return 0;
  if (verbatim != nullptr && s.keep_verbatim) *verbatim = name.verbatim();
  return name.is_math() ? 1 : 0;
}

int copy_argument_groups(scanner& s, input_stream& in, output_stream&) {
  command_text& text = s.command_buffer;
  argument_groups groups(s.encoding == text_encoding::shift_jis);
  const auto append_to_text = [&text](const unsigned char* bytes, std::size_t size) {
    text.append(bytes, size);
  };
  for (;;) {
    // What is buffered goes in stretches; a byte the reader translates, and the end of the
    // input, come through the reader one at a time.
    take_while(
        s, in, false, [&groups](unsigned char b) { return groups.step(b); }, append_to_text);
    in.release();
    const stream_pos p = in.tell();
    const int c = in.read();
    if (c == END_OF_INPUT) break;
    if (!groups.step(c)) {
      in.seek(p);  // the byte after the groups is the scanner's
      break;
    }
    text.append(c);
  }
  text.write_out();
  return 0;
}

}  // namespace tenmaru
