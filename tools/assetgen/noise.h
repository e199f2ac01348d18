#pragma once

#include <cstdint>

// Deterministic pseudo-random numbers: the generator must give the same bytes on every run
// and with every standard library, so nothing here comes from <random> or rand().
class Noise {
 public:
  explicit Noise(uint32_t seed) : state_(seed ? seed : 0x9E3779B9u) {}
  uint32_t next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
  }
  // Uniform in [0, 1).
  double unit() { return (next() >> 8) * (1.0 / 16777216.0); }
  // Uniform in [-1, 1).
  double signedUnit() { return unit() * 2.0 - 1.0; }

 private:
  uint32_t state_;
};

// A fixed value in [0, 1) for every lattice point, for smooth value noise.
inline double latticeValue(int x, int y, uint32_t seed) {
  uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u + seed;
  h = (h ^ (h >> 13)) * 1274126177u;
  h ^= h >> 16;
  return (h & 0xFFFFFF) * (1.0 / 16777216.0);
}

// Smoothly interpolated lattice noise in [0, 1), summed over `octaves` halving scales.
double smoothNoise(double x, double y, int octaves, uint32_t seed);
