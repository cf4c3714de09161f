// The real documents of the shared corpus, converted by the built program in all four styles:
// what must not change (labels, references, citation keys, graphics files, inline math) comes
// out unchanged, and plain Japanese paragraphs come out with only the chosen pair of marks.
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/cli_support.h"
#include "support/sjis.h"

#ifndef TENMARU_CORPUS_DIR
#error "TENMARU_CORPUS_DIR must name the corpus folder"
#endif

namespace tenmaru::test {
namespace {

namespace fs = std::filesystem;

bool lead_byte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

std::string without_cr(const std::string& text) {
  std::string out;
  std::copy_if(text.begin(), text.end(), std::back_inserter(out), [](char c) { return c != '\r'; });
  return out;
}

// The end of the brace group that opens at `open`, reading Shift-JIS characters whole, or npos.
std::size_t group_end(const std::string& text, std::size_t open) {
  int depth = 0;
  for (std::size_t i = open; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (lead_byte(c)) {
      ++i;
    } else if (c == '{') {
      ++depth;
    } else if (c == '}' && --depth == 0) {
      return i + 1;
    }
  }
  return std::string::npos;
}

// Every \label{}, \ref{}, \cite{} and \includegraphics[]{} and every $...$ and $$...$$, in order.
std::vector<std::string> protected_pieces(const std::string& text) {
  static const std::string commands[] = {"\\label{", "\\ref{", "\\cite{", "\\includegraphics"};
  std::vector<std::string> pieces;
  std::size_t i = 0;
  while (i < text.size()) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (lead_byte(c)) {
      i += 2;
    } else if (c == '\\') {
      std::size_t end = std::string::npos;
      for (const auto& command : commands) {
        if (text.compare(i, command.size(), command) != 0) continue;
        const std::size_t brace = text.find('{', i);
        end = brace == std::string::npos ? brace : group_end(text, brace);
      }
      if (end != std::string::npos) {
        pieces.push_back(text.substr(i, end - i));
        i = end;
      } else {
        i += 2;  // a control sequence of one character, such as \$, is no math
      }
    } else if (c == '$') {
      const bool display = text.compare(i, 2, "$$") == 0;
      const std::size_t close = text.find(display ? "$$" : "$", i + (display ? 2 : 1));
      if (close == std::string::npos) break;
      const std::size_t end = close + (display ? 2 : 1);
      pieces.push_back(text.substr(i, end - i));
      i = end;
    } else {
      ++i;
    }
  }
  return pieces;
}

std::vector<std::string> split(const std::string& text, const std::string& separator) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find(separator, start);
    parts.push_back(text.substr(start, end == std::string::npos ? end : end - start));
    if (end == std::string::npos) return parts;
    start = end + separator.size();
  }
}

std::vector<std::string> paragraphs(const std::string& text) { return split(text, "\n\n"); }
std::vector<std::string> split_lines(const std::string& text) { return split(text, "\n"); }

