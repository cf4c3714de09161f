// The fast path of the scanner: a run of bytes that need no decision (letters, digits, Japanese
// characters that are no mark, line feeds, most punctuation) is copied in pieces straight from
// the reader's buffer, with the same effect on after_word as stepping through it. It also takes
// the cases that need no look beyond the next byte: a mark with no blank after it, an ASCII
// comma or full stop with no word before it (a sentence mark for certain), and spaces before a
// byte that cannot begin a comma or full stop. Every other byte that needs a decision ends the
// run and is left to scan_step, which holds the rules in full.
#include <algorithm>
#include <array>

#include "scanner/scanner.h"

namespace tenmaru {

namespace {

enum byte_class : unsigned char {
  STOP,        // the scanner decides
  ASCII_MARK,  // an ASCII comma or full stop
  SPACE,       // the trigger of the blank-run handler
  WORD,        // an ASCII letter or digit: sets after_word
  OTHER,       // a byte of its own that clears after_word
  NEUTRAL,     // leaves after_word alone
  NEWLINE,     // LF: leaves after_word alone, and the writer may add a CR before it
  LEAD,        // a Shift-JIS lead byte: the byte after it belongs to it
  UTF8,        // may begin a UTF-8 sequence
  CARRIAGE,    // CR: in text mode CR LF is read as LF
  CTRL_Z,      // in text mode it may be the end of the input
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
  if (size == 0) return;
  // The bytes are stored straight into the writer's buffer. One byte read becomes three written
  // at the most (an ASCII comma written as a UTF-8 mark), so the run is bounded to fit.
  constexpr std::size_t MOST_WRITTEN_PER_BYTE = 3;
  std::size_t room = 0;
  unsigned char* lent = out.lend(room);
  unsigned char* o = lent;
  std::size_t end = std::min(size, room / MOST_WRITTEN_PER_BYTE);
  unsigned char before_lent = out.last_byte();

  const class_table& classes = table_for(s);
  const bool text_mode = in.mode() == read_mode::text;
  // A CR LF pair read in text mode stands for a LF, which the writer puts out as CR LF again:
  // the pair can be copied as it is when every LF is written so.
  const bool pairs_stay = out.line_ends() == line_end_mode::crlf;
  // Every LF that does not follow a CR gets one, as the writer does, unless nothing is added.
  const bool add_cr = out.line_ends() != line_end_mode::as_is;
  int after_word = s.after_word;
  std::size_t i = 0;

  // A mark of `length` bytes at i is written here when the byte after it is here and is no
  // blank: skipping the blanks after a mark is the step's. `read` is the mark as it stands.
  const auto take_mark = [&](std::size_t length, int read, bool comma) {
    const std::size_t next = i + length;
    if (next >= end || p[next] == ' ' || p[next] == '\t') return false;
    out.stored_up_to(o);
    s.mark_read = read;
    write_mark(s, styled_mark(s, comma), out);
    lent = o = out.lend(room);
    before_lent = out.last_byte();
    end = std::min(size, next + room / MOST_WRITTEN_PER_BYTE);
    i = next;
    return true;
  };

  while (i < end) {
    const unsigned char c = p[i];
    switch (classes[c]) {
      case WORD:
        after_word = 1;
        *o++ = c;
        ++i;
        continue;
      case OTHER: after_word = 0; break;
      case NEUTRAL: break;
      case NEWLINE:
        if (add_cr && (o > lent ? o[-1] : before_lent) != '\r') *o++ = '\r';
        break;
      case LEAD: {
        // Most of Japanese text: characters one after another whose first byte begins no mark
        // and whose second byte is no control byte (which the reader might translate).
        std::size_t j = i;
        while (j + 1 < end && classes[p[j]] == LEAD &&
               !may_begin_mark(text_encoding::shift_jis, p[j]) && p[j + 1] >= 0x40) {
          *o++ = p[j];
          *o++ = p[j + 1];
          j += 2;
        }
        if (j > i) {
          if (!s.in_math) after_word = 0;
          i = j;
          continue;
        }
        // The second byte must be here and must not be one the reader translates.
        if (i + 1 >= end) goto done;
        const unsigned char t = p[i + 1];
        if (text_mode && (t == '\r' || t == 0x1A)) goto done;
        if (!s.in_math) {
          const int kind = find_mark(text_encoding::shift_jis, p + i, 2);
          if (kind >= 0 && !take_mark(2, kind, is_comma_kind(static_cast<mark_kind>(kind)))) {
            goto done;
          }
          after_word = 0;
          if (kind >= 0) continue;
        }
        *o++ = c;
        *o++ = t;
        i += 2;
        continue;
      }
      case UTF8: {
        const utf8_lead lead = utf8_lead_of(c);
        if (i + static_cast<std::size_t>(lead.continuation) >= end) goto done;  // not all here
        const std::size_t length = utf8_length(p + i, lead);
        if (length > 0 && may_begin_mark(text_encoding::utf8, c)) {
          const int kind = find_mark(text_encoding::utf8, p + i, length);
          if (kind >= 0 && !take_mark(length, kind, is_comma_kind(static_cast<mark_kind>(kind)))) {
            goto done;
          }
          if (kind >= 0) {
            after_word = 0;
            continue;
          }
        }
        after_word = 0;
        if (length == 0) break;  // a byte of its own
        for (std::size_t k = 0; k < length; ++k) *o++ = p[i + k];
        i += length;
        continue;
      }
      case ASCII_MARK:
        // With a letter or digit before it, whether it stays depends on what follows; an
        // ellipsis may be kept.
        if (after_word || (c == '.' && s.keep_ellipsis)) goto done;
        if (take_mark(1, c == ',' ? ASCII_COMMA_MARK : ASCII_FULL_STOP_MARK, c == ',')) continue;
        goto done;
      case SPACE: {
        // Spaces stay unless a comma or full stop follows them.
        std::size_t j = i;
        while (j < end && p[j] == ' ') ++j;
        if (j == end || p[j] == ',' || p[j] == '.' || may_begin_mark(s.encoding, p[j])) goto done;
        for (; i < j; ++i) *o++ = ' ';
        continue;
      }
      case CARRIAGE:
        if (text_mode) {
          // CR LF is read as a LF and is written as CR LF again; a lone CR is a byte.
          if (i + 1 >= end) goto done;
          if (p[i + 1] == '\n') {
            if (!pairs_stay) goto done;
            *o++ = '\r';
            *o++ = '\n';
            i += 2;
            continue;
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
    // A single byte taken as it is.
    *o++ = c;
    ++i;
  }
done:
  out.stored_up_to(o);
  in.skip_raw(i);
  s.after_word = after_word;
}

}  // namespace tenmaru
