// The benchmark's reference point: one bare pass over the bytes of a Shift-JIS file, with no TeX
// awareness at all, as a lower bound for what any conversion of the file costs.
//
//   reference_pass input output
//
// It streams the input in blocks, steps over two-byte characters (a lead byte 0x81-0x9F or
// 0xE0-0xFC takes the next byte along), rewrites the four marks 0x81 0x41 to 0x81 0x44 to the
// default style (0x81 0x43 for the commas, 0x81 0x42 for the full stops) and writes every LF that
// does not follow a CR as CR LF, as tenmaru's output does. On a plain Japanese text without TeX
// constructs, spaces or ASCII marks its output is tenmaru's byte for byte.
#include <cstddef>
#include <cstdio>
#include <vector>

namespace {

// The same block size as tenmaru's reader and writer.
constexpr std::size_t BLOCK_SIZE = 64 * 1024;

enum byte_kind : unsigned char { ORDINARY = 0, LEAD = 1, LINE_FEED = 2 };

struct kind_table {
  unsigned char kind[256] = {};
  constexpr kind_table() {
    for (int c = 0x81; c <= 0x9F; ++c) kind[c] = LEAD;
    for (int c = 0xE0; c <= 0xFC; ++c) kind[c] = LEAD;
    kind['\n'] = LINE_FEED;
  }
};

constexpr kind_table KINDS;

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("usage: reference_pass input output\n", stderr);
    return 2;
  }
  std::FILE* in = std::fopen(argv[1], "rb");
  if (in == nullptr) {
    std::fprintf(stderr, "cannot open %s\n", argv[1]);
    return 1;
  }
  std::FILE* out = std::fopen(argv[2], "wb");
  if (out == nullptr) {
    std::fprintf(stderr, "cannot open %s\n", argv[2]);
    return 1;
  }

  // One byte more than a block: a lead byte that ends a block waits there for its second byte.
  std::vector<unsigned char> input(BLOCK_SIZE + 1);
  // A block comes out at most twice as long (every byte a LF).
  std::vector<unsigned char> output(2 * (BLOCK_SIZE + 1));
  std::size_t carried = 0;  // 0 or 1: a lead byte kept from the previous block
  bool after_cr = false;    // the last byte written was a CR
  bool ok = true;

  for (;;) {
    const std::size_t got = std::fread(input.data() + carried, 1, BLOCK_SIZE, in);
    if (got == 0) break;
    const std::size_t end = carried + got;
    const unsigned char* const src = input.data();
    unsigned char* const dst = output.data();
    std::size_t i = 0;
    std::size_t o = 0;
    // The CR test looks one byte back; at the start of a block it uses what the last one ended on.
    if (src[0] == '\n' && carried == 0) {
      if (!after_cr) dst[o++] = '\r';
      dst[o++] = '\n';
      i = 1;
    }
    while (i < end) {
      const unsigned char c = src[i];
      switch (KINDS.kind[c]) {
        case ORDINARY:
          dst[o++] = c;
          ++i;
          break;
        case LINE_FEED:
          if (src[i - 1] != '\r') dst[o++] = '\r';
          dst[o++] = '\n';
          ++i;
          break;
        default: {
          if (i + 1 == end) goto block_done;  // the second byte is in the next block
          unsigned char t = src[i + 1];
          // 0x41 and 0x43 are commas, 0x42 and 0x44 full stops.
          if (c == 0x81 && t >= 0x41 && t <= 0x44) t = (t & 1) ? 0x43 : 0x42;
          dst[o++] = c;
          dst[o++] = t;
          i += 2;
          break;
        }
      }
    }
  block_done:
    carried = end - i;  // 0, or the one lead byte left over
    if (o > 0) after_cr = dst[o - 1] == '\r';
    if (std::fwrite(dst, 1, o, out) != o) {
      ok = false;
      break;
    }
    if (carried == 1) input[0] = src[end - 1];
  }
  // A lead byte at the very end of the file has no second byte: it is written as it is.
  if (ok && carried == 1 && std::fwrite(input.data(), 1, 1, out) != 1) ok = false;
  if (std::ferror(in)) {
    std::fprintf(stderr, "cannot read %s\n", argv[1]);
    ok = false;
  }
  if (std::fclose(out) != 0) ok = false;
  std::fclose(in);
  if (!ok) std::fprintf(stderr, "cannot write %s\n", argv[2]);
  return ok ? 0 : 1;
}
