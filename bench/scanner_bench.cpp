// Micro-benchmarks of the scanner on in-memory streams: one kind of text at a time, about 1 MiB of
// it, converted in style 1 with the default block sizes and CR LF output, as the program runs.
// Each prints its throughput, so that a change to one handler shows where it counts.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <string>
#include <string_view>

#include "scanner/scanner.h"
#include "stream/file_streams.h"

namespace {

using namespace tenmaru;

constexpr std::size_t TARGET_SIZE = 1 << 20;

// The piece repeated until the text is about TARGET_SIZE bytes long.
std::string repeated(std::string_view piece) {
  std::string text;
  text.reserve(TARGET_SIZE + piece.size());
  while (text.size() < TARGET_SIZE) text.append(piece);
  return text;
}

// Shift-JIS pieces, written as bytes; the comments show them as UTF-8.

// 本稿では、句読点の統一について述べる。図表は，後で示す．
const std::string PLAIN_JAPANESE = repeated(
    "\x96\x7b\x8d\x65\x82\xc5\x82\xcd\x81\x41\x8b\xe5\x93\xc7\x93\x5f\x82\xcc\x93\x9d\x88\xea"
    "\x82\xc9\x82\xc2\x82\xa2\x82\xc4\x8f\x71\x82\xd7\x82\xe9\x81\x42\x90\x7d\x95\x5c\x82\xcd"
    "\x81\x43\x8c\xe3\x82\xc5\x8e\xa6\x82\xb7\x81\x44\n");

// ASCII words, numbers and marks: 1,000 and 3.14 keep theirs, the sentence marks do not.
const std::string ASCII_TEXT =
    repeated("The value is 1,000 or 3.14, e.g. in Fig. 3 of the paper. See also Table 2.\n");

// Inline math with commas and full stops that stay.
const std::string INLINE_MATH = repeated("$f(x) = a, b. \\alpha_{1,2}$ \x82\xc6 $x = 1,000$\n");

// Commands with arguments: references, citations, labels and a graphics file.
const std::string COMMANDS = repeated(
    "\\cite{tanaka2020,suzuki2021}\\ref{fig.3}\\label{eq:1.2}"
    "\\includegraphics[width=.5\\linewidth]{fig/a.eps}\\textbf{\x8b\xad\x92\xb2\x81\x41}\n");

// Runs of spaces, some of them before a mark.
const std::string BLANKS = repeated("a    b        ,    c   \x81\x41    d\t \t e\n");

void convert_text(benchmark::State& state, const std::string& text) {
  for (auto _ : state) {
    memory_source source(text);
    input_stream in(source);
    in.set_mode(read_mode::binary);
    memory_sink sink;
    sink.text.reserve(2 * text.size());
    output_stream out(sink, line_end_mode::crlf_unless_after_cr);
    scanner s;
    convert(s, in, out);
    out.flush();
    benchmark::DoNotOptimize(sink.text.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(text.size()));
}

void BM_PlainJapanese(benchmark::State& state) { convert_text(state, PLAIN_JAPANESE); }
void BM_AsciiText(benchmark::State& state) { convert_text(state, ASCII_TEXT); }
void BM_InlineMath(benchmark::State& state) { convert_text(state, INLINE_MATH); }
void BM_Commands(benchmark::State& state) { convert_text(state, COMMANDS); }
void BM_Blanks(benchmark::State& state) { convert_text(state, BLANKS); }

BENCHMARK(BM_PlainJapanese)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AsciiText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InlineMath)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Commands)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Blanks)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
