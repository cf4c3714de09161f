// The scanner step, the classifier and the mark emitters.
#include "scanner/scanner.h"

namespace tenmaru {

namespace {

constexpr int SPACE = 0x20;
constexpr int TAB = 0x09;
constexpr int LINE_FEED = 0x0A;

// The second bytes of the marks written in each style (all four marks begin with MARK_LEAD).
struct style_marks {
  unsigned char comma;
  unsigned char period;
};

constexpr style_marks style_table[PUNCT_STYLE_COUNT] = {
    {0x43, 0x42},  // 1: ， and 。
    {0x43, 0x44},  // 2: ， and ．
    {0x41, 0x42},  // 3: 、 and 。
    {0x41, 0x44},  // 4: 、 and ．
};

const style_marks& marks_of(const scanner& s) { return style_table[s.punct_style - 1]; }

// The second bytes that make MARK_LEAD one of the four marks.
constexpr bool is_comma_mark(int second) { return second == 0x41 || second == 0x43; }
constexpr bool is_period_mark(int second) { return second == 0x42 || second == 0x44; }

// Skips the spaces and tabs after a written mark; a line feed ends the skip.
void skip_blanks_after_mark(input_stream& in) {
  stream_pos p = 0;
  int c = 0;
  do {
    in.release();
    p = in.tell();
    c = in.read();
  } while (c == SPACE || c == TAB);
  in.seek(p);
}

void emit_mark(unsigned char second, output_stream& out, input_stream& in) {
  out.put(MARK_LEAD);
  out.put(second);
  skip_blanks_after_mark(in);
}

}  // namespace

const dispatch_entry dispatch_table[] = {
    {'\\', handle_control_sequence},
    {'$', copy_inline_math},
    {' ', handle_blank_run},
    {0, nullptr},
};

int scan_step(scanner& s, input_stream& in, output_stream& out) {
  in.release();
  const int c = in.read();
  if (c == END_OF_INPUT) return 0;
  for (const dispatch_entry* row = dispatch_table; row->trigger != 0; ++row) {
    if (row->trigger != c) continue;
    if (row->handler == nullptr) break;
    row->handler(s, in, out);
    return 1;
  }
  if (s.in_math) {
    out.put(c);
    copy_second_byte(in, out, c);
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
    return c == ',' ? MARK_COMMA : MARK_PERIOD;
  }
  if (is_lead_byte(c)) {
    s.after_word = 0;
    const int t = in.read();
    if (c == MARK_LEAD && is_comma_mark(t)) return MARK_COMMA;
    if (c == MARK_LEAD && is_period_mark(t)) return MARK_PERIOD;
    out.put(c);
    if (t != END_OF_INPUT) out.put(t);
    return MARK_NONE;
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

int next_is_alnum(input_stream& in) {
  const stream_pos p = in.tell();
  int c = 0;
  do {
    c = in.read();
  } while (c == SPACE || c == LINE_FEED || c == TAB);
  in.seek(p);
  return is_ascii_alnum(c) ? 1 : 0;
}

void emit_comma(scanner& s, output_stream& out, input_stream& in) {
  emit_mark(marks_of(s).comma, out, in);
}

void emit_period(scanner& s, output_stream& out, input_stream& in) {
  emit_mark(marks_of(s).period, out, in);
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
