// The handlers of the dispatch table: control sequences and environments, inline math and blank
// runs, with whole Shift-JIS characters everywhere and nothing lost to the fixed buffers.
#include <gtest/gtest.h>

#include <string>

#include "support/convert.h"
#include "support/sjis.h"

namespace tenmaru {
namespace {

using test::check_table;
using test::convert_bytes;
using test::readable;
using test::sjis;

TEST(ControlSequence, CopiesTheArgumentsOfCommands) {
  check_table({
      {1, "\\label{eq:1.2}\\ref{fig.a}\\cite{a,b}、", "\\label{eq:1.2}\\ref{fig.a}\\cite{a,b}，"},
      {1, "\\includegraphics[width=.5\\linewidth]{a.eps}",
       "\\includegraphics[width=.5\\linewidth]{a.eps}"},
      {1, "\\section{はじめに、}", "\\section{はじめに、}"},
      {1, "\\section*{はじめに、}", "\\section*{はじめに，}"},  // '*' ends the name, no group
      {1, "\\foo{a{b}c}.", "\\foo{a{b}c}。"},
      {1, "\\foo[a]{b} [c]、", "\\foo[a]{b} [c]，"},
      {1, "\\foo [a,b]  {c.d}\t[e、]", "\\foo [a,b]  {c.d}\t[e，]"},  // a tab ends the groups
      {1, "\\foo{a}\n{b、}", "\\foo{a}\n{b，}"},                      // so does a line feed
      {1, "\\foo[a{]}、", "\\foo[a{]}，"},  // a bracket group counts brackets only
      {1, "\\foo{[}]、", "\\foo{[}]，"},    // and a brace group braces only
      {1, "\\foo{\\}},", "\\foo{\\}}，"},   // no escape inside a group: it ends at the first }
      {1, "\\foo{50%}、", "\\foo{50%}，"},
      {1, "\\TeX .", "\\TeX 。"},  // the space is gathered with the name and written
      {1, "\\item テスト、", "\\item テスト，"},
      {1, "a\\foo{x}, b", "a\\foo{x}, b"},  // after_word still holds from the letter before
  });
}

TEST(ControlSequence, ConvertsTheArgumentsOfTextCommands) {
  check_table({
      {1, "\\textbf{強調、}", "\\textbf{強調，}"},
      {3, "\\mbox{a,b}\\textit{x．}", "\\mbox{a,b}\\textit{x。}"},
      {1, "\\mbox .", "\\mbox。"},  // only the name is gathered: the blank run goes
      {1, "\\textbfx{強調、}", "\\textbfx{強調、}"},
      {1, "\\[\\mbox{a, b.}\\]", "\\[\\mbox{a, b.}\\]"},  // in math the math rule copies it
  });
}

TEST(ControlSequence, CopiesSingleCharacterSequencesWhole) {
  check_table({
      {1, "\\\\、", "\\\\，"},
      {1, "x\\,、\\.", "x\\,，\\."},
      {1, "\\$x,\\%y.", "\\$x，\\%y。"},
      {1, "\\{a、\\}", "\\{a，\\}"},
      {1, "\\ 、", "\\ ，"},
      {1, "\\1,", "\\1，"},
  });
}

TEST(ControlSequence, NamesEndOnlyAtDelimiters) {
  check_table({
      {1, "\\par\n次の、文。\n", "\\par\n次の、文。\n"},  // a line feed does not end a name
      {1, "\\LaTeX、です。", "\\LaTeX、です。"},          // nor does a Shift-JIS character
      {1, "\\LaTeX、です{x,y}、", "\\LaTeX、です{x,y}，"},
      {1, "\\verb|a, b.|", "\\verb|a, b。|"},  // \verb is an ordinary command
  });
}

TEST(ControlSequence, SwitchesMathOnAndOff) {
  check_table({
      {1, "\\[x, y.\\]、", "\\[x, y.\\]，"},
      {1, "\\(a,b\\)。", "\\(a,b\\)。"},
      {1, "\\begin{equation}x, y.\\end{equation}、", "\\begin{equation}x, y.\\end{equation}，"},
      {1, "\\begin{equation*}x.\\end{equation*}.", "\\begin{equation*}x.\\end{equation*}。"},
      {1, "\\begin {equation}x.\\end{equation}", "\\begin {equation}x.\\end{equation}"},
      {1, "\\begin[t]{align}x.\\end{align}", "\\begin[t]{align}x.\\end{align}"},
      {1, "\\begin{itemize}x、\\end{itemize}", "\\begin{itemize}x，\\end{itemize}"},
      {1, "\\begin{aligned}x、\\end{aligned}", "\\begin{aligned}x，\\end{aligned}"},
      {1, "\\begin{}、", "\\begin{}，"},
      // One flag, not a count: the \end of another listed environment ends math.
      {1, "\\begin{align}x.\\end{equation}y.", "\\begin{align}x.\\end{equation}y。"},
      {1, "\\begin{gather}\\begin{aligned}a.\\end{aligned}b.\\end{gather}c.",
       "\\begin{gather}\\begin{aligned}a.\\end{aligned}b.\\end{gather}c。"},
      // In math a command's groups are not copied as groups, and text passes unchanged.
      {1, "\\[\\frac{a}{b}, c.\\]", "\\[\\frac{a}{b}, c.\\]"},
  });
}

TEST(ControlSequence, EndOfInputInsideEveryConstruct) {
  check_table({
      {1, "\\", "\\"},
      {1, "a、\\foo", "a，\\foo"},
      {1, "\\foo ", "\\foo "},
      {1, "\\foo{abc", "\\foo{abc"},
      {1, "\\foo [a] [b", "\\foo [a] [b"},
      {1, "\\begin", "\\begin"},
      {1, "\\begin [x", "\\begin [x"},
      {1, "\\begin{equ", "\\begin{equ"},
      {1, "\\end{", "\\end{"},
  });
}

TEST(ControlSequence, ReadsShiftJisCharactersWhole) {
  // 本 is 0x96 0x7B, 図 is 0x90 0x7D, 表 is 0x95 0x5C: their second bytes look like { } and \.
  check_table({
      {1, "\\section{本}、", "\\section{本}，"},
      {1, "\\section{日本語、}です、", "\\section{日本語、}です，"},
      {1, "\\caption{図、}", "\\caption{図、}"},
      {1, "\\[表),x\\],", "\\[表),x\\]，"},
      {1, "\\x表{a.b}、", "\\x表{a.b}，"},  // 表 is part of the name
      {1, "\\begin{本}x、\\end{本}", "\\begin{本}x，\\end{本}"},
      {1, "\\begin[表]{equation}x.\\end{equation}", "\\begin[表]{equation}x.\\end{equation}"},
      {1, "\\foo[表]、", "\\foo[表]，"},
  });
  // A lead byte as the last byte of a name or of a group.
  EXPECT_EQ(convert_bytes("\\foo\x95"), "\\foo\x95");
  EXPECT_EQ(convert_bytes("\\foo{\x95"), "\\foo{\x95");
  EXPECT_EQ(convert_bytes("\\[\x95"), "\\[\x95");
}

TEST(ControlSequence, CopiesNulBytesThrough) {
  const std::string comma = "\x81\x43";
  EXPECT_EQ(convert_bytes(std::string("\\mbox\0{a,}", 10)), std::string("\\mbox\0{a,}", 10));
  EXPECT_EQ(convert_bytes("\\mbox{a,}"), "\\mbox{a" + comma + "}");
  EXPECT_EQ(convert_bytes(std::string("\\foo{a\0b},", 10)), std::string("\\foo{a\0b}", 9) + comma);
  EXPECT_EQ(convert_bytes(std::string("\\begin{\0}x,", 11)),
            std::string("\\begin{\0}x", 10) + comma);
  EXPECT_EQ(convert_bytes(std::string("\\[\0,\\]", 6)), std::string("\\[\0,\\]", 6));
}

TEST(ControlSequence, LosesNothingToTheFixedBuffers) {
  const std::string comma = sjis("，");
  const std::string mark = sjis("、");
  const std::string letters(5000, 'a');

  // A group far longer than the command buffer is copied whole, and the scan goes on after it.
  std::string group = "\\foo{" + letters + mark + "}";
  EXPECT_EQ(convert_bytes(group + mark), group + comma);

  // A long name is no keyword, even when what is left of it in the buffer looks like one.
  const std::string tail_mbox =
      "\\" + std::string(COMMAND_BUFFER_SIZE, 'a') + "mbox{x" + mark + "}";
  EXPECT_EQ(convert_bytes(tail_mbox), tail_mbox);
  const std::string long_name = "\\" + letters + "{x.}" + mark;
  EXPECT_EQ(convert_bytes(long_name), "\\" + letters + "{x.}" + comma);

  // A long prefix before the environment name does not hide a math environment ...
  const std::string prefix = "\\begin" + std::string(3000, ' ') + "{equation}x.\\end{equation}";
  EXPECT_EQ(convert_bytes(prefix + "."), prefix + sjis("。"));
  // ... and a long environment name is copied whole and is no math environment.
  const std::string env = "\\begin{" + std::string(300, 'e') + "}";
  EXPECT_EQ(convert_bytes(env + mark), env + comma);
  const std::string padded = "\\begin{equation" + std::string(250, ' ') + "}";
  EXPECT_EQ(convert_bytes(padded + mark), padded + comma);

  // An unclosed brace early in a large file: the rest is copied unchanged.
  std::string body;
  for (int i = 0; i < 20000; ++i) body += sjis("これは、テスト。\n");
  EXPECT_EQ(convert_bytes("\\foo{" + body), "\\foo{" + body);
}

TEST(InlineMath, CopiesMathBetweenDollarSigns) {
  check_table({
      {1, "$a, b.$、", "$a, b.$，"},
      {1, "$$x, y.$$。", "$$x, y.$$。"},
      {1, "$a\\$b、$", "$a\\$b，$"},  // no escape: the math ends at the second dollar sign
      {1, "$$x$,y", "$$x$,y"},        // the byte after the first closing $ is copied unseen
      {1, "$", "$"},
      {1, "$$x$", "$$x$"},
      {1, "$$", "$$"},
      {1, "$a", "$a"},
      {1, "x$a$,y", "x$a$,y"},  // after_word still holds from x
      {1, "$表$,", "$表$，"},
      {1, "$$x$表,", "$$x$表，"},                    // that byte is a whole character
      {1, "\\[a$b,c$d , e\\]", "\\[a$b,c$d, e\\]"},  // also inside math switched on by \[
      {1, "$a , b$", "$a , b$"},                     // no blank run inside the copy
  });
}

TEST(BlankRun, DropsSpacesBeforeMarksOnly) {
  check_table({
      {1, "a  b", "a  b"},
      {1, "テスト 。", "テスト。"},
      {1, "テスト   .", "テスト。"},
      {1, "あ 、い ，う ．", "あ，い，う。"},
      {1, "a , b", "a, b"},
      {1, "1 ,000", "1,000"},  // the spaces go although the comma stays
      {1, "a\t,b", "a\t,b"},   // a tab is no part of a run
      {1, "a \t,", "a \t，"},
      {1, "a  \nb", "a  \nb"},
      {1, "a 　b", "a 　b"},             // before a full-width space
      {1, "a  ", "a  "},                 // at the end of the input
      {1, "a ・", "a ・"},               // 0x81 0x45 is no mark
      {1, "\\[x , y\\]", "\\[x, y\\]"},  // the handler runs before the math test
      {1, "テスト 、 です", "テスト，です"},
  });
}

TEST(BlankRun, HandlesLongRuns) {
  const std::string spaces(3 * 1024 * 1024, ' ');
  EXPECT_EQ(convert_bytes("a" + spaces + "b"), "a" + spaces + "b");
  EXPECT_EQ(convert_bytes("a" + spaces + ","), "a\x81\x43");
  EXPECT_EQ(convert_bytes("a," + spaces + "b"), "a," + spaces + "b");
  EXPECT_EQ(convert_bytes(sjis("あ、") + spaces + "b"), sjis("あ，") + "b");
}

}  // namespace
}  // namespace tenmaru