bool is_control_word_letter(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// The paragraphs of plain Japanese text: no backslash, dollar sign or brace in them, outside all
// braces, math environments and dollar-sign math (an odd number of dollar signs before them, as
// in BibTeX code in a verbatim block, leaves the text after them in math up to the next one),
// and not the tail of a control-word name (a name runs on over line feeds and Japanese text up
// to the next ASCII punctuation, space or digit).
std::vector<bool> plain_paragraphs(const std::vector<std::string>& paras) {
  std::vector<bool> plain;
  int depth = 0;
  bool in_math_env = false;
  bool in_dollar_math = false;
  bool name_runs_on = false;
  for (const auto& p : paras) {
    bool ok = depth == 0 && !in_math_env && !in_dollar_math && !name_runs_on;
    for (std::size_t i = 0; i < p.size(); ++i) {
      const auto c = static_cast<unsigned char>(p[i]);
      if (lead_byte(c)) {
        ++i;
        continue;
      }
      if (c == '\\' || c == '$' || c == '{' || c == '}') ok = false;
      if (c == '\\' && i + 1 < p.size() &&
          (p[i + 1] == '{' || p[i + 1] == '}' || p[i + 1] == '\\' || p[i + 1] == '$')) {
        ++i;
        continue;
      }
      if (c == '$') in_dollar_math = !in_dollar_math;
      if (c == '{') ++depth;
      if (c == '}') --depth;
      if (c == '\\') {
        for (const char* env : {"\\begin{equation", "\\begin{align", "\\begin{eqnarray"}) {
          if (p.compare(i, std::string(env).size(), env) == 0) in_math_env = true;
        }
        if (p.compare(i, 5, "\\end{") == 0) in_math_env = false;
      }
    }
    // Does a control word at the end of this paragraph run on into the next one?
    const std::size_t last = p.rfind('\\');
    name_runs_on = last != std::string::npos && last + 1 < p.size() &&
                   is_control_word_letter(static_cast<unsigned char>(p[last + 1])) &&
                   std::all_of(p.begin() + static_cast<long>(last) + 1, p.end(), [](char ch) {
                     const auto b = static_cast<unsigned char>(ch);
                     return !(b >= 0x20 && b <= 0x7E && !is_control_word_letter(b));
                   });
    plain.push_back(ok);
  }
  return plain;
}

int count(const std::string& text, const std::string& mark) {
  int n = 0;
  for (std::size_t i = 0; i + 1 < text.size(); ++i) {
    if (lead_byte(static_cast<unsigned char>(text[i]))) {
      if (text.compare(i, 2, mark) == 0) ++n;
      ++i;
    }
  }
  return n;
}

// The bodies of the verbatim environments, from \begin{NAME} to \end{NAME}, in order.
std::vector<std::string> verbatim_bodies(const std::string& text) {
  static const char* const names[] = {"verbatim",   "verbatim*", "Verbatim",
                                      "Verbatim*",  "BVerbatim", "LVerbatim",
                                      "lstlisting", "minted",    "comment"};
  std::vector<std::string> bodies;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (lead_byte(c)) {
      ++i;
      continue;
    }
    if (c != '\\') continue;
    for (const std::string name : names) {
      const std::string begin = "\\begin{" + name + "}";
      if (text.compare(i, begin.size(), begin) != 0) continue;
      const std::size_t end = text.find("\\end{" + name + "}", i);
      bodies.push_back(text.substr(i, end == std::string::npos ? end : end - i));
      if (end != std::string::npos) i = end;
      break;
    }
  }
  return bodies;
}

bool has_verbatim_material(const std::string& text) {
  return !verbatim_bodies(text).empty() || text.find("\\verb") != std::string::npos ||
         text.find("\\lstinline") != std::string::npos;
}

std::vector<fs::path> corpus_documents() {
  std::vector<fs::path> documents;
  const fs::path corpus = TENMARU_CORPUS_DIR;
  if (!fs::is_directory(corpus)) return documents;
  for (const auto& entry : fs::directory_iterator(corpus)) {
    if (entry.path().extension() == ".tex") documents.push_back(entry.path());
  }
  std::sort(documents.begin(), documents.end());
  return documents;
}

using Corpus = cli_test;

TEST_F(Corpus, ConvertsTheUtf8FormOfEachDocumentAlike) {
  const std::vector<fs::path> documents = corpus_documents();
  if (documents.empty()) GTEST_SKIP() << "no corpus at " << TENMARU_CORPUS_DIR;
  for (const auto& document : documents) {
    write_file("utf8.tex", utf8_of_sjis(read_bytes(document.string())));
    for (const char* style : {"-1", "-2", "-3", "-4"}) {
      const std::string what = document.filename().string() + " " + style;
      const run_result from_utf8 = run({style, "utf8.tex", "utf8-out.tex"});
      ASSERT_EQ(from_utf8.status, 0) << what;
      EXPECT_NE(from_utf8.err.find("input is UTF-8\n"), std::string::npos) << what;
      const run_result from_sjis = run({style, document.string(), "sjis-out.tex"});
      ASSERT_EQ(from_sjis.status, 0) << what << ": " << from_sjis.err;
      EXPECT_TRUE(sjis(read_file("utf8-out.tex")) == read_file("sjis-out.tex")) << what;
    }
  }
}

