#pragma once

// The light trails' running state, kept for the whole run.
struct LightsState {
  float position = 0.0f;  // path index where the first trail begins; fractional, never negative
};

// The trails' own state; tests and tools read or set it here.
LightsState& lightsState();
// Back to the state at program start.
void resetLights();
