#pragma once

// The scroller's running state, kept for the whole run. Its picture depends on the clock
// alone; the state only remembers what has been said.
struct ScrollerState {
  bool firstRenderChecked = false;  // the first render was looked at, and any failure reported
};

// The scroller's own state; tests and tools read or set it here.
ScrollerState& scrollerState();
// Back to the state at program start.
void resetScroller();
