// Failures that must never pass for success or lose a file: the output is replaced only when
// everything has been written, read-only targets are refused up front, and a reader that goes
// away ends the run promptly with an error.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/cli_support.h"
#include "support/sjis.h"

namespace tenmaru::test {
namespace {

namespace fs = std::filesystem;

using SafeOutput = cli_test;

// A document of about `lines` lines of Japanese text, and what style 1 makes of it.
std::string document(int lines) {
  std::string text;
  for (int i = 0; i < lines; ++i) text += sjis("これは、テストです．\n");
  return text;
}
std::string converted(int lines) {
  std::string text;
  for (int i = 0; i < lines; ++i) text += sjis("これは，テストです。\r\n");
  return text;
}

TEST_F(SafeOutput, AWriteThatFailsHalfWayLeavesTheOldTargetIntact) {
  write_file("big.tex", document(200000));  // about 4 MB
  const std::string old = std::string(300000, 'o');
  write_file("out.tex", old);
  // Writes beyond 1000 KiB fail (EFBIG); the signal that would end the process is ignored.
  const run_result r = run_shell("trap '' XFSZ; ulimit -f 1000; $TENMARU big.tex out.tex");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "input from big.tex\noutput to out.tex\ncannot write out.tex.\n");
  EXPECT_EQ(read_file("out.tex"), old);
  EXPECT_EQ(folder_listing(path("")), (std::vector<std::string>{"big.tex", "out.tex"}))
      << "the temporary file must be gone";
}

TEST_F(SafeOutput, ReplacesTheTargetKeepingItsPermissionBits) {
  write_file("in.tex", document(3));
  write_file("out.tex", "old");
  fs::permissions(path("out.tex"),
                  fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  const run_result r = run({"in.tex", "out.tex"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(read_file("out.tex"), converted(3));
  EXPECT_EQ(folder_listing(path("")), (std::vector<std::string>{"in.tex", "out.tex"}));
  // A Windows file has a read-only attribute (such a target is refused) but no permission bits;
  // wine makes the host file with its own.
  if (emulated()) GTEST_SKIP() << "permission bits are a feature of the host system";
  EXPECT_EQ(fs::status(path("out.tex")).permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST_F(SafeOutput, ANewTargetGetsTheUsualPermissions) {
  // Under wine the files are made by wine's server process, with its umask, not the shell's.
  if (emulated()) GTEST_SKIP() << "permission bits and the umask are features of the host system";
  write_file("in.tex", document(1));
  const run_result r = run_shell("umask 027; $TENMARU in.tex new.tex");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(fs::status(path("new.tex")).permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST_F(SafeOutput, WritesThroughASymbolicLinkToTheFileItNames) {
  write_file("in.tex", document(2));
  write_file("real/out.tex", "old");
  fs::create_symlink("real/out.tex", path("link.tex"));
  EXPECT_EQ(run({"in.tex", "link.tex"}).status, 0);
  EXPECT_TRUE(fs::is_symlink(path("link.tex")));
  EXPECT_EQ(read_file("real/out.tex"), converted(2));
  EXPECT_EQ(folder_listing(path("real")), std::vector<std::string>{"out.tex"});
}

TEST_F(SafeOutput, WritesSpecialFilesDirectly) {
  // Windows has no FIFOs among its files, and its null device is NUL (file_name_test.cpp).
  if (emulated()) GTEST_SKIP() << "/dev/null and FIFOs are features of the host system";
  write_file("in.tex", document(2));
  EXPECT_EQ(run({"in.tex", "/dev/null"}).status, 0);
  ASSERT_EQ(mkfifo(path("fifo").c_str(), 0600), 0);
  const run_result r =
      run_shell("cat fifo > got & $TENMARU in.tex fifo; status=$?; wait; exit $status");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(read_file("got"), converted(2));
}

// Makes a file that even root cannot write, for as long as it lives.
class immutable_file {
 public:
  explicit immutable_file(std::string name) : name_(std::move(name)) {
    made_ = std::system(("chattr +i " + shell_quote(name_) + " 2>/dev/null").c_str()) == 0;
  }
  ~immutable_file() {
    if (made_) std::system(("chattr -i " + shell_quote(name_)).c_str());
  }
  bool made() const { return made_; }

 private:
  std::string name_;
  bool made_ = false;
};

TEST_F(SafeOutput, RefusesAReadOnlyTargetUpFront) {
  write_file("in.tex", document(2));
  write_file("out.tex", "old");
  immutable_file lock(path("out.tex"));
  if (!lock.made()) {
    if (geteuid() == 0) GTEST_SKIP() << "chattr +i is not available here, and root writes any file";
    fs::permissions(path("out.tex"), fs::perms::owner_read);
  }
  const run_result r = run({"in.tex", "out.tex"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "input from in.tex\noutput to out.tex\ncannot open out.tex.\n");
  EXPECT_EQ(read_file("out.tex"), "old");
  EXPECT_EQ(folder_listing(path("")), (std::vector<std::string>{"in.tex", "out.tex"}));
}

TEST_F(SafeOutput, RefusesAFolderWhereNoFileCanBeMade) {
  write_file("in.tex", document(2));
  fs::create_directory(path("locked"));
  const std::string locked = path("locked");
  // A read-only bind mount stops root too; without one, a folder without write permission
  // stops every other user.
  const bool mounted =
      std::system(("mount --bind " + shell_quote(locked) + " " + shell_quote(locked) +
                   " 2>/dev/null && mount -o remount,ro,bind " + shell_quote(locked) +
                   " 2>/dev/null")
                      .c_str()) == 0;
  if (!mounted) {
    std::system(("umount " + shell_quote(locked) + " 2>/dev/null").c_str());
    if (geteuid() == 0) GTEST_SKIP() << "no read-only bind mount here, and root writes any folder";
    fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
  }
  const run_result r = run({"in.tex", "locked/out.tex"});
  if (mounted) std::system(("umount " + shell_quote(locked)).c_str());
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "input from in.tex\noutput to locked/out.tex\ncannot open locked/out.tex.\n");
  EXPECT_TRUE(folder_listing(locked).empty());
}

TEST_F(SafeOutput, AReaderThatGoesAwayEndsTheRunPromptly) {
  write_file("big.tex", document(300000));  // about 6 MB, far more than a pipe holds
  const run_result r =
      run_shell("timeout 60 $TENMARU big.tex | head -c 10 >/dev/null; exit ${PIPESTATUS[0]}");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "input from big.tex\ncannot write standard output.\n");
}

TEST_F(SafeOutput, UsesAFileNameOf4000Bytes) {
  std::string name;
  while (name.size() < 3600)
    name += std::string(250, static_cast<char>('a' + name.size() % 26)) + "/";
  name += std::string(4000 - name.size() - 4, 'z') + ".tex";
  ASSERT_EQ(name.size(), 4000u);
  write_file(name, document(2));
  const run_result r = run({name});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "input from " + name + "\n");
  EXPECT_EQ(r.out, converted(2));
}

}  // namespace
}  // namespace tenmaru::test
