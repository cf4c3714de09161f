// Code kept as code: with keep_verbatim, verbatim environments and \verb-like arguments are
// copied unchanged; with keep_ellipsis, runs of ASCII full stops are not punctuation.
#include <gtest/gtest.h>

#include <string>

#include "support/convert.h"
#include "support/sjis.h"

namespace tenmaru {
namespace {

using test::check_table;
using test::conversion;
using test::convert_bytes;

conversion keeping_verbatim() {
  conversion how;
  how.keep_verbatim = true;
  return how;
}

conversion keeping_ellipsis() {
  conversion how;
  how.keep_ellipsis = true;
  return how;
}

TEST(KeepVerbatim, CopiesTheBodiesOfVerbatimEnvironments) {
  std::vector<test::conversion_case> cases;
  for (const char* name : {"verbatim", "verbatim*", "Verbatim", "Verbatim*", "BVerbatim",
                           "LVerbatim", "lstlisting", "minted", "comment"}) {
    const std::string env = name;
    const std::string body =
        "\\begin{" + env + "}author = {a}, .  .  . \\left. 、\\end{" + env + "}";
    cases.push_back({1, body + "、", body + "，"});
  }
  check_table(cases, keeping_verbatim());
  check_table(
      {
          {1, "\\begin{lstlisting}[language=C]\nf(a, b);\n\\end{lstlisting}、",
           "\\begin{lstlisting}[language=C]\nf(a, b);\n\\end{lstlisting}，"},
          {1, "\\begin{minted}{python}\nx = 1, 2.\n\\end{minted}.",
           "\\begin{minted}{python}\nx = 1, 2.\n\\end{minted}。"},
          {1, "\\begin {verbatim}a、\\end{verbatim}", "\\begin {verbatim}a、\\end{verbatim}"},
          {1, "\\begin{verbatim}a, b.", "\\begin{verbatim}a, b."},  // unclosed: to the end
          // Only the exact \end of the same environment ends the body.
          {1, "\\begin{lstlisting}\\end{verbatim}a、\\end{lstlisting}b、",
           "\\begin{lstlisting}\\end{verbatim}a、\\end{lstlisting}b，"},
          {1, "\\begin{verbatim}x\\end{verbatim }、\\end {verbatim}、\\end{verbatim}、",
           "\\begin{verbatim}x\\end{verbatim }、\\end {verbatim}、\\end{verbatim}，"},
          {1, "\\begin{verbatim}a\\\\end{verbatim}、", "\\begin{verbatim}a\\\\end{verbatim}，"},
          {1, "\\begin{verbatim}\\en\\end{verbatim}、", "\\begin{verbatim}\\en\\end{verbatim}，"},
          // 表 is 0x95 0x5C: its second byte does not begin an \end.
          {1, "\\begin{verbatim}表end{verbatim}、\\end{verbatim}、",
           "\\begin{verbatim}表end{verbatim}、\\end{verbatim}，"},
          // The \end of a verbatim environment outside one is an ordinary \end.
          {1, "\\end{verbatim}、", "\\end{verbatim}，"},
          {1, "\\begin{verbatimx}、\\end{verbatimx}", "\\begin{verbatimx}，\\end{verbatimx}"},
      },
      keeping_verbatim());
}

TEST(KeepVerbatim, CopiesTheArgumentsOfVerbAndLstinline) {
  check_table(
      {
          {1, "\\verb|a, b.|、", "\\verb|a, b.|，"},
          {1, "\\verb+a ,b.+", "\\verb+a ,b.+"},
          {1, "\\verb*|a, b.|。", "\\verb*|a, b.|。"},
          {1, "\\verb!x!,\\verb!y!.", "\\verb!x!，\\verb!y!。"},
          {1, "\\verb|a, b.\nc、", "\\verb|a, b.\nc，"},  // no closing delimiter: the line ends it
          {1, "\\verb|a, b.", "\\verb|a, b."},
          {1, "\\verb", "\\verb"},
          {1, "\\verb*", "\\verb*"},
          // ポ is 0x83 0x7C: its second byte is no closing '|'.
          {1, "\\verb|ポ、|、", "\\verb|ポ、|，"},
          // A Shift-JIS character after \verb is part of the name, as everywhere.
          {1, "\\verbポ|x、|、", "\\verbポ|x，|，"},
          {1, "\\lstinline|a, b.|、", "\\lstinline|a, b.|，"},
          {1, "\\lstinline[language=C]|a, b.|、", "\\lstinline[language=C]|a, b.|，"},
          {1, "\\lstinline{a, b.}、", "\\lstinline{a, b.}，"},
          {1, "\\lstinline[style={x}]{f(a, b);}.", "\\lstinline[style={x}]{f(a, b);}。"},
          {1, "\\lstinline[a", "\\lstinline[a"},
          {1, "\\verbx|a、|", "\\verbx|a，|"},
      },
      keeping_verbatim());
}

TEST(KeepVerbatim, LeavesAfterWordAndMathAlone) {
  check_table(
      {
          // after_word still holds from the 'a' before, so the comma between letters stays.
          {1, "a\\begin{verbatim}あ\\end{verbatim},b", "a\\begin{verbatim}あ\\end{verbatim},b"},
          {1, "a\\verb|あ|,b", "a\\verb|あ|,b"},
          // A \] inside verbatim material does not end the math around it.
          {1, "\\[\\begin{verbatim}\\]\\end{verbatim}, y\\]、",
           "\\[\\begin{verbatim}\\]\\end{verbatim}, y\\]，"},
          {1, "\\[\\verb|\\]|, x\\]、", "\\[\\verb|\\]|, x\\]，"},
      },
      keeping_verbatim());
  // By default the same inputs are converted as text.
  check_table({
      {1, "a\\begin{verbatim}あ\\end{verbatim},b", "a\\begin{verbatim}あ\\end{verbatim}，b"},
      {1, "\\begin{verbatim}a, b.\\end{verbatim}", "\\begin{verbatim}a, b。\\end{verbatim}"},
      {1, "\\verb|a, b.|", "\\verb|a, b。|"},
  });
}

TEST(KeepEllipsis, RunsOfFullStopsAreNotPunctuation) {
  check_table(
      {
          {1, "について...", "について..."},
          {1, "あ..い", "あ..い"},
          {1, "あ....", "あ...."},
          {1, "wait... a..b", "wait... a..b"},
          {1, "あ ... い", "あ ... い"},  // the blanks before and after it stay
          {1, "あ.", "あ。"},             // a single full stop is still one
          {1, "あ. ..", "あ。.."},
          {1, "a...,b", "a...，b"},  // after it after_word is 0
          {1, "\\[x ...\\]", "\\[x ...\\]"},
          {1, "あ、...", "あ，..."},
      },
      keeping_ellipsis());
  check_table({
      {1, "について...", "について。。。"},
      {1, "あ ... い", "あ。。。い"},
  });
}

}  // namespace
}  // namespace tenmaru
