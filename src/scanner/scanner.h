// The source scanner: reads a Shift-JIS (p)LaTeX source one unit at a time and writes it again
// with every sentence comma and full stop in the chosen style, leaving alone what must not change.
//
// All state of one conversion lives in a `scanner`, handed to every function with the two
// streams, so that any number of conversions can run one after another in one process.
#pragma once

#include <cstddef>

#include "stream/input_stream.h"
#include "stream/output_stream.h"

namespace tenmaru {

// What classify_char found: the byte (or character) was written already, or it is a sentence
// comma or full stop that the caller writes in the chosen style.
enum : int { MARK_NONE = 0, MARK_COMMA = 1, MARK_PERIOD = 2 };

inline constexpr int DEFAULT_PUNCT_STYLE = 1;
inline constexpr int PUNCT_STYLE_COUNT = 4;

// The first byte of each of the four marks 、。，． (0x81 0x41 to 0x81 0x44).
inline constexpr int MARK_LEAD = 0x81;

// A Shift-JIS lead byte begins a two-byte character; its second byte is never read as ASCII.
constexpr bool is_lead_byte(int c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// Exactly A-Z, a-z and 0-9: no other byte counts as part of a word.
constexpr bool is_ascii_alnum(int c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

struct scanner {
  int punct_style = DEFAULT_PUNCT_STYLE;  // 1 to 4, set from the command line
  int in_math = 0;     // inside \[ \], \( \) or a math environment: text is copied unchanged
  int after_word = 0;  // the last byte that set or cleared it was an ASCII letter or digit
};

// A handler takes over at its trigger byte (already read), consumes its whole construct and
// writes it; its result is ignored.
using handler_fn = int (*)(scanner& s, input_stream& in, output_stream& out);

struct dispatch_entry {
  int trigger;         // the byte that hands control to the handler; 0 ends the table
  handler_fn handler;  // none: the byte goes on to the math test and the classifier
};

extern const dispatch_entry dispatch_table[];

// Processes one unit of input: a byte, a two-byte character or a handler's construct. Returns 0
// when the input was already at its end (nothing written), 1 otherwise.
int scan_step(scanner& s, input_stream& in, output_stream& out);

// Classifies the byte `c` just read: writes it (and the second byte of its character) and
// returns MARK_NONE, or returns MARK_COMMA or MARK_PERIOD with nothing written.
int classify_char(scanner& s, input_stream& in, int c, output_stream& out);

// Whether the next byte after any spaces, tabs and line feeds is an ASCII letter or digit;
// the input position is left where it was.
int next_is_alnum(input_stream& in);

// Write the comma or full stop of the chosen style, then skip the spaces and tabs after it.
void emit_comma(scanner& s, output_stream& out, input_stream& in);
void emit_period(scanner& s, output_stream& out, input_stream& in);

// Runs scan_step to the end of the input.
void convert(scanner& s, input_stream& in, output_stream& out);

}  // namespace tenmaru
