// The fast path of the scanner: a run of bytes that need no decision (letters, digits, Japanese
// characters that are no mark, line feeds, most punctuation) is copied in one piece straight
// from the reader's buffer, with the same effect on after_word as stepping through it. Every
// byte that needs a decision (a trigger of the dispatch table, a comma or full stop, a mark, a
// byte the reader translates) ends the run and is left to scan_step.
#include <array>

#include "scanner/scanner.h"

namespace tenmaru {

namespace {

enum byte_class : unsigned char {
  STOP,      // the scanner decides
  WORD,      // an ASCII letter or digit: sets after_word
  OTHER,     // a byte of its own that clears after_word
  NEUTRAL,   // leaves after_word alone
  NEWLINE,   // LF: leaves after_word alone, and the writer may add a CR before it
  LEAD,      // a Shift-JIS lead byte: the byte after it belongs to it
  UTF8,      // may begin a UTF-8 sequence
  CARRIAGE,  // CR: in text mode CR LF is read as LF
  CTRL_Z,    // in text mode it may be the end of the input
};

using class_table = std::array<byte_class, 256>;

constexpr class_table make_table(text_encoding encoding, bool math) {
  class_table table{};
  for (int c = 0; c < 256; ++c) {
    byte_class k = math ? NEUTRAL : OTHER;
    if (!math && is_ascii_alnum(c)) k = WORD;
    if (c == '\t') k = NEUTRAL;
    if (c == '\n') k = NEWLINE;
    if (c >= 0x80) {
      if (encoding == text_encoding::shift_jis && is_lead_byte(c)) k = LEAD;
      if (encoding == text_encoding::utf8 && !math) k = UTF8;
    }
    if (c == '\r') k = CARRIAGE;
    if (c == 0x1A) k = CTRL_Z;
    if (c == '\\' || c == '$' || c == ' ') k = STOP;  // the dispatch table's triggers
    if (!math && (c == ',' || c == '.')) k = STOP;    // commas and full stops
    table[static_cast<std::size_t>(c)] = k;
  }
  return table;
}

constexpr class_table SHIFT_JIS_TEXT = make_table(text_encoding::shift_jis, false);
constexpr class_table SHIFT_JIS_MATH = make_table(text_encoding::shift_jis, true);
constexpr class_table UTF8_TEXT = make_table(text_encoding::utf8, false);
constexpr class_table UTF8_MATH = make_table(text_encoding::utf8, true);

const class_table& table_for(const scanner& s) {
  if (s.encoding == text_encoding::utf8) return s.in_math ? UTF8_MATH : UTF8_TEXT;
  return s.in_math ? SHIFT_JIS_MATH : SHIFT_JIS_TEXT;
}

// The length of the well-formed UTF-8 sequence that `lead` begins at p, or 0.
std::size_t utf8_length(const unsigned char* p, const utf8_lead& lead) {
  const auto length = static_cast<std::size_t>(lead.continuation) + 1;
  if (lead.continuation == 0) return 0;
  if (p[1] < lead.first_low || p[1] > lead.first_high) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if (!is_utf8_continuation(p[i])) return 0;
  }
  return length;
}

}  // namespace

void copy_plain_run(scanner& s, input_stream& in, output_stream& out) {
  std::size_t size = 0;
  const unsigned char* p = in.peek_raw(size);
  const class_table& classes = table_for(s);
  const bool text_mode = in.mode() == read_mode::text;
  // A CR LF pair read in text mode stands for a LF, which the writer puts out as CR LF again:
  // the pair can be copied as it is when every LF is written so.
  const bool pairs_stay = out.line_ends() == line_end_mode::crlf;
  int after_word = s.after_word;
  bool line_feeds = false;
  std::size_t i = 0;
  while (i < size) {
    const unsigned char c = p[i];
    std::size_t length = 1;
    switch (classes[c]) {
      case WORD: after_word = 1; break;
      case OTHER: after_word = 0; break;
      case NEUTRAL: break;
      case NEWLINE: line_feeds = true; break;
      case LEAD: {
        // The second byte must be here, must not be one the reader translates, and together
        // they must not be a mark (which is copied unchanged only in math).
        if (i + 1 == size) goto done;
        const unsigned char t = p[i + 1];
        if (text_mode && (t == '\r' || t == 0x1A)) goto done;
        if (!s.in_math && may_begin_mark(text_encoding::shift_jis, c) &&
            find_mark(text_encoding::shift_jis, p + i, 2) >= 0) {
          goto done;
        }
        if (!s.in_math) after_word = 0;
        length = 2;
        break;
      }
      case UTF8: {
        const utf8_lead lead = utf8_lead_of(c);
        if (i + static_cast<std::size_t>(lead.continuation) >= size) goto done;  // not all here
        length = utf8_length(p + i, lead);
        if (length == 0) {
          length = 1;  // a byte of its own
        } else if (may_begin_mark(text_encoding::utf8, c) &&
                   find_mark(text_encoding::utf8, p + i, length) >= 0) {
          goto done;
        }
        after_word = 0;
        break;
      }
      case CARRIAGE:
        if (text_mode) {
          // CR LF is read as a LF and is written as CR LF again; a lone CR is a byte.
          if (i + 1 == size) goto done;
          if (p[i + 1] == '\n') {
            if (!pairs_stay) goto done;
            line_feeds = true;
            length = 2;
            break;
          }
        }
        if (!s.in_math) after_word = 0;
        break;
      case CTRL_Z:
        if (text_mode) goto done;
        if (!s.in_math) after_word = 0;
        break;
      case STOP: goto done;
    }
    i += length;
  }
done:
  if (i == 0) return;
  out.write_as_stored(p, i, line_feeds);
  in.skip_raw(i);
  s.after_word = after_word;
}

}  // namespace tenmaru
