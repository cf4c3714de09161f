// The command line as a user meets it: options, messages byte for byte, exit statuses, where the
// text goes, the probe of the line ends, and the refusals and failures that must not pass for
// success.
#include <filesystem>
#include <string>
#include <vector>

#include "cli/cli_support.h"
#include "support/convert.h"
#include "support/sjis.h"

namespace tenmaru::test {
namespace {

namespace fs = std::filesystem;

const std::string USAGE = usage_text();

// The fixture of the table below, with LF line ends, and what each style makes of it.
const std::string SOURCE = sjis("これは、テスト．\n");
const std::string STYLE_1 = sjis("これは，テスト。\r\n");
const std::string STYLE_3 = sjis("これは、テスト。\r\n");

struct cli_case {
  const char* what;
  std::vector<std::string> args;
  int status;
  std::string out;
  std::string err;
};

using CommandLine = cli_test;

TEST_F(CommandLine, OptionsMessagesAndStatuses) {
  const cli_case cases[] = {
      {"no arguments", {}, 1, "", USAGE},
      {"a switch alone", {"-2"}, 1, "", sjis("use ， and ．\nFilename unspecified.\n")},
      {"usage, then the run goes on", {"-h", "in.tex"}, 0, STYLE_1, USAGE + "input from in.tex\n"},
      {"an unknown option ends without a line feed",
       {"-x", "in.tex"},
       0,
       STYLE_1,
       "unknown option -xinput from in.tex\n"},
      {"only the second byte counts",
       {"-12", "in.tex"},
       0,
       STYLE_1,
       sjis("use ， and 。\ninput from in.tex\n")},
      {"-hx is -h", {"-hx"}, 1, "", USAGE + "Filename unspecified.\n"},
      {"a lone dash", {"-", "in.tex"}, 0, STYLE_1, "unspecified option!input from in.tex\n"},
      {"a long option that is not known",
       {"--foo", "in.tex"},
       0,
       STYLE_1,
       "unknown option --input from in.tex\n"},
      {"a long option this program knows",
       {"--keep-verbatim", "in.tex", "--keep-ellipsis"},
       0,
       STYLE_1,
       "input from in.tex\n"},
      {"a long option with a value it does not take",
       {"--keep-verbatim=yes", "in.tex"},
       0,
       STYLE_1,
       "unknown option --input from in.tex\n"},
      {"a bare double dash", {"--", "in.tex"}, 0, STYLE_1, "unknown option --input from in.tex\n"},
      {"a later switch wins",
       {"-3", "in.tex", "-1"},
       0,
       STYLE_1,
       sjis("use 、 and 。\ninput from in.tex\nuse ， and 。\n")},
      {"style 3", {"in.tex", "-3"}, 0, STYLE_3, sjis("input from in.tex\nuse 、 and 。\n")},
      {"a third name",
       {"in.tex", "out.tex", "c"},
       1,
       "Too many file name specified.\n",
       "input from in.tex\noutput to out.tex\n" + USAGE},
      {"an empty first name", {""}, 1, "", "input from \nFilename unspecified.\n"},
      {"an empty second name is standard output",
       {"in.tex", ""},
       0,
       STYLE_1,
       "input from in.tex\noutput to \n"},
      {"a missing input",
       {"nosuch.tex", "out.tex"},
       1,
       "",
       "input from nosuch.tex\noutput to out.tex\nfile nosuch.tex not found.\n"},
      {"an output that cannot be opened",
       {"in.tex", "nodir/out.tex"},
       1,
       "",
       "input from in.tex\noutput to nodir/out.tex\ncannot open nodir/out.tex.\n"},
  };
  for (const auto& c : cases) {
    write_file("in.tex", SOURCE);
    const run_result r = run(c.args);
    EXPECT_EQ(r.status, c.status) << c.what;
    EXPECT_EQ(r.out, c.out) << c.what << ": " << readable(r.out);
    EXPECT_EQ(r.err, c.err) << c.what << ": " << readable(r.err);
    EXPECT_FALSE(exists("out.tex")) << c.what << ": no output file may be made";
    EXPECT_EQ(read_file("in.tex"), SOURCE) << c.what;
  }
}

TEST_F(CommandLine, WritesANamedOutputFile) {
  write_file("in.tex", SOURCE);
  const run_result r = run({"-3", "in.tex", "out.tex"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, sjis("use 、 and 。\ninput from in.tex\noutput to out.tex\n"));
  EXPECT_EQ(read_file("out.tex"), STYLE_3);

  write_file("out.tex", std::string(10000, 'x'));  // an existing output is replaced whole
  EXPECT_EQ(run({"in.tex", "out.tex"}).status, 0);
  EXPECT_EQ(read_file("out.tex"), STYLE_1);
}

TEST_F(CommandLine, EmptyInputGivesEmptyOutput) {
  write_file("empty.tex", "");
  const run_result r = run({"empty.tex", "out.tex"});
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(exists("out.tex"));
  EXPECT_EQ(read_file("out.tex"), "");
}

struct line_end_case {
  const char* what;
  std::string stored;
  std::string written;
};

TEST_F(CommandLine, TheFirstLineChoosesHowLineEndsAreRead) {
  const line_end_case cases[] = {
      {"CR LF: text mode", "a\r\nb\r\n", "a\r\nb\r\n"},
      {"CR LF then a bare LF", "a\r\nb\nc.\r\n", "a\r\nb\r\nc\x81\x42\r\n"},
      {"text mode keeps CR CR LF", "a\r\nb\r\r\n", "a\r\nb\r\r\n"},
      {"LF first, later CR LF pairs stay CR LF", "a\nb,\r\nc\n", "a\r\nb\x81\x43\r\nc\r\n"},
      {"LF first: a CR before the LF of CR CR LF", "a\nb\r\r\n", "a\r\nb\r\r\n"},
      {"a CR but no LF at all is text mode", "a\rb\x1a", "a\rb"},
      {"no line end is binary mode", "ab\x1a", "ab\x1a"},
      {"text mode: only a final run of Ctrl-Z is dropped",
       "a\r\n\x1a"
       "b\x1a\x1a",
       "a\r\n\x1a"
       "b"},
      {"binary mode: Ctrl-Z is a byte", "a\n\x1a", "a\r\n\x1a"},
  };
  for (const auto& c : cases) {
    write_file("in.tex", c.stored);
    const run_result to_file = run({"in.tex", "out.tex"});
    EXPECT_EQ(to_file.status, 0) << c.what;
    EXPECT_EQ(read_file("out.tex"), c.written) << c.what << ": " << readable(read_file("out.tex"));
    const run_result to_stdout = run({"in.tex"});
    EXPECT_EQ(to_stdout.out, c.written) << c.what << " (standard output)";
  }
}

TEST_F(CommandLine, ReadsPipes) {
  write_file("in.tex", sjis("一、\r\n二。\r\n") + std::string(200000, 'x') + "\r\n");
  const std::string expected = sjis("一，\r\n二。\r\n") + std::string(200000, 'x') + "\r\n";
  // Wine opens files in its server process, where /dev/stdin and /dev/fd/N are the server's own
  // descriptors, not the program's.
  if (emulated()) GTEST_SKIP() << "pipes by name (/dev/stdin, <(...)) are a feature of the host";
  run_result r = run_shell("cat in.tex | $TENMARU /dev/stdin");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, expected);
  r = run_shell("$TENMARU <(cat in.tex) out.tex");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(read_file("out.tex"), expected);
}

TEST_F(CommandLine, RefusesToOverwriteItsInput) {
  write_file("in.tex", SOURCE);
  fs::create_symlink("in.tex", path("symlink.tex"));
  fs::create_hard_link(path("in.tex"), path("hardlink.tex"));
  fs::create_directory(path("sub"));
  for (const char* output :
       {"in.tex", "./in.tex", "sub/../in.tex", "symlink.tex", "hardlink.tex"}) {
    const run_result r = run({"in.tex", output});
    EXPECT_EQ(r.status, 1) << output;
    EXPECT_EQ(r.err, std::string("input from in.tex\noutput to ") + output + "\ncannot write " +
                         output + ": it is the input file.\n");
    EXPECT_EQ(read_file("in.tex"), SOURCE) << output;
  }
}

TEST_F(CommandLine, ReportsReadAndWriteFailures) {
  write_file("in.tex", SOURCE);
  fs::create_directory(path("folder"));
  run_result r = run({"folder", "out.tex"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "input from folder\noutput to out.tex\ncannot read folder.\n");
  EXPECT_FALSE(exists("out.tex"));

  r = run({"in.tex", "folder"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "input from in.tex\noutput to folder\ncannot open folder.\n");

  r = run_shell("$TENMARU in.tex >/dev/full");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "input from in.tex\ncannot write standard output.\n");

  r = run_shell("$TENMARU in.tex >&-");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "input from in.tex\ncannot write standard output.\n");

  // To a Windows program /dev/full is a file name like any other: it would write a temporary
  // file in the host's /dev and move it over the device.
  if (emulated()) GTEST_SKIP() << "/dev/full by name is a device of the host system";
  r = run({"in.tex", "/dev/full"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "input from in.tex\noutput to /dev/full\ncannot write /dev/full.\n");
}

TEST_F(CommandLine, ChoosesTheEncoding) {
  const std::string utf8_source = "これは、テスト．\n";
  const std::string utf8_style_1 = "これは，テスト。\r\n";
  write_file("utf8.tex", utf8_source);
  write_file("bom.tex",
             "\xEF\xBB\xBF"
             "a、\n");
  write_file("ascii.tex", "a.\n");

  run_result r = run({"utf8.tex", "out.tex"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "input from utf8.tex\noutput to out.tex\ninput is UTF-8\n");
  EXPECT_EQ(read_file("out.tex"), utf8_style_1);

  r = run({"bom.tex"});
  EXPECT_EQ(r.err, "input from bom.tex\ninput is UTF-8\n");
  EXPECT_EQ(r.out,
            "\xEF\xBB\xBF"
            "a，\r\n");

  // Given, the encoding is not reported; pure ASCII is Shift-JIS unless UTF-8 is asked for.
  r = run({"--encoding=utf8", "ascii.tex"});
  EXPECT_EQ(r.err, "input from ascii.tex\n");
  EXPECT_EQ(r.out, "a。\r\n");
  r = run({"ascii.tex", "--encoding=auto"});
  EXPECT_EQ(r.out, sjis("a。\r\n"));
  r = run({"--encoding=sjis", "utf8.tex"});
  EXPECT_EQ(r.err, "input from utf8.tex\n");
  conversion as_shift_jis;
  as_shift_jis.line_ends = line_end_mode::crlf_unless_after_cr;
  EXPECT_EQ(r.out, convert_bytes(utf8_source, as_shift_jis));

  r = run({"--encoding=latin1", "utf8.tex", "out2.tex"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "unknown encoding latin1: use auto, sjis or utf8.\n");
  EXPECT_FALSE(exists("out2.tex"));
  r = run({"--encoding=", "utf8.tex"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "unknown encoding : use auto, sjis or utf8.\n");
  r = run({"--encoding", "ascii.tex"});  // without a value it is no option this program knows
  EXPECT_EQ(r.err, "unknown option --input from ascii.tex\n");
}

TEST_F(CommandLine, UsesLongFileNamesWhole) {
  // A path of well over 255 bytes, made of folders whose names each fit the file system.
  std::string name;
  for (int i = 0; i < 6; ++i) name += std::string(60, static_cast<char>('a' + i)) + "/";
  name += "in.tex";
  write_file(name, SOURCE);
  const run_result r = run({name, name + ".out"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "input from " + name + "\noutput to " + name + ".out\n");
  EXPECT_EQ(read_file(name + ".out"), STYLE_1);
}

}  // namespace
}  // namespace tenmaru::test
