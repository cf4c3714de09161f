// UTF-8 sources: the same rules with whole UTF-8 characters and the UTF-8 marks, and the
// detection of the encoding.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "stream/file_streams.h"
#include "support/convert.h"
#include "support/sjis.h"

namespace tenmaru {
namespace {

using test::check_table;
using test::conversion;
using test::convert_bytes;
using test::sjis;

conversion in_utf8() {
  conversion how;
  how.encoding = text_encoding::utf8;
  return how;
}

TEST(Utf8, ConvertsWithTheSameRules) {
  check_table(
      {
          {1, "これは、テスト。", "これは，テスト。"},
          {1, "、。，．", "，。，。"},
          {2, "、。，．", "，．，．"},
          {3, "、。，．", "、。、。"},
          {4, "、。，．", "、．、．"},
          {1, "3.14 と 1,000。pen. This e.g., 3", "3.14 と 1,000。pen. This e.g。, 3"},
          {1, "終わり.", "終わり。"},
          {1, "$a, b.$、\\[x, y.\\]。", "$a, b.$，\\[x, y.\\]。"},
          {1, "\\label{eq:1.2}\\cite{a,b}、", "\\label{eq:1.2}\\cite{a,b}，"},
          {1, "\\section{はじめに、}", "\\section{はじめに、}"},
          {1, "\\textbf{強調、}", "\\textbf{強調，}"},
          {1, "\\LaTeX、です。", "\\LaTeX、です。"},
          {1, "テスト 。あ 、い ，う ．", "テスト。あ，い，う。"},
          {1, "テスト、 \tです", "テスト，です"},
          // Other characters that begin like a mark are no mark: 〃 (E3 80 83), （ (EF BC 88).
          {1, "a 〃b （c", "a 〃b （c"},
          {1, "\\[表),x\\]、", "\\[表),x\\]，"},
          {1, "a表,b", "a表，b"},  // a multi-byte character clears after_word
      },
      in_utf8());
}

TEST(Utf8, KeepsTheByteOrderMarkAndOddBytes) {
  const conversion how = in_utf8();
  // The byte-order mark is a character like any other: kept, and it clears after_word.
  EXPECT_EQ(convert_bytes("\xEF\xBB\xBF"
                          "a\xE3\x80\x81",
                          how),
            "\xEF\xBB\xBF"
            "a\xEF\xBC\x8C");
  EXPECT_EQ(convert_bytes("a\xEF\xBB\xBF,b", how),
            "a\xEF\xBB\xBF\xEF\xBC\x8C"
            "b");
  // A byte that begins no well-formed sequence is a byte of its own, which clears after_word.
  const std::pair<std::string, std::string> cases[] = {
      {"a\xE3,b",
       "a\xE3\xEF\xBC\x8C"
       "b"},  // a lead byte without its tail
      {"a\xC0\xAF,b",
       "a\xC0\xAF\xEF\xBC\x8C"
       "b"},  // an overlong form
      {"a\xED\xA0\x80,b",
       "a\xED\xA0\x80\xEF\xBC\x8C"
       "b"},  // a surrogate
      {"a\xF4\x90\x80\x80,b",
       "a\xF4\x90\x80\x80\xEF\xBC\x8C"
       "b"},                     // above U+10FFFF
      {"\xE3\x80", "\xE3\x80"},  // cut off by the end
      {"x\xE3\x80\x81", "x\xEF\xBC\x8C"},
  };
  for (const auto& [input, expected] : cases) EXPECT_EQ(convert_bytes(input, how), expected);
}

TEST(Utf8, HasNoSecondByteEffects) {
  // 0x95 0x5C is 表 in Shift-JIS; in UTF-8 0x95 is a byte of its own and \, a control sequence.
  EXPECT_EQ(convert_bytes("\x95\\,", in_utf8()), "\x95\\,");
  EXPECT_EQ(convert_bytes("\x95\\,"), "\x95\\\x81\x43");
}

bool detects(const std::string& stored, std::size_t block = input_stream::DEFAULT_BLOCK_SIZE,
             bool seekable = true) {
  memory_source source(stored, seekable);
  input_stream in(source, block);
  return detect_utf8(in);
}

TEST(Utf8, DetectsTheEncoding) {
  const std::string japanese = "これは、テスト。\n";
  const std::string long_text = std::string(100000, 'a') + japanese;
  for (std::size_t block : {1, 2, 3, 4096}) {
    for (bool seekable : {true, false}) {
      EXPECT_TRUE(detects(japanese, block, seekable));
      EXPECT_TRUE(
          detects("\xEF\xBB\xBF"
                  "abc",
                  block, seekable));  // the byte-order mark
      EXPECT_TRUE(
          detects("\xEF\xBB\xBF"
                  "\x82\xA0",
                  block, seekable));  // decides alone
      EXPECT_FALSE(detects("plain ASCII, no more.\n", block, seekable));
      EXPECT_FALSE(detects("", block, seekable));
      EXPECT_FALSE(detects("\xEF\xBB", block, seekable));
      EXPECT_FALSE(detects(sjis(japanese), block, seekable));
      EXPECT_FALSE(detects(long_text + sjis("終わり"), block, seekable));  // invalid near the end
      EXPECT_FALSE(detects(japanese + "\xE3\x80", block, seekable));       // cut off at the end
      EXPECT_FALSE(detects("\xC0\xAF", block, seekable));
      EXPECT_FALSE(detects("\xED\xA0\x80", block, seekable));
      EXPECT_FALSE(detects("\xF4\x90\x80\x80", block, seekable));
    }
  }
  // Shift-JIS text whose bytes happen to be well-formed UTF-8 for a while: 縺 (E3 81) and 0x82
  // are the UTF-8 bytes of あ, and テ (0x83 0x65) then rules UTF-8 out.
  EXPECT_FALSE(detects("\xE3\x81\x82" + sjis("テスト")));
}

}  // namespace
}  // namespace tenmaru
