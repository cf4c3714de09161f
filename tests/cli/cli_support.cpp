#include "cli/cli_support.h"

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "support/sjis.h"

namespace tenmaru::test {

namespace fs = std::filesystem;

namespace {

std::string environment(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

}  // namespace

std::vector<std::string> folder_listing(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string read_bytes(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string shell_quote(const std::string& word) {
  std::string quoted = "'";
  for (char c : word) {
    if (c == '\'')
      quoted += "'\\''";
    else
      quoted += c;
  }
  return quoted + "'";
}

std::string usage_text() {
  return sjis(
      "Usage:\n"
      "tenmaru [-h] [-[1-4]] filename [output-file]\n"
      "-h: show this message\n"
      "-1: use ， and 。(default) \n"
      "-2: use ， and ．\n"
      "-3: use 、 and 。\n"
      "-4: use 、 and ．\n");
}

bool cli_test::emulated() { return !environment("TENMARU_RUNNER").empty(); }

void cli_test::SetUp() {
  const std::string program = environment("TENMARU");
  ASSERT_FALSE(program.empty()) << "TENMARU must name the program under test";
  std::string pattern = (fs::temp_directory_path() / "tenmaru-cli-XXXXXX").string();
  ASSERT_NE(mkdtemp(pattern.data()), nullptr);
  base_ = pattern;
  dir_ = base_ + "/work";
  fs::create_directory(dir_);
}

void cli_test::TearDown() {
  if (base_.empty()) return;
  std::error_code ec;
  // Tests may leave read-only folders behind; make everything removable first.
  for (auto it = fs::recursive_directory_iterator(base_, ec); !ec && it != fs::end(it);
       it.increment(ec)) {
    if (!it->is_symlink())
      fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
  }
  fs::remove_all(base_, ec);
}

run_result cli_test::run(const std::vector<std::string>& args) {
  std::string command = "$TENMARU";
  for (const auto& a : args) {
    command += ' ';
    command += shell_quote(a);
  }
  return run_shell(command);
}

run_result cli_test::run_shell(const std::string& command) {
  const std::string runner = environment("TENMARU_RUNNER");
  // Split into words by the shell where the command says $TENMARU.
  const std::string program = (runner.empty() ? "" : runner + " ") + environment("TENMARU");
  const std::string out_file = base_ + "/stdout";
  const std::string err_file = base_ + "/stderr";
  fs::remove(out_file);
  fs::remove(err_file);
  // The command runs in a subshell whose outputs go to the capture files; a redirection inside
  // the command wins over them.
  const std::string line = "cd " + shell_quote(dir_) + " && TENMARU=" + shell_quote(program) +
                           " && export TENMARU && (" + command + ") >" + shell_quote(out_file) +
                           " 2>" + shell_quote(err_file) + " </dev/null";
  const int raw = std::system(("/bin/bash -c " + shell_quote(line)).c_str());
  run_result result;
  if (raw != -1 && WIFEXITED(raw)) result.status = WEXITSTATUS(raw);
  result.out = read_bytes(out_file);
  result.err = read_bytes(err_file);
  return result;
}

void cli_test::write_file(const std::string& name, const std::string& bytes) const {
  fs::create_directories(fs::path(path(name)).parent_path());
  std::ofstream out(path(name), std::ios::binary);
  out << bytes;
}

std::string cli_test::read_file(const std::string& name) const { return read_bytes(path(name)); }

bool cli_test::exists(const std::string& name) const {
  std::error_code ec;
  return fs::exists(fs::symlink_status(path(name), ec));
}

}  // namespace tenmaru::test
