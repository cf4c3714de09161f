// File names as a user types them: Shift-JIS names, in which the second byte of a character may
// be a backslash, and for the Windows program the other spellings of one file (backslashes,
// letter case) and the reserved device names.
//
// A Windows program gets its command line in the ANSI code page, Shift-JIS on Japanese Windows
// (tests/wine/wine-session runs it so), while wine keeps the names of the files on the host in
// UTF-8: such a name is written and typed here in UTF-8, and wine hands it over in Shift-JIS.
// Elsewhere a name is the bytes typed, here Shift-JIS ones. Either way the program sees and
// reports the Shift-JIS form.
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/cli_support.h"
#include "support/sjis.h"

namespace tenmaru::test {
namespace {

namespace fs = std::filesystem;

const std::string SOURCE = sjis("これは、テスト．\n");
const std::string STYLE_1 = sjis("これは，テスト。\r\n");

bool windows_program() {
  const char* program = std::getenv("TENMARU");
  std::string name = program == nullptr ? "" : program;
  std::transform(name.begin(), name.end(), name.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return name.size() >= 4 && name.compare(name.size() - 4, 4, ".exe") == 0;
}

// A name written here in UTF-8 as it is typed on the host's command line and stored on the
// host; the program sees sjis(name).
std::string typed(const std::string& name) { return windows_program() ? name : sjis(name); }

using FileNames = cli_test;

TEST_F(FileNames, TakesShiftJisNamesWhole) {
  // 表 is 0x95 0x5C and 能 is 0x94 0x5C: read a byte at a time, each name holds a backslash.
  write_file(typed("表.tex"), SOURCE);
  fs::create_directory(path(typed("能")));
  run_result r = run({typed("表.tex"), typed("能/出力.tex")});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, sjis("input from 表.tex\noutput to 能/出力.tex\n")) << readable(r.err);
  EXPECT_EQ(read_file(typed("能/出力.tex")), STYLE_1);
  EXPECT_EQ(folder_listing(path(typed("能"))), std::vector<std::string>{typed("出力.tex")});

  write_file(typed("能/出力.tex"), "old");  // an existing output, replaced in its own folder
  r = run({typed("表.tex"), typed("能/出力.tex")});
  EXPECT_EQ(r.status, 0) << readable(r.err);
  EXPECT_EQ(read_file(typed("能/出力.tex")), STYLE_1);
  EXPECT_EQ(folder_listing(path(typed("能"))), std::vector<std::string>{typed("出力.tex")});

  r = run({typed("表.tex")});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, STYLE_1);

  for (const std::string output : {"表.tex", "./表.tex", "能/../表.tex"}) {
    r = run({typed("表.tex"), typed(output)});
    EXPECT_EQ(r.status, 1) << output;
    EXPECT_EQ(r.err, sjis("input from 表.tex\noutput to " + output + "\ncannot write " + output +
                          ": it is the input file.\n"))
        << readable(r.err);
    EXPECT_EQ(read_file(typed("表.tex")), SOURCE) << output;
  }
}

TEST_F(FileNames, RefusesWindowsSpellingsOfTheInput) {
  if (!windows_program()) {
    GTEST_SKIP() << "backslashes and another letter case spell the same file only on Windows";
  }
  write_file("in.tex", SOURCE);
  fs::create_directory(path("sub"));
  // The test folder's own name with backslashes: a name from the root of the current drive.
  std::string rooted = path("in.tex");
  std::replace(rooted.begin(), rooted.end(), '/', '\\');
  for (const std::string& output :
       {std::string(".\\in.tex"), std::string("IN.TEX"), std::string("sub\\..\\In.Tex"), rooted}) {
    const run_result r = run({"in.tex", output});
    EXPECT_EQ(r.status, 1) << output;
    EXPECT_EQ(r.err, "input from in.tex\noutput to " + output + "\ncannot write " + output +
                         ": it is the input file.\n");
    EXPECT_EQ(read_file("in.tex"), SOURCE) << output;
    EXPECT_EQ(folder_listing(path("")), (std::vector<std::string>{"in.tex", "sub"})) << output;
  }
}

TEST_F(FileNames, UsesWindowsDevicesDirectly) {
  if (!windows_program()) {
    GTEST_SKIP() << "NUL is the null device only on Windows (/dev/null: failure_test.cpp)";
  }
  write_file("in.tex", SOURCE);
  for (const std::string device : {"NUL", "nul"}) {
    run_result r = run({"in.tex", device});
    EXPECT_EQ(r.status, 0) << device << ": " << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "input from in.tex\noutput to " + device + "\n");
    EXPECT_EQ(folder_listing(path("")), std::vector<std::string>{"in.tex"})
        << device << ": nothing may be made in the folder";

    r = run({device});
    EXPECT_EQ(r.status, 0) << device << ": " << r.err;
    EXPECT_EQ(r.out, "") << device << " reads as an empty file";
    EXPECT_EQ(r.err, "input from " + device + "\n");
  }
}

}  // namespace
}  // namespace tenmaru::test
