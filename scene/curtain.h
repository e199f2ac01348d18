#pragma once

#include <cstdint>

// The opening curtain's running state, kept for the whole run.
struct CurtainState {
  int32_t offset = 0;  // rows uncovered at each edge, 0 to 120; grows one row per call
};

// The curtain's own state; tests and tools read or set it here.
CurtainState& curtainState();
// Back to the state at program start.
void resetCurtain();
