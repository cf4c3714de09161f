// Runs of spaces: written as they are, or dropped before a comma or full stop.
#include "scanner/scanner.h"

namespace tenmaru {

int handle_blank_run(scanner& s, input_stream& in, output_stream& out) {
  long long spaces = 1;  // the one already read
  stream_pos p = 0;
  int c = 0;
  for (;;) {
    in.release();
    p = in.tell();
    c = in.read();
    if (c != ' ') break;
    ++spaces;
  }
  if (!blank_run_is_dropped(s, in, c)) {
    for (long long i = 0; i < spaces; ++i) out.put(' ');
  }
  in.seek(p);  // the byte that ended the run is the scanner's
  return 0;
}

// Only what follows the run decides, not what stands before it: the spaces in 「1 ,000」 go,
// though its comma then stays.
// With keep_ellipsis the spaces before an ellipsis stay.
int blank_run_is_dropped(const scanner& s, input_stream& in, int c) {
  if (c == ',') return 1;
  if (c != '.' && c != MARK_LEAD) return 0;
  const stream_pos q = in.tell();
  const int t = in.read();
  in.seek(q);
  if (c == '.') return (s.keep_ellipsis && t == '.') ? 0 : 1;
  return (t >= 0x41 && t <= 0x44) ? 1 : 0;
}

}  // namespace tenmaru
