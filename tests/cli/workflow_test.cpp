// The everyday workflows: --check with locations, --in-place over many files, --keep-line-ends,
// --text-command, --help and --version, and the combinations that make no sense.
#include <filesystem>
#include <string>
#include <vector>

#include "cli/cli_support.h"
#include "support/sjis.h"

namespace tenmaru::test {
namespace {

namespace fs = std::filesystem;

using Workflow = cli_test;

const std::string PAPER = sjis(
    "本稿では、手法を述べる．\n"
    "脚注\\footnote{注、その一}を見よ .\n"
    "1,000 と 3.14 は数.   次\n"
    "ｶﾅ漢字、  です\n");

TEST_F(Workflow, CheckReportsEveryChangeWithItsPlace) {
  write_file("paper.tex", PAPER);
  write_file("clean.tex", sjis("これは，正しい。\n"));
  const run_result r = run({"--check", "--text-command=footnote", "paper.tex", "clean.tex"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "input from paper.tex\ninput from clean.tex\n");
  EXPECT_EQ(readable(r.out), readable(sjis("paper.tex:1:5: 、 -> ，\n"
                                           "paper.tex:1:12: ． -> 。\n"
                                           "paper.tex:2:14: 、 -> ，\n"
                                           "paper.tex:2:22: removed 1 blank before ASCII .\n"
                                           "paper.tex:2:23: ASCII . -> 。\n"
                                           "paper.tex:3:16: ASCII . -> 。\n"
                                           "paper.tex:3:17: removed 3 blanks after ASCII .\n"
                                           "paper.tex:4:5: 、 -> ，\n"
                                           "paper.tex:4:6: removed 2 blanks after 、\n")));
  // Nothing is written.
  EXPECT_EQ(read_file("paper.tex"), PAPER);
  EXPECT_EQ(std::distance(fs::directory_iterator(path("")), fs::directory_iterator()), 2);

  const run_result clean = run({"--check", "clean.tex"});
  EXPECT_EQ(clean.status, 0);
  EXPECT_EQ(clean.out, "");
  // Line ends do not count: an LF file would be written with CR LF, yet nothing changes.
  EXPECT_EQ(run({"-3", "--check", "clean.tex"}).status, 2);
}

TEST_F(Workflow, CheckCountsColumnsInUtf8Characters) {
  write_file("u.tex", "漢字かな、\n\t表 。\n");
  const run_result r = run({"--check", "u.tex"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out,
            "u.tex:1:5: 、 -> ，\n"
            "u.tex:2:3: removed 1 blank before 。\n");
}

TEST_F(Workflow, CheckGoesOnAfterAFailureAndFailsAtTheEnd) {
  write_file("good.tex", sjis("あ、\n"));
  const run_result r = run({"--check", "missing.tex", "good.tex"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "input from missing.tex\ninput from good.tex\nfile missing.tex not found.\n");
  EXPECT_EQ(r.out, sjis("good.tex:1:2: 、 -> ，\n"));
}

TEST_F(Workflow, InPlaceConvertsEveryFileAndLeavesUnchangedOnesUntouched) {
  write_file("a.tex", sjis("一、\r\n"));
  write_file("b.tex", sjis("二，\r\n"));
  write_file("c.tex", sjis("三、四、\r\n"));
  const auto old_time = fs::file_time_type::clock::now() - std::chrono::hours(24);
  fs::last_write_time(path("b.tex"), old_time);
  const run_result r = run({"--in-place", "a.tex", "b.tex", "missing.tex", "c.tex"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err,
            "input from a.tex\ninput from b.tex\ninput from missing.tex\ninput from c.tex\n"
            "a.tex: converted with 1 change\n"
            "b.tex: unchanged\n"
            "file missing.tex not found.\n"
            "c.tex: converted with 2 changes\n");
  EXPECT_EQ(read_file("a.tex"), sjis("一，\r\n"));
  EXPECT_EQ(read_file("b.tex"), sjis("二，\r\n"));
  EXPECT_EQ(read_file("c.tex"), sjis("三，四，\r\n"));
  EXPECT_EQ(fs::last_write_time(path("b.tex")), old_time);
  EXPECT_EQ(std::distance(fs::directory_iterator(path("")), fs::directory_iterator()), 3)
      << "no temporary file may be left";
  EXPECT_EQ(run({"--in-place", "a.tex"}).status, 0);
}

TEST_F(Workflow, InPlaceWritesLineEndsLikeAnyConversion) {
  write_file("lf.tex", sjis("一，\n"));
  run_result r = run({"--in-place", "lf.tex"});
  EXPECT_EQ(r.err, "input from lf.tex\nlf.tex: converted with 0 changes\n");
  EXPECT_EQ(read_file("lf.tex"), sjis("一，\r\n"));
  write_file("lf.tex", sjis("一，\n"));
  r = run({"--in-place", "--keep-line-ends", "lf.tex"});
  EXPECT_EQ(r.err, "input from lf.tex\nlf.tex: unchanged\n");
}

TEST_F(Workflow, KeepLineEnds) {
  write_file("lf.tex", "a-,\nb.\r\nc\n");
  write_file("crlf.tex", "a\r\nb\n");
  EXPECT_EQ(run({"--keep-line-ends", "lf.tex"}).out, "a-\x81\x43\nb\x81\x42\r\nc\n");
  EXPECT_EQ(run({"lf.tex"}).out, "a-\x81\x43\r\nb\x81\x42\r\nc\r\n");
  EXPECT_EQ(run({"--keep-line-ends", "crlf.tex"}).out, "a\r\nb\r\n");  // read in text mode
}

TEST_F(Workflow, TextCommandsAddedOnTheCommandLine) {
  write_file("in.tex", sjis("\\footnote{注、}\\caption{図、}\\emph[x]{強調、}\\section{節、}\n"));
  EXPECT_EQ(run({"in.tex"}).out,
            sjis("\\footnote{注、}\\caption{図、}\\emph[x]{強調、}\\section{節、}\r\n"));
  EXPECT_EQ(run({"--text-command=footnote,caption", "--text-command=emph", "in.tex"}).out,
            sjis("\\footnote{注，}\\caption{図，}\\emph[x]{強調，}\\section{節、}\r\n"));
}

struct refusal {
  std::vector<std::string> args;
  std::string err;
};

TEST_F(Workflow, RefusesWhatMakesNoSenseBeforeTouchingAnyFile) {
  write_file("a.tex", sjis("あ、\n"));
  const refusal cases[] = {
      {{"--check", "--in-place", "a.tex"}, "--check and --in-place do not go together.\n"},
      {{"a.tex", "--text-command="}, "--text-command=: a command name is empty.\n"},
      {{"--text-command=a,,b", "a.tex"}, "--text-command=a,,b: a command name is empty.\n"},
      {{"--text-command=a,", "a.tex"}, "--text-command=a,: a command name is empty.\n"},
      {{"--in-place", "a.tex", "./a.tex"},
       "input from a.tex\ninput from ./a.tex\na.tex and ./a.tex are the same file.\n"},
      {{"--in-place"}, "Filename unspecified.\n"},
  };
  for (const auto& c : cases) {
    const run_result r = run(c.args);
    EXPECT_EQ(r.status, 1) << c.err;
    EXPECT_EQ(r.err, c.err);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(read_file("a.tex"), sjis("あ、\n"));
  }
}

TEST_F(Workflow, HelpAndVersionReadNoFile) {
  const std::string usage = usage_text();
  run_result r = run({"--help", "missing.tex", "-2"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  ASSERT_EQ(r.out.substr(0, usage.size()), usage);
  EXPECT_EQ(r.out.substr(usage.size()),
            "--check: report what a conversion would change, write nothing\n"
            "--in-place: convert every named file in place\n"
            "--keep-line-ends: keep LF line ends as they are\n"
            "--text-command=NAME[,NAME...]: convert the arguments of these commands too\n"
            "--encoding=auto|sjis|utf8: the encoding of the input (default auto)\n"
            "--keep-verbatim: leave verbatim environments and \\verb arguments unchanged\n"
            "--keep-ellipsis: leave runs of ASCII full stops unchanged\n"
            "--help: show this message and exit\n"
            "--version: show the version and exit\n");
  r = run({"a", "b", "c", "--version"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "tenmaru 1.0.0\n");
  EXPECT_EQ(r.err, "");
  // -h is as it was: the seven lines on standard error.
  EXPECT_EQ(run({"-h"}).err, usage + "Filename unspecified.\n");
}

}  // namespace
}  // namespace tenmaru::test
