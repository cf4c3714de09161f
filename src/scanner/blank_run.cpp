// Runs of spaces: written as they are, or dropped before a comma or full stop.
#include "scanner/scanner.h"

namespace tenmaru {

int handle_blank_run(scanner& s, input_stream& in, output_stream& out) {
  stream_pos p = 0;
  long long more = 0;
  const int c = read_past_spaces(in, p, more);
  const long long spaces = 1 + more;  // with the one already read
  if (!blank_run_is_dropped(s, in, c)) {
    for (long long i = 0; i < spaces; ++i) out.put(' ');
  } else if (s.changes != nullptr) {
    s.changes->blanks_removed(out, spaces, true, mark_starting_with(s, in, c));
  }
  in.seek(p);  // the byte that ended the run is the scanner's
  return 0;
}

// Only what follows the run decides, not what stands before it: the spaces in 「1 ,000」 go,
// though its comma then stays. With keep_ellipsis the spaces before an ellipsis stay.
int blank_run_is_dropped(const scanner& s, input_stream& in, int c) {
  if (c == '.' && s.keep_ellipsis) {
    const stream_pos q = in.tell();
    const int t = in.read();
    in.seek(q);
    if (t == '.') return 0;
  }
  return mark_starting_with(s, in, c) >= 0 ? 1 : 0;
}

int mark_starting_with(const scanner& s, input_stream& in, int c) {
  if (c == ',') return ASCII_COMMA_MARK;
  if (c == '.') return ASCII_FULL_STOP_MARK;
  if (c < 0x80) return -1;
  // One of the four marks of the source's encoding: look at the bytes after its first.
  unsigned char bytes[3] = {static_cast<unsigned char>(c)};
  const std::size_t size = mark_bytes(s.encoding, IDEOGRAPHIC_COMMA).size;
  const stream_pos q = in.tell();
  for (std::size_t i = 1; i < size; ++i) bytes[i] = static_cast<unsigned char>(in.read());
  in.seek(q);
  return find_mark(s.encoding, bytes, size);
}

}  // namespace tenmaru
