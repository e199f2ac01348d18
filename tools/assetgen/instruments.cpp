#include "instruments.h"

#include <cmath>
#include <functional>

#include "noise.h"

namespace {

constexpr double pi = 3.14159265358979323846;
// Playback rate of a sample at the top octave's C on a PAL machine.
constexpr double drumRate = 7093789.2 / (2 * 214);

// Peak-normalises to 120 and converts, keeping the first two bytes silent as players expect
// for samples without a loop.
std::vector<int8_t> toSamples(const std::vector<double>& wave) {
  double peak = 1e-9;
  for (double v : wave) peak = std::max(peak, std::fabs(v));
  std::vector<int8_t> data(2, 0);
  for (double v : wave) data.push_back(static_cast<int8_t>(std::lround(v / peak * 120.0)));
  if (data.size() % 2) data.push_back(0);
  return data;
}

// One period of `length` samples built from harmonics: amplitude(k) for k = 1.. up to the
// highest harmonic the period can hold.
std::vector<double> additiveCycle(int length, const std::function<double(int)>& amplitude) {
  std::vector<double> cycle(length, 0.0);
  for (int k = 1; k < length / 2; ++k) {
    const double a = amplitude(k);
    if (a == 0.0) continue;
    for (int i = 0; i < length; ++i) cycle[i] += a * std::sin(2.0 * pi * k * i / length);
  }
  return cycle;
}

// A tonal sample: `attackCycles` cycles shaped by cycleFor(c), then `loopCycles` more that
// are looped. The leading silent pair is part of the data, so loops start two bytes in.
ModuleSample tonalSample(const char* name, int volume, int cycleLength, int attackCycles,
                         int loopCycles, const std::function<std::vector<double>(int)>& cycleFor) {
  std::vector<double> wave;
  for (int c = 0; c < attackCycles + loopCycles; ++c) {
    const std::vector<double> cycle = cycleFor(c);
    wave.insert(wave.end(), cycle.begin(), cycle.end());
  }
  ModuleSample sample;
  sample.name = name;
  sample.volume = volume;
  sample.data = toSamples(wave);
  sample.loopStart = 2 + static_cast<size_t>(attackCycles) * cycleLength;
  sample.loopLength = static_cast<size_t>(loopCycles) * cycleLength;
  return sample;
}

ModuleSample drumSample(const char* name, int volume, double seconds,
                        const std::function<double(double, Noise&)>& voice) {
  Noise noise(0xD00D5EEDu);
  std::vector<double> wave;
  const int length = static_cast<int>(seconds * drumRate);
  for (int i = 0; i < length; ++i) wave.push_back(voice(i / drumRate, noise));
  ModuleSample sample;
  sample.name = name;
  sample.volume = volume;
  sample.data = toSamples(wave);
  return sample;
}

}  // namespace

ModuleSample makeBass() {
  // A plucked saw: bright at the start, the upper harmonics dying away over the attack,
  // then a steady, rounder tone.
  const int attack = 40;
  return tonalSample("bass", 60, 64, attack, 1, [&](int c) {
    const double t = std::min(1.0, static_cast<double>(c) / attack);
    const double brightness = 14.0 - 11.0 * t;
    const double level = 1.0 - 0.45 * t;
    return additiveCycle(64, [&](int k) { return level * std::exp(-k / brightness) / k; });
  });
}

ModuleSample makeLead() {
  // Pulse wave whose width sweeps slowly from square to thin and back over the looped part,
  // which gives the lead its moving, chorus-like tone.
  const int attack = 16, sweep = 256;
  return tonalSample("lead", 44, 32, attack, sweep, [&](int c) {
    const double phase = c < attack ? 0.0 : static_cast<double>(c - attack) / sweep;
    const double width = 0.32 - 0.18 * std::cos(2.0 * pi * phase);
    const double bite = c < attack ? 1.0 + 0.6 * (attack - c) / attack : 1.0;
    return additiveCycle(32, [&](int k) {
      return bite * std::sin(k * pi * width) / k * std::exp(-k / 9.0) + 0.25 / k;
    });
  });
}

ModuleSample makeChord() {
  // A soft square with a short pluck, played with fast arpeggios for chords.
  const int attack = 48;
  return tonalSample("chord", 34, 64, attack, 2, [&](int c) {
    const double t = std::min(1.0, static_cast<double>(c) / attack);
    const double level = 1.0 - 0.6 * t;
    const double brightness = 10.0 - 6.0 * t;
    return additiveCycle(
        64, [&](int k) { return k % 2 ? level * std::exp(-k / brightness) / k : 0.0; });
  });
}

ModuleSample makeKick() {
  return drumSample("kick", 64, 0.28, [](double t, Noise& noise) {
    // Falling pitch gives the thump; a little noise at the start gives the click.
    const double phase =
        2.0 * pi * (45.0 * t + (160.0 - 45.0) * 0.03 * (1.0 - std::exp(-t / 0.03)));
    const double body = std::sin(phase) * std::exp(-t / 0.11);
    const double click = noise.signedUnit() * std::exp(-t / 0.003) * 0.5;
    return body + click;
  });
}

ModuleSample makeSnare() {
  double low = 0.0;
  return drumSample("snare", 56, 0.22, [&](double t, Noise& noise) {
    const double n = noise.signedUnit();
    low += (n - low) * 0.45;  // takes the fizz off the noise
    const double rattle = low * std::exp(-t / 0.07);
    const double tone = std::sin(2.0 * pi * 185.0 * t) * std::exp(-t / 0.04) * 0.8;
    return rattle + tone;
  });
}

namespace {

// Hi-hats: white noise with the low end removed, only the decay differs.
ModuleSample hat(const char* name, int volume, double seconds, double decay) {
  double previous = 0.0;
  return drumSample(name, volume, seconds, [=](double t, Noise& noise) mutable {
    const double n = noise.signedUnit();
    const double high = n - previous;
    previous = n;
    return high * std::exp(-t / decay);
  });
}

}  // namespace

ModuleSample makeClosedHat() {
  return hat("closed hat", 40, 0.07, 0.018);
}

ModuleSample makeOpenHat() {
  return hat("open hat", 40, 0.3, 0.09);
}
