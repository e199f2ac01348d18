// What the intro costs, for tools/bench/run-bench.sh.
//
//   framecost phases       draws the run from tick 300 as the capture does and, for a window
//                          of frames in each phase, prints the CPU time a frame takes; under
//                          callgrind it also dumps each window's instruction counts
//   framecost startup PROGRAM RUNS
//                          starts PROGRAM (headless, with the first-flip library preloaded)
//                          RUNS times and prints the time from exec to its first flipped frame
//
// Run from the repository root, where res/ lives.

#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "frameSource.h"

#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#else
#define CALLGRIND_START_INSTRUMENTATION
#define CALLGRIND_STOP_INSTRUMENTATION
#define CALLGRIND_ZERO_STATS
#define CALLGRIND_DUMP_STATS_AT(name)
#endif

namespace {
constexpr Uint32 firstTick = 300;
constexpr int windowFrames = 50;

struct Phase {
  const char* name;
  Uint32 from;  // tick of the window's first frame
};

// One window in each phase of the first cycle, and the heaviest frames: the full chain over
// the bars in the second.
const Phase phases[] = {
    {"curtain", 1000},     {"scroller-alone", 5000}, {"growing-chain", 25000},
    {"full-chain", 42000}, {"red-ball-bars", 85000}, {"full-chain-bars-2nd", 127000},
};

double nowSeconds(clockid_t clock) {
  timespec now;
  clock_gettime(clock, &now);
  return static_cast<double>(now.tv_sec) + now.tv_nsec * 1e-9;
}

int measurePhases() {
  FrameSource source;
  std::string error;
  if (!source.start(error)) {
    std::fprintf(stderr, "framecost: %s\n", error.c_str());
    return 1;
  }
  std::fprintf(stderr, "%-20s %8s %12s %14s\n", "phase", "ticks", "CPU ms/frame", "of 20 ms");
  Uint32 tick = firstTick;
  for (const Phase& phase : phases) {
    for (; tick < phase.from; tick += 20) source.draw(tick);
    std::vector<double> times;
    CALLGRIND_START_INSTRUMENTATION;
    CALLGRIND_ZERO_STATS;
    for (int i = 0; i < windowFrames; ++i, tick += 20) {
      const double start = nowSeconds(CLOCK_THREAD_CPUTIME_ID);
      source.draw(tick);
      times.push_back(nowSeconds(CLOCK_THREAD_CPUTIME_ID) - start);
    }
    CALLGRIND_DUMP_STATS_AT(phase.name);
    CALLGRIND_STOP_INSTRUMENTATION;
    // The median: a frame now and then loses its core to the machine's other work.
    std::nth_element(times.begin(), times.begin() + windowFrames / 2, times.end());
    const double median = times[windowFrames / 2] * 1000;
    std::fprintf(stderr, "%-20s %8u %12.3f %13.1f%%\n", phase.name, phase.from, median,
                 median / 20 * 100);
  }
  return 0;
}

int measureStartup(const char* program, int runs) {
  const char* shim = std::getenv("ORBITRA_FIRST_FLIP_LIBRARY");
  if (shim == nullptr) {
    std::fprintf(stderr, "framecost: set ORBITRA_FIRST_FLIP_LIBRARY to the first-flip library\n");
    return 1;
  }
  char record[] = "/tmp/framecost-flip-XXXXXX";
  const int fd = mkstemp(record);
  if (fd < 0) return 1;
  close(fd);
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  setenv("ORBITRA_FIRST_FLIP_RECORD", record, 1);
  setenv("LD_PRELOAD", shim, 1);
  std::vector<double> times;
  for (int run = 0; run < runs; ++run) {
    const double start = nowSeconds(CLOCK_MONOTONIC);
    const pid_t child = fork();
    if (child == 0) {
      execl(program, program, static_cast<char*>(nullptr));
      _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    double flipped = 0;
    std::ifstream(record) >> flipped;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || flipped <= start) {
      std::fprintf(stderr, "framecost: %s did not reach its first frame\n", program);
      unlink(record);
      return 1;
    }
    times.push_back((flipped - start) * 1000);
  }
  unlink(record);
  std::sort(times.begin(), times.end());
  std::fprintf(stderr, "exec to first flipped frame: median %.1f ms, fastest %.1f ms (%d runs)\n",
               times[times.size() / 2], times.front(), runs);
  return 0;
}
}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "phases" && argc == 2) return measurePhases();
  if (mode == "startup" && argc == 4) return measureStartup(argv[2], std::atoi(argv[3]));
  std::fprintf(stderr, "usage: framecost phases | framecost startup PROGRAM RUNS\n");
  return 2;
}