// A line as its characters, a Shift-JIS character being one.
std::vector<std::string> characters(const std::string& line) {
  std::vector<std::string> chars;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const std::size_t size = lead_byte(static_cast<unsigned char>(line[i])) ? 2 : 1;
    chars.push_back(line.substr(i, size));
    i += size - 1;
  }
  return chars;
}

struct reported_change {
  int column;
  std::string what;
};

// Applies the changes reported for one line to it, from the last to the first so that the
// columns of the earlier ones still hold. Returns the line, or a note of what did not fit.
std::string apply_changes(const std::string& line, const std::vector<reported_change>& changes) {
  std::vector<std::string> chars = characters(line);
  for (auto change = changes.rbegin(); change != changes.rend(); ++change) {
    const std::size_t at = static_cast<std::size_t>(change->column - 1);
    const std::string& what = change->what;
    if (what.rfind("removed ", 0) == 0) {
      const std::size_t count = std::stoul(what.substr(8));
      for (std::size_t i = at; i < at + count; ++i) {
        if (i >= chars.size() || (chars[i] != " " && chars[i] != "\t"))
          return "<not blanks: " + what + ">";
      }
      chars.erase(chars.begin() + static_cast<long>(at),
                  chars.begin() + static_cast<long>(at + count));
      continue;
    }
    const std::size_t arrow = what.find(" -> ");
    std::string from = what.substr(0, arrow);
    if (from.rfind("ASCII ", 0) == 0) from = from.substr(6);
    if (arrow == std::string::npos || at >= chars.size() || chars[at] != from) {
      return "<no " + from + " there: " + what + ">";
    }
    chars[at] = what.substr(arrow + 4);
  }
  std::string joined;
  for (const auto& c : chars) joined += c;
  return joined;
}

TEST_F(Corpus, CheckReportsExactlyTheChangesOfAConversion) {
  const std::vector<fs::path> documents = corpus_documents();
  if (documents.empty()) GTEST_SKIP() << "no corpus at " << TENMARU_CORPUS_DIR;
  long long reported = 0;
  for (const auto& document : documents) {
    const std::vector<std::string> input = split_lines(without_cr(read_bytes(document.string())));
    for (const char* style : {"-1", "-4"}) {
      const std::string what = document.filename().string() + " " + style;
      write_file("doc.tex", read_bytes(document.string()));
      const run_result checked = run({"--check", style, "doc.tex"});
      ASSERT_NE(checked.status, 1) << what << ": " << checked.err;
      const run_result converted = run({style, "doc.tex", "out.tex"});
      ASSERT_EQ(converted.status, 0) << what << ": " << converted.err;
      const std::vector<std::string> output = split_lines(without_cr(read_file("out.tex")));
      ASSERT_EQ(output.size(), input.size()) << what;

      std::vector<std::vector<reported_change>> changes(input.size());
      long long reported_here = 0;
      for (const std::string& line : split_lines(checked.out)) {
        if (line.empty()) continue;
        ASSERT_EQ(line.rfind("doc.tex:", 0), 0u) << line;
        const std::size_t colon = line.find(':', 8);
        const std::size_t space = line.find(": ", colon + 1);
        const auto number = std::stoul(line.substr(8, colon - 8));
        ASSERT_GE(number, 1u);
        ASSERT_LE(number, input.size()) << line;
        changes[number - 1].push_back(
            {std::stoi(line.substr(colon + 1, space - colon - 1)), line.substr(space + 2)});
        ++reported_here;
      }
      reported += reported_here;
      EXPECT_EQ(checked.status, reported_here > 0 ? 2 : 0) << what;
      for (std::size_t i = 0; i < input.size(); ++i) {
        EXPECT_EQ(apply_changes(input[i], changes[i]), output[i])
            << what << " line " << i + 1 << ": " << readable(input[i]);
      }
    }
  }
  EXPECT_GT(reported, 1000);
}

