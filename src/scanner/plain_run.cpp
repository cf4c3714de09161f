// The fast path of the scanner: a run of bytes that need no decision (letters, digits, Japanese
// characters that are no mark, line feeds, most punctuation) is copied straight from the
// reader's buffer, with the same effect on after_word as stepping through it. It also takes the
// marks, commas, full stops and blank runs whose fate the bytes at hand decide, by the same rules
// as the step (write_mark, next_is_alnum_at, blank_run_drops_before). Everything else (and
// anything whose decision needs bytes not yet buffered) ends the run and is left to scan_step.
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
    if (c == '\\' || c == '$') k = STOP;  // the other triggers of the dispatch table
    if (c == ' ') k = SPACE;
    if (!math && (c == ',' || c == '.')) k = ASCII_MARK;
    table[static_cast<std::size_t>(c)] = k;
  }
  return table;
}

// The lead bytes of Shift-JIS characters that cannot be marks: most of Japanese text.
constexpr std::array<bool, 256> make_ordinary_leads() {
  std::array<bool, 256> leads{};
  for (int c = 0; c < 256; ++c) {
    leads[static_cast<std::size_t>(c)] =
        is_lead_byte(c) && !may_begin_mark(text_encoding::shift_jis, static_cast<unsigned char>(c));
  }
  return leads;
}

constexpr std::array<bool, 256> ORDINARY_LEADS = make_ordinary_leads();

constexpr class_table SHIFT_JIS_TEXT = make_table(text_encoding::shift_jis, false);
constexpr class_table SHIFT_JIS_MATH = make_table(text_encoding::shift_jis, true);
constexpr class_table UTF8_TEXT = make_table(text_encoding::utf8, false);
constexpr class_table UTF8_MATH = make_table(text_encoding::utf8, true);

const class_table& table_for(const scanner& s) {
  if (s.encoding == text_encoding::utf8) return s.in_math ? UTF8_MATH : UTF8_TEXT;
  return s.in_math ? SHIFT_JIS_MATH : SHIFT_JIS_TEXT;
}

}  // namespace

