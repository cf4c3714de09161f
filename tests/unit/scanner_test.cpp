// The scanner step and the classifier: sentence marks against the commas and full stops inside
// numbers and words, the four styles, the blank skip after a mark, and whole Shift-JIS characters.
#include <gtest/gtest.h>

#include <string>

#include "stream/file_streams.h"
#include "support/convert.h"
#include "support/sjis.h"

namespace tenmaru {
namespace {

using test::check_table;
using test::convert_bytes;
using test::readable;
using test::sjis;

TEST(Scanner, WritesEveryMarkInTheChosenStyle) {
  check_table({
      {1, "これは、テスト。", "これは，テスト。"},
      {4, "これは、テスト。", "これは、テスト．"},
      {1, "、。，．", "，。，。"},
      {2, "、。，．", "，．，．"},
      {3, "、。，．", "、。、。"},
      {4, "、。，．", "、．、．"},
      {3, ",.", "、。"},  // ASCII marks at the start: no word before them
      {2, "終わり.", "終わり．"},
  });
}

TEST(Scanner, KeepsCommasAndFullStopsBetweenLettersAndDigits) {
  check_table({
      {1, "pen. This", "pen. This"},
      {1, "pen.\nこれ", "pen。\nこれ"},  // the lookahead skips the line feed, finds a lead byte
      {1, "3.14 と 1,000", "3.14 と 1,000"},
      {1, "3. 14", "3. 14"},
      {1, "3.\n\t 14", "3.\n\t 14"},
      {1, ",a", "，a"},
      {1, "Fig.~3", "Fig。~3"},
      {1, "e.g., 3", "e.g。, 3"},
      {1, "a\t,b", "a\t,b"},  // a tab leaves after_word set
      {1, "a.,b", "a。,b"},   // a rewritten mark leaves after_word set
      {1, "1,2,3", "1,2,3"},  // each comma survives because a digit comes before it again
      {1, "a,,b", "a，,b"},
      {1, "x%テスト、", "x%テスト，"},  // a percent sign starts no comment
      {1, "a表,b", "a表，b"},           // a Shift-JIS character clears after_word
      {1, "a、,b", "a，，b"},           // so does each of the four marks
      {1, "a.", "a。"},                 // nothing after the mark
      {1, "a-,b", "a-，b"},             // other ASCII clears after_word
  });
}

TEST(Scanner, SkipsBlanksAfterAWrittenMark) {
  check_table({
      {1, "テスト、 \tです", "テスト，です"},
      {1, "テスト、\nです", "テスト，\nです"},  // a line feed ends the skip
      {1, "テスト。 \n です", "テスト。\n です"},
      {1, "x.  \t", "x。"},
  });
}

struct byte_case {
  std::string input;
  std::string expected;
  read_mode mode = read_mode::binary;
};

TEST(Scanner, HandlesOddBytesWhole) {
  const byte_case cases[] = {
      {"\x95", "\x95"},  // a lead byte as the last byte
      {"a\x95\\,b",
       "a\x95\\\x81\x43"
       "b"},  // 表: its second byte is not a backslash
      {"a\x81", "a\x81"},
      {"a\xB1,b",
       "a\xB1\x81\x43"
       "b"},                                    // half-width katakana is one byte, not a word
      {"pen.\r\nThis", "pen\x81\x42\r\nThis"},  // binary: the CR is not skipped, it clears
      {"pen.\r\nThis", "pen.\nThis", read_mode::text},
      {std::string("a\0,b", 4), std::string("a\0\x81\x43"
                                            "b",
                                            5)},
      {"a\x80,b\xFD,c",
       "a\x80\x81\x43"
       "b\xFD\x81\x43"
       "c"},
  };
  for (const auto& c : cases) {
    test::conversion how;
    how.mode = c.mode;
    EXPECT_EQ(convert_bytes(c.input, how), c.expected) << readable(c.input);
  }
}

struct line_end_case {
  read_mode mode;
  line_end_mode line_ends;
  std::string input;
  std::string expected;
};

// The fast path copies line ends itself; it must write them as the writer does.
TEST(Scanner, WritesLineEndsAsTheWriterDoes) {
  const line_end_case cases[] = {
      {read_mode::binary, line_end_mode::crlf_unless_after_cr, "\ra\n", "\ra\r\n"},
      {read_mode::binary, line_end_mode::crlf_unless_after_cr, "a\r\nb\n\n", "a\r\nb\r\n\r\n"},
      {read_mode::binary, line_end_mode::crlf_unless_after_cr, "x\r\x95\x5C\n", "x\r\x95\x5C\r\n"},
      {read_mode::binary, line_end_mode::as_is, "\ra\n\r\n", "\ra\n\r\n"},
      {read_mode::text, line_end_mode::crlf, "a\r\nb\nc\r\r\n", "a\r\nb\r\nc\r\r\n"},
      {read_mode::text, line_end_mode::crlf, "\r\n\r\n  \r\n", "\r\n\r\n  \r\n"},
      {read_mode::text, line_end_mode::crlf, "\x81\x41\r\n\x81\x42\n", "\x81\x43\r\n\x81\x42\r\n"},
      {read_mode::text, line_end_mode::as_is, "a\r\nb\r", "a\nb\r"},
  };
  for (const auto& c : cases) {
    for (std::size_t block : {1, 2, 3, 7, 4096}) {
      test::conversion how;
      how.mode = c.mode;
      how.line_ends = c.line_ends;
      how.block_size = block;
      EXPECT_EQ(convert_bytes(c.input, how), c.expected) << readable(c.input) << " block " << block;
    }
  }
}

TEST(Scanner, StepsUntilTheEndAndNoFurther) {
  const std::string input = sjis("日,本");
  memory_source source(input);
  input_stream in(source);
  memory_sink sink;
  output_stream out(sink, line_end_mode::as_is);
  scanner s;
  int steps = 0;
  while (scan_step(s, in, out) == 1) ++steps;
  EXPECT_GE(steps, 1);
  EXPECT_LE(steps, 3);  // at most one step per character
  EXPECT_EQ(scan_step(s, in, out), 0);
  out.flush();
  EXPECT_EQ(sink.text, sjis("日，本"));
}

TEST(Scanner, NextIsAlnumLeavesThePositionAlone) {
  memory_source source(" \n\tx!");
  input_stream in(source);
  EXPECT_EQ(next_is_alnum(in), 1);
  EXPECT_EQ(in.read(), ' ');
  in.seek(4);
  EXPECT_EQ(next_is_alnum(in), 0);
  EXPECT_EQ(in.read(), '!');
  EXPECT_EQ(next_is_alnum(in), 0);  // at the end
}

}  // namespace
}  // namespace tenmaru
