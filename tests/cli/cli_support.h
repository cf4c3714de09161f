// Running the built program from the tests: each test gets a folder of its own, writes its
// fixtures there, runs the program through the shell and looks at what it wrote.
//
// TENMARU names the program; TENMARU_RUNNER, when set, is put in front of it (an emulator).
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tenmaru::test {

struct run_result {
  int status = -1;  // the exit status, or -1 when the program did not exit normally
  std::string out;  // what it wrote to standard output
  std::string err;  // and to standard error
};

class cli_test : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Runs the program with these arguments in the test's folder, capturing both outputs.
  run_result run(const std::vector<std::string>& args);
  // Runs a shell command line in the test's folder, in which $TENMARU is the program (with its
  // runner); both outputs are captured unless the command redirects them itself.
  run_result run_shell(const std::string& command);

  void write_file(const std::string& name, const std::string& bytes) const;
  std::string read_file(const std::string& name) const;
  bool exists(const std::string& name) const;
  std::string path(const std::string& name) const { return dir_ + "/" + name; }

  // True when the program runs under an emulator (some system facilities differ there).
  static bool emulated();

 private:
  std::string base_;  // holds the captured outputs beside the working folder
  std::string dir_;
};

std::string shell_quote(const std::string& word);

// The seven lines of the usage text, as the program writes them (Shift-JIS).
std::string usage_text();

// The names in a folder, sorted.
std::vector<std::string> folder_listing(const std::string& folder);

// The whole content of a file, by any path.
std::string read_bytes(const std::string& file);

}  // namespace tenmaru::test
