#include "support/sjis.h"

#include <iconv.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace tenmaru::test {

namespace {

// Converts the whole of `in`, or returns false at the first byte that does not convert.
bool iconv_all(const char* to, const char* from, std::string_view in, std::string& out) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    std::perror("iconv_open");
    std::abort();
  }
  std::vector<char> buffer(in.size() * 4 + 16);
  char* src = const_cast<char*>(in.data());
  std::size_t src_left = in.size();
  char* dst = buffer.data();
  std::size_t dst_left = buffer.size();
  const std::size_t result = iconv(cd, &src, &src_left, &dst, &dst_left);
  iconv_close(cd);
  out.assign(buffer.data(), dst);
  return result != static_cast<std::size_t>(-1);
}

}  // namespace

std::string sjis(std::string_view utf8) {
  std::string out;
  if (!iconv_all("CP932", "UTF-8", utf8, out)) {
    std::fprintf(stderr, "no Shift-JIS form for test text: %.*s\n", static_cast<int>(utf8.size()),
                 utf8.data());
    std::abort();
  }
  return out;
}

std::string utf8_of_sjis(std::string_view sjis_text) {
  std::string out;
  if (!iconv_all("UTF-8", "CP932", sjis_text, out)) {
    std::fprintf(stderr, "test text is not Shift-JIS\n");
    std::abort();
  }
  return out;
}

std::string readable(std::string_view bytes) {
  std::string shown;
  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    const bool lead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
    std::string as_utf8;
    if (lead && i + 1 < bytes.size() && iconv_all("UTF-8", "CP932", bytes.substr(i, 2), as_utf8)) {
      shown += as_utf8;
      i += 2;
      continue;
    }
    if (c == '\r')
      shown += "\\r";
    else if (c == '\n')
      shown += "\\n";
    else if (c == '\t')
      shown += "\\t";
    else if (c >= 0x20 && c < 0x7F)
      shown += static_cast<char>(c);
    else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      shown += hex;
    }
    ++i;
  }
  return shown;
}

}  // namespace tenmaru::test
