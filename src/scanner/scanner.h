// The source scanner: reads a (p)LaTeX source in Shift-JIS or UTF-8 one unit at a time and writes
// it again with every sentence comma and full stop in the chosen style, leaving alone what must
// not change.
//
// All state of one conversion lives in a `scanner`, handed to every function with the two
// streams, so that any number of conversions can run one after another in one process.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "scanner/encoding.h"
#include "stream/input_stream.h"
#include "stream/output_stream.h"

namespace tenmaru {

// What classify_char found: the byte (or character) was written already, or it is a sentence
// comma or full stop that the caller writes in the chosen style.
enum : int { MARK_NONE = 0, MARK_COMMA = 1, MARK_PERIOD = 2 };

inline constexpr int DEFAULT_PUNCT_STYLE = 1;
inline constexpr int PUNCT_STYLE_COUNT = 4;

// A Shift-JIS lead byte begins a two-byte character; its second byte is never read as ASCII.
constexpr bool is_lead_byte(int c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// Exactly A-Z, a-z and 0-9: no other byte counts as part of a word.
constexpr bool is_ascii_alnum(int c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

inline constexpr std::size_t COMMAND_BUFFER_SIZE = 2048;

// The text of the control sequence being handled, without its backslash: the name, then what is
// gathered after it. It is written out in one piece when the handling ends. Text that does not
// fit is written out ahead as the buffer fills: the output is the same, since nothing else is
// written in between, and a name that did not fit is none of the keywords anyway. So a huge
// argument streams through instead of being held or cut.
class command_text {
 public:
  void start(output_stream& out) {
    out_ = &out;
    used_ = 0;
    spilled_ = false;
  }
  void append(int c) {
    if (used_ == COMMAND_BUFFER_SIZE) spill();
    bytes_[used_++] = static_cast<unsigned char>(c);
  }
  void append(const unsigned char* bytes, std::size_t size) {
    while (size > 0) {
      if (used_ == COMMAND_BUFFER_SIZE) spill();
      const std::size_t n = std::min(size, COMMAND_BUFFER_SIZE - used_);
      std::memcpy(bytes_ + used_, bytes, n);
      used_ += n;
      bytes += n;
      size -= n;
    }
  }
  bool empty() const { return used_ == 0 && !spilled_; }
  // The text gathered so far; a text that did not fit compares as nothing.
  std::string_view name() const {
    if (spilled_) return {};
    return {reinterpret_cast<const char*>(bytes_), used_};
  }
  // Writes the text by its length: a NUL byte in it is written like any other.
  void write_out() {
    out_->write(bytes_, used_);
    used_ = 0;
  }

 private:
  void spill() {
    write_out();
    spilled_ = true;
  }

  unsigned char bytes_[COMMAND_BUFFER_SIZE];
  std::size_t used_ = 0;
  bool spilled_ = false;
  output_stream* out_ = nullptr;
};

// A mark as it stood in the input: one of the four (a mark_kind), or an ASCII comma or full stop.
enum : int { ASCII_COMMA_MARK = MARK_KIND_COUNT, ASCII_FULL_STOP_MARK };

// Told of every change a conversion makes, in the order of the input. When it is told, all the
// text before the change has been handed to `out` (it may flush `out` to learn where it is).
class change_listener {
 public:
  virtual ~change_listener() = default;
  // The mark `from` (as it stood) is written as `to`, which differs from it.
  virtual void mark_replaced(output_stream& out, int from, mark_kind to) = 0;
  // A run of `count` blanks is dropped right before (or right after) the mark `mark`.
  virtual void blanks_removed(output_stream& out, long long count, bool before, int mark) = 0;
};

struct scanner {
  int punct_style = DEFAULT_PUNCT_STYLE;  // 1 to 4, set from the command line
  text_encoding encoding = text_encoding::shift_jis;
  int in_math = 0;     // inside \[ \], \( \) or a math environment: text is copied unchanged
  int after_word = 0;  // the last byte that set or cleared it was an ASCII letter or digit
  command_text command_buffer;

  // Options, all off by default.
  int keep_verbatim = 0;  // copy verbatim environments and \verb-like arguments unchanged
  int keep_ellipsis = 0;  // a run of two or more ASCII full stops is not punctuation
  std::vector<std::string> extra_text_commands;  // more commands whose argument is text

  change_listener* changes = nullptr;  // told of every change, when set
  int mark_read = -1;                  // the mark classify_char found last, as it stood
};

// In Shift-JIS a lead byte takes the byte after it along: wherever bytes are taken one at a
// time, the second byte of a character is never seen as ASCII (a brace, a bracket, a
// backslash). In UTF-8 no byte of a multi-byte character is ASCII, so bytes go one by one.
inline bool takes_second_byte(const scanner& s, int c) {
  return s.encoding == text_encoding::shift_jis && is_lead_byte(c);
}
inline void copy_second_byte(const scanner& s, input_stream& in, output_stream& out, int c) {
  if (!takes_second_byte(s, c)) return;
  const int t = in.read();
  if (t != END_OF_INPUT) out.put(t);
}
inline void append_second_byte(const scanner& s, input_stream& in, command_text& text, int c) {
  if (!takes_second_byte(s, c)) return;
  const int t = in.read();
  if (t != END_OF_INPUT) text.append(t);
}

// A handler takes over at its trigger byte (already read), consumes its whole construct and
// writes it; its result is ignored.
using handler_fn = int (*)(scanner& s, input_stream& in, output_stream& out);

struct dispatch_entry {
  int trigger;         // the byte that hands control to the handler; 0 ends the table
  handler_fn handler;  // none: the byte goes on to the math test and the classifier
};

extern const dispatch_entry dispatch_table[];

// Processes one unit of input: a byte, a character or a handler's construct (after copying the
// run of bytes before it that need no decision). Returns 0 when the input was already at its
// end (nothing written), 1 otherwise.
int scan_step(scanner& s, input_stream& in, output_stream& out);

// Classifies the byte `c` just read: writes it (and the second byte of its character) and
// returns MARK_NONE, or returns MARK_COMMA or MARK_PERIOD with nothing written.
int classify_char(scanner& s, input_stream& in, int c, output_stream& out);

// Whether the next byte after any spaces, tabs and line feeds is an ASCII letter or digit;
// the input position is left where it was.
int next_is_alnum(input_stream& in);

// The same rule on bytes as stored (in text mode a CR LF pair is a line feed): 1 or 0, or -1
// when the bytes run out first.
int next_is_alnum_at(const unsigned char* bytes, std::size_t size, bool text_mode);

// The marks written in each style.
struct style_marks {
  mark_kind comma;
  mark_kind period;
};

inline constexpr style_marks style_table[PUNCT_STYLE_COUNT] = {
    {FULLWIDTH_COMMA, IDEOGRAPHIC_FULL_STOP},    // 1: ， and 。
    {FULLWIDTH_COMMA, FULLWIDTH_FULL_STOP},      // 2: ， and ．
    {IDEOGRAPHIC_COMMA, IDEOGRAPHIC_FULL_STOP},  // 3: 、 and 。
    {IDEOGRAPHIC_COMMA, FULLWIDTH_FULL_STOP},    // 4: 、 and ．
};

// The mark of the chosen style for a comma (or a full stop).
inline mark_kind styled_mark(const scanner& s, int comma) {
  const style_marks& marks = style_table[s.punct_style - 1];
  return comma ? marks.comma : marks.period;
}

// Writes the mark `kind` in place of the one in mark_read, telling the listener of the change.
inline void write_mark(scanner& s, mark_kind kind, output_stream& out) {
  if (s.changes != nullptr && s.mark_read != kind) s.changes->mark_replaced(out, s.mark_read, kind);
  const encoded_mark& mark = mark_bytes(s.encoding, kind);
  out.write(mark.bytes, mark.size);
}

// Write the comma or full stop of the chosen style, then skip the spaces and tabs after it.
void emit_comma(scanner& s, output_stream& out, input_stream& in);
void emit_period(scanner& s, output_stream& out, input_stream& in);

// A byte that ends a control-sequence name: a space, a digit or printable ASCII punctuation:
// 0x20 to 0x7E but the letters. (A table, as it is asked for every byte of every name.)
struct byte_set {
  bool has[256];
};

constexpr byte_set make_name_delimiters() {
  byte_set set{};
  for (int c = 0; c < 256; ++c) {
    set.has[c] = c == 0x20 || (c >= 0x30 && c <= 0x39) || (c >= 0x21 && c <= 0x2F) ||
                 (c >= 0x3A && c <= 0x40) || (c >= 0x5B && c <= 0x60) || (c >= 0x7B && c <= 0x7E);
  }
  return set;
}

inline constexpr byte_set name_delimiters = make_name_delimiters();

constexpr bool is_name_delimiter(int c) { return c >= 0 && c < 256 && name_delimiters.has[c]; }

// The bytes that text-mode reading may translate (CR, Ctrl-Z), and no bytes.
constexpr byte_set make_text_mode_translates() {
  byte_set set{};
  set.has[0x0D] = set.has[0x1A] = true;
  return set;
}
inline constexpr byte_set TEXT_MODE_TRANSLATES = make_text_mode_translates();
inline constexpr byte_set NO_BYTES{};

// Takes characters straight from the reader's buffer while `more(c)` holds for the first byte
// `c` of each, handing each stretch of bytes to `take(bytes, size)`, and stops before the first
// character for which it does not hold, a byte the reader would translate (a CR or Ctrl-Z in
// text mode) or a character that runs on past what is buffered; the caller's own loop then
// goes on from there. With `whole` a Shift-JIS lead byte takes its second byte along unseen.
// The bytes taken are released: the caller must not seek back before where it stops.
template <class More, class Take>
void take_while(const scanner& s, input_stream& in, bool whole, More more, Take take) {
  const byte_set& translated = in.mode() == read_mode::text ? TEXT_MODE_TRANSLATES : NO_BYTES;
  const bool pairs = whole && s.encoding == text_encoding::shift_jis;
  for (;;) {
    std::size_t size = 0;
    const unsigned char* p = in.peek_raw(size);
    std::size_t i = 0;
    while (i < size) {
      const unsigned char c = p[i];
      if (translated.has[c] || !more(c)) break;
      if (pairs && is_lead_byte(c)) {
        if (i + 1 == size || translated.has[p[i + 1]]) break;
        ++i;
      }
      ++i;
    }
    if (i > 0) {
      take(p, i);
      in.skip_raw(i);
      in.release();
    }
    if (i < size || i == 0) return;
  }
}

// Reads past a run of spaces (0x20 only: a tab is no part of one). Returns the byte after the
// run, with `p` its position and `spaces` the number of spaces passed.
inline int read_past_spaces(const scanner& s, input_stream& in, stream_pos& p, long long& spaces) {
  spaces = 0;
  for (;;) {
    take_while(
        s, in, false, [](unsigned char c) { return c == ' '; },
        [&spaces](const unsigned char*, std::size_t n) { spaces += static_cast<long long>(n); });
    in.release();
    p = in.tell();
    const int c = in.read();
    if (c != ' ') return c;
    ++spaces;
  }
}

// The handlers of the dispatch table and what they decide by.

// At a backslash: copies the control sequence, switches math on and off, copies the argument
// groups of a command unchanged, or leaves the argument of a text command to the scanner.
int handle_control_sequence(scanner& s, input_stream& in, output_stream& out);
// After \begin or \end: copies up to the environment name's closing brace; 1 when it names a
// math environment. With keep_verbatim, a verbatim environment's name is put in `verbatim`.
int read_environment(scanner& s, input_stream& in, output_stream& out,
                     const char** verbatim = nullptr);
// Copies the bracket and brace groups after a command, with the spaces around them.
int copy_argument_groups(scanner& s, input_stream& in, output_stream& out);
// At a dollar sign: copies $...$ or $$...$$ unchanged.
int copy_inline_math(scanner& s, input_stream& in, output_stream& out);
// At a space: writes the run of spaces, or drops it before a comma or full stop.
int handle_blank_run(scanner& s, input_stream& in, output_stream& out);
// Whether the run of spaces ended by `c` is dropped; the input position is kept.
int blank_run_is_dropped(const scanner& s, input_stream& in, int c);

// The same rule on bytes at hand: whether a run of spaces before `next`, the `size` bytes that
// follow it, is dropped (1) or not (0), or -1 when more bytes would have to be seen; `complete`
// says that no more follow. MARK_LOOKAHEAD bytes always tell.
inline constexpr std::size_t MARK_LOOKAHEAD = 3;
int blank_run_drops_before(const scanner& s, const unsigned char* next, std::size_t size,
                           bool complete);

// The mark that the bytes at hand begin with (as mark_starting_with), or -1.
int mark_at(const scanner& s, const unsigned char* bytes, std::size_t size);

// The mark that begins with the byte `c` just read (a mark_kind, ASCII_COMMA_MARK or
// ASCII_FULL_STOP_MARK), or -1; the input position is kept.
int mark_starting_with(const scanner& s, input_stream& in, int c);

// Code kept as code (keep_verbatim): the body of a verbatim environment up to and including
// its \end{NAME}, and the delimited argument of \verb, \verb* and \lstinline, copied unchanged.
const char* verbatim_environment(std::string_view name);  // the table's entry, or null
int is_verbatim_command(std::string_view name);
int copy_verbatim_body(scanner& s, input_stream& in, output_stream& out, std::string_view name);
int copy_verbatim_argument(scanner& s, input_stream& in, output_stream& out,
                           std::string_view command);

// With keep_ellipsis: whether the full stop just read begins a run of two or more, which is
// then copied as it stands. The input position is kept when it is not.
int copy_ellipsis(scanner& s, input_stream& in, output_stream& out);

constexpr bool is_math_opener(int c) { return c == '[' || c == '('; }
constexpr bool is_math_closer(int c) { return c == ']' || c == ')'; }
int is_math_environment(std::string_view name);
// A box or font command, or one of the extra text commands: its argument is running text.
int is_text_command(const scanner& s, std::string_view name);

// The fast path: copies the run of bytes at the reader's position that need no decision, with
// their effect on after_word, and leaves the first byte that needs one. True when it took any.
bool copy_plain_run(scanner& s, input_stream& in, output_stream& out);

// Runs scan_step to the end of the input.
void convert(scanner& s, input_stream& in, output_stream& out);

}  // namespace tenmaru
