// The reader and the writer: what each mode delivers, exact positions across block boundaries,
// the Ctrl-Z rule, memory that does not grow with the input, and errors.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "stream/file_streams.h"
#include "support/sjis.h"

namespace tenmaru {
namespace {

using test::readable;

constexpr std::size_t BLOCK_SIZES[] = {1, 2, 3, 7, input_stream::DEFAULT_BLOCK_SIZE};

std::string read_all(input_stream& in) {
  std::string bytes;
  for (int c = in.read(); c != END_OF_INPUT; c = in.read()) bytes += static_cast<char>(c);
  return bytes;
}

struct reading_case {
  read_mode mode;
  std::string stored;
  std::string delivered;
};

const reading_case READING_CASES[] = {
    {read_mode::binary, "a\r\nb\rc\x1a\x1a", "a\r\nb\rc\x1a\x1a"},
    {read_mode::text, "a\r\nb", "a\nb"},
    {read_mode::text, "a\rb\r", "a\rb\r"},              // a CR without LF stays a CR
    {read_mode::text, "a\r\r\nb\n\r\n", "a\r\nb\n\n"},  // CR CR LF: the first CR stays
    {read_mode::text, "end\x1a", "end"},                // the old end-of-file mark
    {read_mode::text, "end\x1a\x1a\x1a", "end"},
    {read_mode::text, "\x1a", ""},
    {read_mode::text,
     "a\x1a"
     "b",
     "a\x1a"
     "b"},  // a Ctrl-Z with text after it is a byte
    {read_mode::text, "a\x1a\x1a\r\n\x1a", "a\x1a\x1a\n"},
    {read_mode::text, "", ""},
};

TEST(InputStream, DeliversTheBytesOfEachModeWhateverTheBlockSizeAndSource) {
  for (const auto& c : READING_CASES) {
    for (std::size_t block : BLOCK_SIZES) {
      for (bool seekable : {true, false}) {
        memory_source source(c.stored, seekable, 2);
        input_stream in(source, block);
        in.set_mode(c.mode);
        EXPECT_EQ(read_all(in), c.delivered)
            << readable(c.stored) << " block " << block << " seekable " << seekable;
        EXPECT_EQ(in.read(), END_OF_INPUT);
        EXPECT_FALSE(in.failed());
      }
    }
  }
}

// From every position, read some bytes ahead, seek back and check that the same bytes follow.
void check_every_position_leads_back(const std::string& stored, read_mode mode, std::size_t block,
                                     bool seekable, std::size_t ahead) {
  memory_source whole(stored);
  input_stream reference(whole);
  reference.set_mode(mode);
  const std::string delivered = read_all(reference);

  memory_source source(stored, seekable);
  input_stream in(source, block);
  in.set_mode(mode);
  for (std::size_t i = 0; i < delivered.size(); ++i) {
    in.release();
    const stream_pos p = in.tell();
    std::string first;
    for (std::size_t k = 0; k < ahead; ++k) first += static_cast<char>(in.read());
    in.seek(p);
    std::string again;
    for (std::size_t k = 0; k < ahead; ++k) again += static_cast<char>(in.read());
    ASSERT_EQ(first, again) << "at " << i << " block " << block;
    in.seek(p);
    ASSERT_EQ(in.read(), static_cast<unsigned char>(delivered[i])) << "at " << i;
  }
  EXPECT_EQ(in.read(), END_OF_INPUT);
}

TEST(InputStream, EveryToldPositionLeadsBackToTheSameByte) {
  const std::string stored =
      "ab\r\ncd\r\r\n\x1a"
      "e\rf\n\r\ngh\x1a\x1a";
  for (read_mode mode : {read_mode::binary, read_mode::text}) {
    for (std::size_t block : BLOCK_SIZES) {
      for (bool seekable : {true, false}) {
        for (std::size_t ahead : {1, 2, 5}) {
          check_every_position_leads_back(stored, mode, block, seekable, ahead);
        }
      }
    }
  }
}

TEST(InputStream, SeeksBackFarBehindTheCursor) {
  // A lookahead over more than the reader keeps of a seekable source: it reads the bytes again.
  std::string stored(8 * 1024 * 1024, ' ');
  stored += "\r\nend";
  for (bool seekable : {true, false}) {
    memory_source source(stored, seekable);
    input_stream in(source, 4096);
    in.set_mode(read_mode::text);
    ASSERT_EQ(in.read(), ' ');
    const stream_pos p = in.tell();
    while (in.read() == ' ') {
    }
    EXPECT_EQ(in.read(), 'e');
    in.seek(p);
    EXPECT_EQ(in.tell(), p);
    EXPECT_EQ(in.read(), ' ');
    if (seekable) {
      EXPECT_LE(in.buffered_capacity(), 512u * 1024);
    }
  }
}

TEST(InputStream, MemoryDoesNotGrowWithTheInput) {
  const std::string stored(16 * 1024 * 1024, 'x');
  for (bool seekable : {true, false}) {
    memory_source source(stored, seekable);
    input_stream in(source);
    std::size_t count = 0;
    for (;;) {
      in.release();
      if (in.read() == END_OF_INPUT) break;
      ++count;
    }
    EXPECT_EQ(count, stored.size());
    EXPECT_LE(in.buffered_capacity(), 4 * input_stream::DEFAULT_BLOCK_SIZE);
  }
}

TEST(InputStream, ProbeThenRewindOnAPipe) {
  // The driver reads the first line in binary mode, then starts again from 0 in the chosen mode.
  const std::string stored = "first\r\nsecond\r\n";
  memory_source source(stored, false, 3);
  input_stream in(source, 2);
  while (in.read() != '\r') {
  }
  in.seek(0);
  in.set_mode(read_mode::text);
  EXPECT_EQ(read_all(in), "first\nsecond\n");
}

class failing_source final : public byte_source {
 public:
  explicit failing_source(std::size_t good) : good_(good) {}
  std::ptrdiff_t read(unsigned char* into, std::size_t size) override {
    if (good_ == 0) return -1;
    const std::size_t n = std::min(size, good_);
    std::fill(into, into + n, 'a');
    good_ -= n;
    return static_cast<std::ptrdiff_t>(n);
  }
  bool seekable() const override { return false; }
  bool seek(stream_pos) override { return false; }

