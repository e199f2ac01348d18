#pragma once

#include <chrono>
#include <cstdint>

// A one-line progress bar on standard error: frames (or other `units`) done, how many a second,
// time left. It
// shows only once a run has taken a second, and redraws at most ten times a second (on a
// terminal in place; elsewhere a line every ten seconds).
class Progress {
 public:
  Progress(int64_t total, bool quiet, const char* units = "frames");
  void update(int64_t done);
  // Ends the bar's line, when one was shown.
  void finish();

 private:
  void show(int64_t done, double seconds);
  using Clock = std::chrono::steady_clock;
  int64_t total_;
  const char* units_;
  bool quiet_;
  bool terminal_;
  bool shown_ = false;
  int64_t shownDone_ = 0;
  Clock::time_point start_;
  Clock::time_point last_;
};
