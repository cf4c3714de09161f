// Runs of spaces: written as they are, or dropped before a comma or full stop.
#include "scanner/scanner.h"

namespace tenmaru {

int handle_blank_run(scanner& s, input_stream& in, output_stream& out) {
  stream_pos p = 0;
  long long more = 0;
  const int c = read_past_spaces(s, in, p, more);
  const long long spaces = 1 + more;  // with the one already read
  if (!blank_run_is_dropped(s, in, c)) {
    for (long long i = 0; i < spaces; ++i) out.put(' ');
  } else if (s.changes != nullptr) {
    s.changes->blanks_removed(out, spaces, true, mark_starting_with(s, in, c));
  }
  in.seek(p);  // the byte that ended the run is the scanner's
  return 0;
}

namespace {

// The bytes the reader delivers from here on, `c` (read already) first, up to
// MARK_LOOKAHEAD of them; the input position is kept. Fewer come only at the end of the input.
std::size_t look_ahead(input_stream& in, int c, unsigned char* bytes) {
  bytes[0] = static_cast<unsigned char>(c);
  std::size_t n = 1;
  const stream_pos q = in.tell();
  while (n < MARK_LOOKAHEAD) {
    const int t = in.read();
    if (t == END_OF_INPUT) break;
    bytes[n++] = static_cast<unsigned char>(t);
  }
  in.seek(q);
  return n;
}

}  // namespace

int mark_at(const scanner& s, const unsigned char* bytes, std::size_t size) {
  if (size == 0) return -1;
  if (bytes[0] == ',') return ASCII_COMMA_MARK;
  if (bytes[0] == '.') return ASCII_FULL_STOP_MARK;
  const std::size_t mark_size = mark_bytes(s.encoding, IDEOGRAPHIC_COMMA).size;
  return size < mark_size ? -1 : find_mark(s.encoding, bytes, mark_size);
}

// Only what follows the run decides, not what stands before it: the spaces in 「1 ,000」 go,
// though its comma then stays. With keep_ellipsis the spaces before an ellipsis stay.
int blank_run_drops_before(const scanner& s, const unsigned char* next, std::size_t size,
                           bool complete) {
  if (size == 0) return complete ? 0 : -1;
  const unsigned char c = next[0];
  if (c == '.' && s.keep_ellipsis) {
    if (size < 2) return complete ? 1 : -1;
    if (next[1] == '.') return 0;
  }
  if (c == ',' || c == '.') return 1;
  if (!may_begin_mark(s.encoding, c)) return 0;
  const std::size_t mark_size = mark_bytes(s.encoding, IDEOGRAPHIC_COMMA).size;
  if (size < mark_size) return complete ? 0 : -1;
  return find_mark(s.encoding, next, mark_size) >= 0 ? 1 : 0;
}

int blank_run_is_dropped(const scanner& s, input_stream& in, int c) {
  if (c == END_OF_INPUT) return 0;
  unsigned char bytes[MARK_LOOKAHEAD];
  const std::size_t n = look_ahead(in, c, bytes);
  return blank_run_drops_before(s, bytes, n, true) > 0 ? 1 : 0;
}

int mark_starting_with(const scanner& s, input_stream& in, int c) {
  if (c == END_OF_INPUT) return -1;
  unsigned char bytes[MARK_LOOKAHEAD];
  return mark_at(s, bytes, look_ahead(in, c, bytes));
}

}  // namespace tenmaru
