#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// A four-channel module in the classic "M.K." layout: 31 sample slots, up to 64 patterns of
// 64 rows, and an order table of up to 128 entries.
constexpr int moduleChannels = 4;
constexpr int patternRows = 64;
constexpr int maxSamples = 31;
constexpr int maxPatterns = 64;
constexpr int maxOrders = 128;

// Notes are counted in semitones from C of the lowest octave (0) to B of the highest (35);
// noNote leaves a cell without a note.
constexpr int noNote = -1;
constexpr int noteCount = 36;

// The Amiga period of each note at finetune 0, which the module stores instead of the note.
int notePeriod(int note);

struct ModuleSample {
  std::string name;
  std::vector<int8_t> data;  // even length; the first two bytes stay silent
  int volume = 64;           // 0..64
  size_t loopStart = 0;      // bytes, even
  size_t loopLength = 0;     // bytes, even; 0 plays the sample once
};

struct ModuleCell {
  int note = noNote;
  int sample = 0;  // 1..31, 0 keeps the channel's sample
  int effect = 0;  // 0x0..0xF
  int param = 0;   // 0x00..0xFF
};

struct ModulePattern {
  std::array<std::array<ModuleCell, moduleChannels>, patternRows> rows{};
};

struct Module {
  std::string title;
  std::vector<ModuleSample> samples;  // slot 1 first, at most 31
  std::vector<ModulePattern> patterns;
  std::vector<int> order;  // pattern numbers in playing order, at most 128
};

// The module file's bytes. Unused sample slots are written empty; the restart byte is 127,
// since nothing here relies on restarting anywhere but at the first order.
std::vector<uint8_t> encodeModule(const Module& module);
