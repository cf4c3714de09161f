// Big and hostile inputs: each converts completely, and the reader's memory stays bounded
// whatever the size (a source that cannot seek holds only what a lookahead needs).
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "support/convert.h"
#include "support/sjis.h"

namespace tenmaru {
namespace {

using test::conversion;
using test::convert_bytes;
using test::convert_measured;
using test::sjis;

constexpr std::size_t BIG = 8 * 1024 * 1024;
// What the reader may hold of a seekable source: a block of look behind plus a few blocks.
constexpr std::size_t BOUND = 8 * input_stream::DEFAULT_BLOCK_SIZE;

// Converts from a seekable source and from one that cannot seek, checks that both give the
// expected bytes, and that a seekable source was read in bounded memory.
void check_hostile(const std::string& input, const std::string& expected, bool pipe_bounded) {
  for (bool seekable : {true, false}) {
    conversion how;
    how.seekable = seekable;
    const auto result = convert_measured(input, how);
    ASSERT_EQ(result.output.size(), expected.size()) << "seekable " << seekable;
    ASSERT_TRUE(result.output == expected) << "seekable " << seekable;
    if (seekable || pipe_bounded) {
      EXPECT_LE(result.reader_memory, BOUND) << "seekable " << seekable;
    }
  }
}

TEST(Hostile, AHugeControlSequence) {
  const std::string input = "\\" + std::string(BIG, 'x') + sjis("、");
  check_hostile(input, input, true);
}

TEST(Hostile, AnUnclosedBraceAtTheStart) {
  std::string body;
  while (body.size() < BIG) body += sjis("これは、テスト。1,000 と $x,y$ \\cite{a,b}\n");
  check_hostile("\\foo{" + body, "\\foo{" + body, true);
}

TEST(Hostile, HugeBlankRunsAfterMarks) {
  const std::string blanks(BIG, ' ');
  // After a Japanese mark the blanks are skipped as they are read.
  check_hostile(sjis("あ、") + blanks + "\t b", sjis("あ，") + "b", true);
  // After an ASCII comma between letters, the lookahead for a letter runs over all of them:
  // a source that cannot seek holds them meanwhile.
  check_hostile("a," + blanks + "b", "a," + blanks + "b", false);
  check_hostile("a" + blanks + ",", "a\x81\x43", true);
}

TEST(Hostile, AMillionNestedBraces) {
  const std::string nested = std::string(1000000, '{') + sjis("x、") + std::string(1000000, '}');
  check_hostile("\\foo" + nested + sjis("、"), "\\foo" + nested + sjis("，"), true);
}

TEST(Hostile, NulBytesThroughout) {
  std::string input;
  std::string expected;
  for (int i = 0; i < 100000; ++i) {
    input += sjis("こ") + '\0' + sjis("、") + '\0' + "\\a" + '\0' + "{b," + '\0' + "}" + '\0';
    expected += sjis("こ") + '\0' + sjis("，") + '\0' + "\\a" + '\0' + "{b," + '\0' + "}" + '\0';
  }
  check_hostile(input, expected, true);
}

TEST(Hostile, VeryLongLines) {
  std::string line;
  while (line.size() < BIG) line += sjis("長い行、");
  std::string expected;
  while (expected.size() < BIG) expected += sjis("長い行，");
  check_hostile(line + "\n" + line, expected + "\n" + expected, true);
}

TEST(Hostile, RandomBytesConvertTheSameWhateverTheBlockSize) {
  std::mt19937 random(20261211);
  std::string input(BIG / 4, '\0');
  for (auto& c : input) c = static_cast<char>(random());
  for (read_mode mode : {read_mode::binary, read_mode::text}) {
    conversion how;
    how.mode = mode;
    const std::string reference = convert_bytes(input, how);
    how.block_size = 7;
    how.seekable = false;
    EXPECT_TRUE(convert_bytes(input, how) == reference);
  }
}

}  // namespace
}  // namespace tenmaru
