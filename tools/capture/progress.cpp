#include "progress.h"

#include <cstdio>
#include <string>

#include "base/system.h"

Progress::Progress(int64_t total, bool quiet, const char* units)
    : total_(total), units_(units), quiet_(quiet), terminal_(errorsGoToLiveTerminal()) {
  start_ = last_ = Clock::now();
}

void Progress::update(int64_t done) {
  if (quiet_) return;
  const Clock::time_point now = Clock::now();
  const double seconds = std::chrono::duration<double>(now - start_).count();
  if (seconds < 1.0) return;
  const double sinceLast = std::chrono::duration<double>(now - last_).count();
  if (shown_ && sinceLast < (terminal_ ? 0.1 : 10.0) && done < total_) return;
  last_ = now;
  show(done, seconds);
}

void Progress::show(int64_t done, double seconds) {
  constexpr int width = 30;
  const int filled = total_ > 0 ? static_cast<int>(width * done / total_) : width;
  const double rate = seconds > 0 ? done / seconds : 0;
  const double left = rate > 0 ? (total_ - done) / rate : 0;
  const std::string bar = std::string(filled, '#') + std::string(width - filled, '-');
  std::fprintf(stderr, "%s[%s] %lld/%lld %s  %.0f a second  %.1f s left%s", terminal_ ? "\r" : "",
               bar.c_str(), static_cast<long long>(done), static_cast<long long>(total_), units_,
               rate, left, terminal_ ? "\033[K" : "\n");
  shown_ = true;
  shownDone_ = done;
}

void Progress::finish() {
  if (quiet_ || !shown_) return;
  if (shownDone_ < total_) {
    show(total_, std::chrono::duration<double>(Clock::now() - start_).count());
  }
  if (terminal_) std::fputc('\n', stderr);
}
