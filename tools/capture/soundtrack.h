#pragma once

#include <cstdint>
#include <functional>
#include <string>

// The music as the program plays it, rendered offline: 16-bit stereo at 22050 Hz, from the
// module's first sample, looping without end as the program asks of the mixer.
constexpr int soundRate = 22050;
constexpr int soundChannels = 2;
constexpr int samplesPerFrame = soundRate / 50;  // 441: one 20 ms frame

// The 44-byte header of a PCM WAV file holding `samples` stereo sample frames.
std::string wavHeader(uint32_t samples);

// Renders `samples` sample frames of the module `file` and hands them to `sink` in blocks
// (interleaved little-endian 16-bit, 4 bytes a sample frame). Uses the module player
// directly, with the mixer's settings, in the mixer's 2048-sample steps, restarting the
// module whenever it has ended, so the result is sample for sample what the program hears.
// False with `error` set (one line) when the player or the module fails, or when `sink`
// returns false (its own error then stands).
bool renderSoundtrack(const std::string& file, uint64_t samples,
                      const std::function<bool(const int16_t* data, size_t sampleFrames)>& sink,
                      std::string& error);

// True where the module player is a distribution's library built for a 32-bit machine: it
// mixes a voice's first positions through 32-bit paths, and the golden sound list holds that
// soundtrack's hashes beside the usual ones (docs/KEPT-BEHAVIOUR.md).
#ifdef ORBITRA_SYSTEM_MIXER32
constexpr bool playsMixer32 = true;
#else
constexpr bool playsMixer32 = false;
#endif
