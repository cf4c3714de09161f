// Runs one command and reports its wall time and peak resident set size, for bench/bench.py.
//
//   measure OUTPUT PROGRAM [ARGUMENT...]
//
// The command's standard output goes to the file OUTPUT ("-" leaves it where it is), its standard
// error to /dev/null. On success measure prints "SECONDS PEAK_KIB" and exits with 0; when the
// command fails it exits with 1 and says why.
//
// The peak comes from wait4. Linux keeps a process's high-water mark across exec, so a command
// started from a large parent (a Python interpreter) would report at least the parent's size:
// this small program is the parent instead, and it forks, so the command starts from its few
// hundred KiB.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace {

double seconds_now() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// In the child: put the standard streams in place and run the command. Only calls that are safe
// after fork are made here.
[[noreturn]] void start_command(const char* output, char** argv) {
  const int null = open("/dev/null", O_WRONLY);
  if (null < 0 || dup2(null, STDERR_FILENO) < 0) _exit(126);
  if (std::strcmp(output, "-") != 0) {
    const int out = open(output, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out < 0 || dup2(out, STDOUT_FILENO) < 0) _exit(126);
    close(out);
  }
  close(null);
  execv(argv[0], argv);
  _exit(127);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fputs("usage: measure OUTPUT PROGRAM [ARGUMENT...]\n", stderr);
    return 2;
  }
  std::fflush(nullptr);
  const double start = seconds_now();
  const pid_t pid = fork();
  if (pid < 0) {
    std::fprintf(stderr, "measure: fork: %s\n", std::strerror(errno));
    return 1;
  }
  if (pid == 0) start_command(argv[1], argv + 2);

  int status = 0;
  rusage usage{};
  pid_t waited = 0;
  do {
    waited = wait4(pid, &status, 0, &usage);
  } while (waited < 0 && errno == EINTR);
  const double wall = seconds_now() - start;
  if (waited < 0) {
    std::fprintf(stderr, "measure: wait4: %s\n", std::strerror(errno));
    return 1;
  }
  if (WIFSIGNALED(status)) {
    std::fprintf(stderr, "measure: %s was killed by signal %d\n", argv[2], WTERMSIG(status));
    return 1;
  }
  const int code = WEXITSTATUS(status);
  if (code != 0) {
    std::fprintf(stderr, "measure: %s exited with status %d%s\n", argv[2], code,
                 code == 127   ? " (could not be started)"
                 : code == 126 ? " (its output could not be opened)"
                               : "");
    return 1;
  }
  // ru_maxrss is in KiB on Linux.
  std::printf("%.6f %ld\n", wall, usage.ru_maxrss);
  return 0;
}