TEST_F(Corpus, KeepVerbatimLeavesEveryVerbatimBodyAsItWas) {
  const std::vector<fs::path> documents = corpus_documents();
  if (documents.empty()) GTEST_SKIP() << "no corpus at " << TENMARU_CORPUS_DIR;
  int bodies_checked = 0;
  int documents_without = 0;
  for (const auto& document : documents) {
    const std::string what = document.filename().string();
    const std::string input = read_bytes(document.string());
    const run_result kept = run({"--keep-verbatim", document.string(), "kept.tex"});
    ASSERT_EQ(kept.status, 0) << what << ": " << kept.err;
    const run_result by_default = run({document.string(), "default.tex"});
    ASSERT_EQ(by_default.status, 0) << what << ": " << by_default.err;
    const std::string kept_text = without_cr(read_file("kept.tex"));
    const std::vector<std::string> bodies = verbatim_bodies(without_cr(input));
    std::size_t from = 0;
    for (const auto& body : bodies) {
      const std::size_t at = kept_text.find(body, from);
      EXPECT_NE(at, std::string::npos) << what << ": " << readable(body.substr(0, 200));
      if (at != std::string::npos) from = at + body.size();
      ++bodies_checked;
    }
    if (!has_verbatim_material(input)) {
      EXPECT_EQ(read_file("kept.tex"), read_file("default.tex")) << what;
      ++documents_without;
    }
  }
  EXPECT_GE(bodies_checked, 20);
  EXPECT_GE(documents_without, 1);
}

TEST_F(Corpus, ConvertsEveryDocumentKeepingWhatMustNotChange) {
  const std::vector<fs::path> documents = corpus_documents();
  if (documents.empty()) GTEST_SKIP() << "no corpus at " << TENMARU_CORPUS_DIR;

  const std::string comma[] = {sjis("，"), sjis("，"), sjis("、"), sjis("、")};
  const std::string period[] = {sjis("。"), sjis("．"), sjis("。"), sjis("．")};
  const std::string all_marks[] = {sjis("、"), sjis("。"), sjis("，"), sjis("．")};
  int plain_checked = 0;
  for (const auto& document : documents) {
    const std::string input = without_cr(read_bytes(document.string()));
    const std::vector<std::string> input_pieces = protected_pieces(input);
    const std::vector<std::string> input_paragraphs = paragraphs(input);
    const std::vector<bool> plain = plain_paragraphs(input_paragraphs);
    for (int style = 1; style <= 4; ++style) {
      const std::string what = document.filename().string() + " style " + std::to_string(style);
      const run_result r = run({"-" + std::to_string(style), document.string(), "out.tex"});
      ASSERT_EQ(r.status, 0) << what << ": " << r.err;
      const std::string output = without_cr(read_file("out.tex"));
      EXPECT_EQ(protected_pieces(output), input_pieces) << what;

      const std::vector<std::string> output_paragraphs = paragraphs(output);
      ASSERT_EQ(output_paragraphs.size(), input_paragraphs.size()) << what;
      for (std::size_t i = 0; i < plain.size(); ++i) {
        if (!plain[i]) continue;
        int marks_in = 0;
        for (const auto& m : all_marks) marks_in += count(input_paragraphs[i], m);
        if (marks_in == 0) continue;
        const std::string& out = output_paragraphs[i];
        for (const auto& m : all_marks) {
          if (m == comma[style - 1] || m == period[style - 1]) continue;
          EXPECT_EQ(count(out, m), 0) << what << " paragraph " << i << ": " << readable(out);
        }
        EXPECT_GE(count(out, comma[style - 1]) + count(out, period[style - 1]), marks_in) << what;
        if (style == 1) ++plain_checked;
      }
    }
  }
  EXPECT_GE(plain_checked, 20) << "too few plain paragraphs were found to check";
}

}  // namespace
}  // namespace tenmaru::test
