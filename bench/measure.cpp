// Runs a command and reports its wall time, CPU time and peak resident memory,
// for the benchmark scripts: `measure [--private] OUT COMMAND [ARGS...]`
// writes "SECONDS CPU_SECONDS KILOBYTES ANON_KILOBYTES" to OUT and exits with
// the command's status. CPU time counts the command and the children it
// waited for; peak memory is that of its largest single process.
// ANON_KILOBYTES, with --private only (else 0), is the command's own peak
// private (anonymous) memory, which mapped files do not count in: RssAnon
// sampled every millisecond, so a peak shorter than that may be missed. The
// sampling wakes a thousand times a second and takes CPU time from a command
// that uses every core (an eighth more wall time for a two-thread run on two
// cores, none for a one-thread one): time a command without it.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

int main(int argc, char** argv) {
  const bool samplePrivate = argc > 1 && std::strcmp(argv[1], "--private") == 0;
  if (samplePrivate) {
    --argc;
    ++argv;
  }
  if (argc < 3) {
    std::fprintf(stderr, "usage: measure [--private] OUT COMMAND [ARGS...]\n");
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
  long peakAnon = 0;
  char statusPath[64];
  std::snprintf(statusPath, sizeof statusPath, "/proc/%d/status", int(child));
  for (;;) {
    const pid_t done = wait4(child, &status, samplePrivate ? WNOHANG : 0, &usage);
    if (done < 0) return 2;
    if (done == child) break;
    if (std::FILE* file = std::fopen(statusPath, "r")) {
      char line[256];
      long kilobytes = 0;
      while (std::fgets(line, sizeof line, file))
        if (std::sscanf(line, "RssAnon: %ld", &kilobytes) == 1) break;
      std::fclose(file);
      if (kilobytes > peakAnon) peakAnon = kilobytes;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::FILE* out = std::fopen(argv[1], "w");
  if (!out) return 2;
  const double cpu = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                     double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  std::fprintf(out, "%.4f %.4f %ld %ld\n", seconds, cpu, usage.ru_maxrss, peakAnon);
  std::fclose(out);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}