 private:
  std::size_t good_;
};

TEST(InputStream, AReadErrorEndsTheInputAndIsRemembered) {
  failing_source source(5);
  input_stream in(source, 2);
  EXPECT_EQ(read_all(in), "aaaaa");
  EXPECT_TRUE(in.failed());
}

struct writing_case {
  line_end_mode mode;
  std::string given;
  std::string written;
};

const writing_case WRITING_CASES[] = {
    {line_end_mode::crlf, "a\nb\n", "a\r\nb\r\n"},
    {line_end_mode::crlf, "a\r\nb\r", "a\r\r\nb\r"},  // text-mode input: CR CR LF stays so
    {line_end_mode::crlf_unless_after_cr, "a\nb\r\nc\r\rd\n", "a\r\nb\r\nc\r\rd\r\n"},
    {line_end_mode::as_is, "a\nb\r\n", "a\nb\r\n"},
};

TEST(OutputStream, TranslatesLineEndsWhateverTheBlockSize) {
  for (const auto& c : WRITING_CASES) {
    for (std::size_t block : {2, 3, 64}) {
      memory_sink sink;
      output_stream out(sink, c.mode, block);
      for (char ch : c.given) out.put(static_cast<unsigned char>(ch));
      EXPECT_TRUE(out.flush());
      EXPECT_EQ(sink.text, c.written) << readable(c.given) << " block " << block;
    }
  }
}

class failing_sink final : public byte_sink {
 public:
  bool write(const unsigned char*, std::size_t) override {
    ++writes;
    return false;
  }
  int writes = 0;
};

TEST(OutputStream, BuffersAndRemembersAWriteError) {
  failing_sink sink;
  output_stream out(sink, line_end_mode::crlf, 16);
  for (int i = 0; i < 10; ++i) out.put('x');
  EXPECT_EQ(sink.writes, 0);  // nothing reaches the sink byte by byte
  for (int i = 0; i < 100; ++i) out.put('x');
  EXPECT_TRUE(out.failed());
  EXPECT_FALSE(out.flush());
  EXPECT_EQ(sink.writes, 1);  // reported once, the rest dropped
}

}  // namespace
}  // namespace tenmaru
