#include "scanner/encoding.h"

#include <cstdint>
#include <cstring>

namespace tenmaru {

namespace {

constexpr unsigned char UTF8_BYTE_ORDER_MARK[] = {0xEF, 0xBB, 0xBF};

}  // namespace

void utf8_validator::feed(const unsigned char* bytes, std::size_t size) {
  constexpr std::uint64_t HIGH_BITS = 0x8080808080808080u;
  for (std::size_t i = 0; i < size && valid_; ++i) {
    // Runs of ASCII, eight bytes at a time.
    while (pending_ == 0 && i + 8 <= size) {
      std::uint64_t word = 0;
      std::memcpy(&word, bytes + i, sizeof word);
      if ((word & HIGH_BITS) != 0) break;
      i += 8;
    }
    if (i == size) break;
    const unsigned char c = bytes[i];
    if (pending_ > 0) {
      const bool ok = first_ ? (c >= low_ && c <= high_) : is_utf8_continuation(c);
      valid_ = ok;
      first_ = false;
      --pending_;
      continue;
    }
    if (c < 0x80) continue;
    const utf8_lead lead = utf8_lead_of(c);
    // A whole sequence at hand is checked at once (most of Japanese text is three bytes long).
    if (lead.continuation > 0 && i + static_cast<std::size_t>(lead.continuation) < size) {
      valid_ = utf8_sequence_length(bytes + i) > 0;
      multibyte_ = true;
      i += static_cast<std::size_t>(lead.continuation);
      continue;
    }
    valid_ = lead.continuation > 0;
    multibyte_ = true;
    pending_ = lead.continuation;
    first_ = true;
    low_ = lead.first_low;
    high_ = lead.first_high;
  }
}

bool detect_utf8(input_stream& in) {
  utf8_validator validator;
  std::size_t seen = 0;
  bool byte_order_mark = true;
  for (;;) {
    std::size_t size = 0;
    const unsigned char* bytes = in.peek_raw(size);
    if (size == 0) break;
    for (std::size_t i = 0; seen + i < sizeof UTF8_BYTE_ORDER_MARK && i < size; ++i) {
      byte_order_mark = byte_order_mark && bytes[i] == UTF8_BYTE_ORDER_MARK[seen + i];
    }
    if (byte_order_mark && seen + size >= sizeof UTF8_BYTE_ORDER_MARK) return true;
    validator.feed(bytes, size);
    in.skip_raw(size);
    seen += size;
    if (validator.failed()) return false;
  }
  return validator.valid() && validator.has_multibyte();
}

}  // namespace tenmaru
