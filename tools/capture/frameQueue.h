#pragma once

#include <SDL.h>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

// Copies of drawn frames, handed in order from the thread that draws them to the one that
// converts and writes them, so the two run side by side. A few slots go round: drawing waits
// when all are full, writing when all are empty.
class FrameQueue {
 public:
  struct Frame {
    std::vector<Uint16> pixels;  // rows without padding
    int width = 0;
    int height = 0;
    Uint32 tick = 0;
    int64_t index = 0;     // among the frames written
    bool history = false;  // drawn before the first frame written: only shots come from it
  };

  explicit FrameQueue(size_t slots) : frames_(slots) {
    for (Frame& frame : frames_) free_.push_back(&frame);
  }

  // Drawing side: an empty slot, or nullptr once the writing side has stopped.
  Frame* emptySlot() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return stopped_ || !free_.empty(); });
    if (stopped_) return nullptr;
    Frame* frame = free_.front();
    free_.pop_front();
    return frame;
  }
  void hand(Frame* frame) { put(ready_, frame); }
  // No more frames will come.
  void close() {
    std::lock_guard<std::mutex> lock(mutex_);
    closed_ = true;
    changed_.notify_all();
  }

  // Writing side: the next frame in order, or nullptr after the last.
  Frame* nextFrame() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return closed_ || !ready_.empty(); });
    if (ready_.empty()) return nullptr;
    Frame* frame = ready_.front();
    ready_.pop_front();
    return frame;
  }
  void giveBack(Frame* frame) { put(free_, frame); }
  // The writing side has failed: drawing stops at its next slot.
  void stop() {
    std::lock_guard<std::mutex> lock(mutex_);
    stopped_ = true;
    changed_.notify_all();
  }

 private:
  void put(std::deque<Frame*>& list, Frame* frame) {
    std::lock_guard<std::mutex> lock(mutex_);
    list.push_back(frame);
    changed_.notify_all();
  }
  std::vector<Frame> frames_;
  std::deque<Frame*> free_, ready_;
  std::mutex mutex_;
  std::condition_variable changed_;
  bool closed_ = false;
  bool stopped_ = false;
};
