// Inline and display math between dollar signs, copied unchanged.
#include "scanner/scanner.h"

namespace tenmaru {

// Only the dollar sign is looked at: it is never the second byte of a Shift-JIS character, and a
// backslash does not escape it.
int copy_inline_math(scanner& s, input_stream& in, output_stream& out) {
  out.put('$');
  int c = in.read();
  if (c == END_OF_INPUT) return 0;
  const bool display = (c == '$');
  out.put(c);
  do {
    take_while(
        s, in, false, [](unsigned char b) { return b != '$'; },
        [&out](const unsigned char* bytes, std::size_t size) { out.write(bytes, size); });
    in.release();
    c = in.read();
    if (c == END_OF_INPUT) return 0;
    out.put(c);
  } while (c != '$');
  // Display math: the byte after the first closing dollar sign (in well-formed input the second
  // one) is copied without a look.
  if (display) {
    c = in.read();
    if (c != END_OF_INPUT) {
      out.put(c);
      copy_second_byte(s, in, out, c);
    }
  }
  return 0;
}

}  // namespace tenmaru
