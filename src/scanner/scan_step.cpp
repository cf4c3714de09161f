// The scanner step, the classifier and the mark emitters.
#include "scanner/scanner.h"

namespace tenmaru {

namespace {

constexpr int SPACE = 0x20;
constexpr int TAB = 0x09;
constexpr int LINE_FEED = 0x0A;

// Remembers which mark was found, for the listener of changes.
int mark_result(scanner& s, int kind) {
  s.mark_read = kind;
  return is_comma_kind(static_cast<mark_kind>(kind)) ? MARK_COMMA : MARK_PERIOD;
}

// A Shift-JIS character: one of the four marks, or written whole.
int classify_shift_jis_character(scanner& s, input_stream& in, int c, output_stream& out) {
  const int t = in.read();
  const unsigned char bytes[2] = {static_cast<unsigned char>(c), static_cast<unsigned char>(t)};
  const int kind = t == END_OF_INPUT ? -1 : find_mark(text_encoding::shift_jis, bytes, 2);
  if (kind >= 0) return mark_result(s, kind);
  out.put(c);
  if (t != END_OF_INPUT) out.put(t);
  return MARK_NONE;
}

// A well-formed UTF-8 sequence is one character: one of the four marks, or written whole.
// Returns -1, reading nothing, when `c` begins none: it is then a byte of its own.
int classify_utf8_character(scanner& s, input_stream& in, int c, output_stream& out) {
  const utf8_lead lead = utf8_lead_of(c);
  if (lead.continuation == 0) return -1;
  const stream_pos q = in.tell();
  unsigned char bytes[4] = {static_cast<unsigned char>(c)};
  for (int i = 1; i <= lead.continuation; ++i) {
    const int t = in.read();
    bytes[i] = t == END_OF_INPUT ? 0 : static_cast<unsigned char>(t);  // 0 continues nothing
  }
  const std::size_t size = utf8_sequence_length(bytes);
  if (size == 0) {
    in.seek(q);
    return -1;
  }
  const int kind = find_mark(text_encoding::utf8, bytes, size);
  if (kind >= 0) return mark_result(s, kind);
  out.write(bytes, size);
  return MARK_NONE;
}

// Skips the spaces and tabs after a written mark; a line feed ends the skip. Returns how many.
long long skip_blanks_after_mark(const scanner& s, input_stream& in) {
  long long skipped = -1;
  stream_pos p = 0;
  int c = 0;
  do {
    take_while(
        s, in, false, [](unsigned char b) { return b == SPACE || b == TAB; },
        [&skipped](const unsigned char*, std::size_t n) { skipped += static_cast<long long>(n); });
    in.release();
    p = in.tell();
    c = in.read();
    ++skipped;
  } while (c == SPACE || c == TAB);
  in.seek(p);
  return skipped;
}

void emit_mark(scanner& s, mark_kind kind, output_stream& out, input_stream& in) {
  write_mark(s, kind, out);
  const long long skipped = skip_blanks_after_mark(s, in);
  if (s.changes != nullptr && skipped > 0)
    s.changes->blanks_removed(out, skipped, false, s.mark_read);
}

}  // namespace

const dispatch_entry dispatch_table[] = {
    {'\\', handle_control_sequence},
    {'$', copy_inline_math},
    {' ', handle_blank_run},
    {0, nullptr},
};

int scan_step(scanner& s, input_stream& in, output_stream& out) {
  const bool copied = copy_plain_run(s, in, out);
  in.release();
  const int c = in.read();
  if (c == END_OF_INPUT) return copied ? 1 : 0;
  for (const dispatch_entry* row = dispatch_table; row->trigger != 0; ++row) {
    if (row->trigger != c) continue;
    if (row->handler == nullptr) break;
    row->handler(s, in, out);
    return 1;
  }
  if (s.in_math) {
    out.put(c);
    copy_second_byte(s, in, out, c);
    return 1;
  }
  switch (classify_char(s, in, c, out)) {
    case MARK_COMMA: emit_comma(s, out, in); break;
    case MARK_PERIOD: emit_period(s, out, in); break;
    default: break;
  }
  return 1;
}

int classify_char(scanner& s, input_stream& in, int c, output_stream& out) {
  // An ASCII comma or full stop between an ASCII letter or digit and another (1,000 3.14 Fig. 3)
  // is part of the text; every other one is a sentence mark.
  if (c == '.' && s.keep_ellipsis && copy_ellipsis(s, in, out)) return MARK_NONE;
  if (c == ',' || c == '.') {
    if (s.after_word && next_is_alnum(in)) {
      s.after_word = 0;
      out.put(c);
      return MARK_NONE;
    }
    s.mark_read = c == ',' ? ASCII_COMMA_MARK : ASCII_FULL_STOP_MARK;
    return c == ',' ? MARK_COMMA : MARK_PERIOD;
  }
  // A multi-byte character, a mark included, clears after_word.
  if (s.encoding == text_encoding::shift_jis && is_lead_byte(c)) {
    s.after_word = 0;
    return classify_shift_jis_character(s, in, c, out);
  }
  if (s.encoding == text_encoding::utf8) {
    const int result = classify_utf8_character(s, in, c, out);
    if (result >= 0) {
      s.after_word = 0;
      return result;
    }
  }
  if (is_ascii_alnum(c)) {
    s.after_word = 1;
    out.put(c);
    return MARK_NONE;
  }
  if (c != SPACE && c != TAB && c != LINE_FEED) s.after_word = 0;
  out.put(c);
  return MARK_NONE;
}

int next_is_alnum_at(const unsigned char* bytes, std::size_t size, bool text_mode) {
  for (std::size_t k = 0; k < size; ++k) {
    const unsigned char c = bytes[k];
    if (c == SPACE || c == LINE_FEED || c == TAB) continue;
    if (text_mode && c == 0x1A) return -1;  // perhaps the end of the input: the reader knows
    if (text_mode && c == '\r') {
      if (k + 1 == size) return -1;
      if (bytes[k + 1] != LINE_FEED) return 0;  // a lone CR
      ++k;
      continue;
    }
    return is_ascii_alnum(c) ? 1 : 0;
  }
  return -1;
}

// Most lookaheads end within the buffered bytes; a long run of blanks is read through.
int next_is_alnum(input_stream& in) {
  std::size_t size = 0;
  const unsigned char* bytes = in.peek_raw(size);
  const int at_hand = next_is_alnum_at(bytes, size, in.mode() == read_mode::text);
  if (at_hand >= 0) return at_hand;
  const stream_pos p = in.tell();
  int c = 0;
  do {
    c = in.read();
  } while (c == SPACE || c == LINE_FEED || c == TAB);
  in.seek(p);
  return is_ascii_alnum(c) ? 1 : 0;
}

void emit_comma(scanner& s, output_stream& out, input_stream& in) {
  emit_mark(s, styled_mark(s, 1), out, in);
}

void emit_period(scanner& s, output_stream& out, input_stream& in) {
  emit_mark(s, styled_mark(s, 0), out, in);
}

int copy_ellipsis(scanner& s, input_stream& in, output_stream& out) {
  stream_pos q = in.tell();
  int c = in.read();
  if (c != '.') {
    in.seek(q);
    return 0;
  }
  out.put('.');
  do {
    out.put(c);
    in.release();
    q = in.tell();
    c = in.read();
  } while (c == '.');
  in.seek(q);
  s.after_word = 0;
  return 1;
}

void convert(scanner& s, input_stream& in, output_stream& out) {
  while (scan_step(s, in, out) != 0) {
  }
}

}  // namespace tenmaru
