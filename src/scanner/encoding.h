// The two encodings a source may be in, the four marks in each, and what well-formed UTF-8 is.
#pragma once

#include <cstddef>

#include "stream/input_stream.h"

namespace tenmaru {

enum class text_encoding { shift_jis, utf8 };

enum mark_kind : int {
  IDEOGRAPHIC_COMMA,      // 、
  IDEOGRAPHIC_FULL_STOP,  // 。
  FULLWIDTH_COMMA,        // ，
  FULLWIDTH_FULL_STOP,    // ．
  MARK_KIND_COUNT,
};

struct encoded_mark {
  std::size_t size;
  unsigned char bytes[3];
};

inline constexpr encoded_mark SHIFT_JIS_MARKS[MARK_KIND_COUNT] = {
    {2, {0x81, 0x41}},  // 、
    {2, {0x81, 0x42}},  // 。
    {2, {0x81, 0x43}},  // ，
    {2, {0x81, 0x44}},  // ．
};

inline constexpr encoded_mark UTF8_MARKS[MARK_KIND_COUNT] = {
    {3, {0xE3, 0x80, 0x81}},  // 、 U+3001
    {3, {0xE3, 0x80, 0x82}},  // 。 U+3002
    {3, {0xEF, 0xBC, 0x8C}},  // ， U+FF0C
    {3, {0xEF, 0xBC, 0x8E}},  // ． U+FF0E
};

constexpr const encoded_mark& mark_bytes(text_encoding encoding, mark_kind kind) {
  return encoding == text_encoding::utf8 ? UTF8_MARKS[kind] : SHIFT_JIS_MARKS[kind];
}

// Whether a character that begins with `first` may be one of the four marks: 0x81 in Shift-JIS,
// 0xE3 or 0xEF in UTF-8. Most characters are ruled out by it.
constexpr bool may_begin_mark(text_encoding encoding, unsigned char first) {
  return encoding == text_encoding::utf8 ? (first == 0xE3 || first == 0xEF) : first == 0x81;
}

// Which of the four marks `bytes` are exactly, or -1.
constexpr int find_mark(text_encoding encoding, const unsigned char* bytes, std::size_t size) {
  if (size == 0 || !may_begin_mark(encoding, bytes[0])) return -1;
  for (int kind = 0; kind < MARK_KIND_COUNT; ++kind) {
    const encoded_mark& mark = mark_bytes(encoding, static_cast<mark_kind>(kind));
    if (mark.size != size) continue;
    std::size_t i = 0;
    while (i < size && bytes[i] == mark.bytes[i]) ++i;
    if (i == size) return kind;
  }
  return -1;
}

constexpr bool is_comma_kind(mark_kind kind) {
  return kind == IDEOGRAPHIC_COMMA || kind == FULLWIDTH_COMMA;
}

// A UTF-8 lead byte: how many continuation bytes follow it, and the range of the first of them
// (the later ones are always 0x80 to 0xBF). The narrower first ranges rule out overlong forms,
// surrogates and code points above U+10FFFF. `continuation` is 0 for a byte that begins no
// multi-byte sequence.
struct utf8_lead {
  int continuation;
  unsigned char first_low;
  unsigned char first_high;
};

constexpr utf8_lead utf8_lead_of(int c) {
  if (c >= 0xC2 && c <= 0xDF) return {1, 0x80, 0xBF};
  if (c == 0xE0) return {2, 0xA0, 0xBF};
  if (c == 0xED) return {2, 0x80, 0x9F};
  if (c >= 0xE1 && c <= 0xEF) return {2, 0x80, 0xBF};
  if (c == 0xF0) return {3, 0x90, 0xBF};
  if (c >= 0xF1 && c <= 0xF3) return {3, 0x80, 0xBF};
  if (c == 0xF4) return {3, 0x80, 0x8F};
  return {0, 0, 0};
}

constexpr bool is_utf8_continuation(int c) { return c >= 0x80 && c <= 0xBF; }

// The length of the well-formed UTF-8 sequence that `bytes` begin with, or 0 (also for a byte
// below 0x80). All the continuation bytes that its lead byte announces must be at hand.
constexpr std::size_t utf8_sequence_length(const unsigned char* bytes) {
  const utf8_lead lead = utf8_lead_of(bytes[0]);
  if (lead.continuation == 0) return 0;
  if (bytes[1] < lead.first_low || bytes[1] > lead.first_high) return 0;
  for (int k = 2; k <= lead.continuation; ++k) {
    if (!is_utf8_continuation(bytes[k])) return 0;
  }
  return static_cast<std::size_t>(lead.continuation) + 1;
}

// Checks bytes fed in pieces of any size for well-formed UTF-8.
class utf8_validator {
 public:
  void feed(const unsigned char* bytes, std::size_t size);
  // Valid so far, and not in the middle of a sequence.
  bool valid() const { return valid_ && pending_ == 0; }
  bool has_multibyte() const { return multibyte_; }
  bool failed() const { return !valid_; }

 private:
  bool valid_ = true;
  bool multibyte_ = false;
  int pending_ = 0;        // continuation bytes still expected
  bool first_ = false;     // the next one is the first of its sequence
  unsigned char low_ = 0;  // and its range
  unsigned char high_ = 0;
};

}  // namespace tenmaru

namespace tenmaru {

// Whether an input read from its start is UTF-8: it begins with the byte-order mark, or it is
// well-formed UTF-8 throughout with at least one multi-byte character. Reads the input as
// stored, to its end or to the first byte that rules UTF-8 out.
bool detect_utf8(input_stream& in);

}  // namespace tenmaru
