// Runs a command and reports its wall time and peak resident memory, for the
// benchmark scripts: `measure OUT COMMAND [ARGS...]` writes "SECONDS KILOBYTES"
// to OUT and exits with the command's status.
#include <chrono>
#include <cstdio>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: measure OUT COMMAND [ARGS...]\n");
    return 2;
  }
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = fork();
  if (child < 0) return 2;
  if (child == 0) {
    execvp(argv[2], argv + 2);
    std::perror(argv[2]);
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  if (wait4(child, &status, 0, &usage) < 0) return 2;
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::FILE* out = std::fopen(argv[1], "w");
  if (!out) return 2;
  std::fprintf(out, "%.4f %ld\n", seconds, usage.ru_maxrss);
  std::fclose(out);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}