bool copy_plain_run(scanner& s, input_stream& in, output_stream& out) {
  std::size_t size = 0;
  const unsigned char* p = in.peek_raw(size);
  if (size == 0) return false;
  const class_table& classes = table_for(s);
  const bool text_mode = in.mode() == read_mode::text;
  // A CR LF pair read in text mode stands for a LF, which the writer puts out as CR LF again:
  // the pair can be copied as it is when every LF is written so.
  const bool pairs_stay = out.line_ends() == line_end_mode::crlf;
  // Every LF that does not follow a CR gets one, as the writer does, unless nothing is added.
  const bool add_cr = out.line_ends() != line_end_mode::as_is;
  // The scanner's state as locals too: a store through `o` could alias it.
  const bool math = s.in_math != 0;
  const bool keep_ellipsis = s.keep_ellipsis != 0;
  const bool listened = s.changes != nullptr;
  int after_word = s.after_word;
  std::size_t i = 0;

  // The bytes are stored straight into the free part of the writer's buffer, from `lent` on.
  // One byte read becomes three written at the most (an ASCII comma written as a UTF-8 mark),
  // so the run is bounded to fit. (These are plain locals that nothing takes the address of,
  // so that they stay in registers.)
  constexpr std::size_t MOST_WRITTEN_PER_BYTE = 3;
  std::size_t room = 0;
  unsigned char* lent = nullptr;
  unsigned char* o = nullptr;
  unsigned char before_lent = 0;  // the byte written before `lent`
  std::size_t end = 0;
  // The mark that the loop found, for take_mark below.
  std::size_t mark_length = 0;
  int mark_read = -1;
  bool mark_comma = false;

borrow:  // again after the writer was told of what is stored, at a mark or a reported change
  lent = o = out.lend(room);
  before_lent = out.last_byte();
  end = std::min(size, i + room / MOST_WRITTEN_PER_BYTE);

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
        while (j + 1 < end && ORDINARY_LEADS[p[j]] && p[j + 1] >= 0x40) {
          o[0] = p[j];
          o[1] = p[j + 1];
          o += 2;
          j += 2;
        }
        if (j > i) {
          if (!math) after_word = 0;
          i = j;
          continue;
        }
        // The second byte must be here and must not be one the reader translates.
        if (i + 1 >= end) goto done;
        const unsigned char t = p[i + 1];
        if (text_mode && (t == '\r' || t == 0x1A)) goto done;
        if (!math) {
          after_word = 0;
          const int kind = find_mark(text_encoding::shift_jis, p + i, 2);
          if (kind >= 0) {
            mark_length = 2;
            mark_read = kind;
            mark_comma = is_comma_kind(static_cast<mark_kind>(kind));
            goto take_mark;
          }
        }
        o[0] = c;
        o[1] = t;
        o += 2;
        i += 2;
        continue;
      }
      case UTF8: {
        const utf8_lead lead = utf8_lead_of(c);
        if (i + static_cast<std::size_t>(lead.continuation) >= end) goto done;  // not all here
        const std::size_t length = utf8_sequence_length(p + i);
        after_word = 0;
        if (length == 0) break;  // a byte of its own
        if (may_begin_mark(text_encoding::utf8, c)) {
          const int kind = find_mark(text_encoding::utf8, p + i, length);
          if (kind >= 0) {
            mark_length = length;
            mark_read = kind;
            mark_comma = is_comma_kind(static_cast<mark_kind>(kind));
            goto take_mark;
          }
        }
        for (std::size_t k = 0; k < length; ++k) *o++ = p[i + k];
        i += length;
        continue;
      }
      case ASCII_MARK:
        if (c == '.' && keep_ellipsis && (i + 1 >= end || p[i + 1] == '.')) goto done;
        if (after_word) {
          // Between a letter or digit and another it stays (1,000 3.14 Fig. 3).
          const int stays = next_is_alnum_at(p + i + 1, end - i - 1, text_mode);
          if (stays < 0) goto done;
          if (stays > 0) {
            after_word = 0;
            break;
          }
        }
        mark_length = 1;
        mark_read = c == ',' ? ASCII_COMMA_MARK : ASCII_FULL_STOP_MARK;
        mark_comma = c == ',';
        goto take_mark;
      case SPACE: {
        std::size_t j = i;
        while (j < end && p[j] == ' ') ++j;
        const int dropped = blank_run_drops_before(s, p + j, end - j, false);
        if (dropped < 0) goto done;
        if (dropped == 0) {
          for (; i < j; ++i) *o++ = ' ';
          continue;
        }
        if (!listened) {
          i = j;
          continue;
        }
        out.stored_up_to(o);
        s.changes->blanks_removed(out, static_cast<long long>(j - i), true,
                                  mark_at(s, p + j, end - j));
        i = j;
        goto borrow;
      }
      case CARRIAGE:
        if (text_mode) {
          // CR LF is read as a LF and is written as CR LF again; a lone CR is a byte.
          if (i + 1 >= end) goto done;
          if (p[i + 1] == '\n') {
            if (!pairs_stay) goto done;
            o[0] = '\r';
            o[1] = '\n';
            o += 2;
            i += 2;
            continue;
          }
        }
        if (!math) after_word = 0;
        break;
      case CTRL_Z:
        if (text_mode) goto done;
        if (!math) after_word = 0;
        break;
      case STOP: goto done;
    }
    // A single byte taken as it is.
    *o++ = c;
    ++i;
  }
  goto done;

take_mark : {
  // The mark at i and the blanks after it are taken here when the end of those blanks is in
  // view; otherwise the step takes them.
  const std::size_t next = i + mark_length;
  std::size_t k = next;
  while (k < end && (p[k] == ' ' || p[k] == '\t')) ++k;
  if (k >= end) goto done;
  out.stored_up_to(o);
  s.mark_read = mark_read;
  write_mark(s, styled_mark(s, mark_comma), out);
  if (k > next && listened) s.changes->blanks_removed(out, k - next, false, mark_read);
  i = k;
  goto borrow;
}

done:
  out.stored_up_to(o);
  in.skip_raw(i);
  s.after_word = after_word;
  return i > 0;
}

}  // namespace tenmaru
