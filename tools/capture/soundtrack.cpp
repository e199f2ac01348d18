#include "soundtrack.h"

#include <mikmod.h>

#include <algorithm>
#include <vector>

#include "base/assetFiles.h"

// The player mixes native 16-bit samples; WAV and the mixer's output are little-endian.
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "samples are written as mixed");

namespace {
// The program opens audio with 2048-sample buffers; the mixer fills one buffer per call and
// only looks at whether the module has ended between calls.
constexpr int mixerBufferSamples = 2048;

void putLittle(std::string& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xff));
}

// The settings the mixer library gives the player when it opens 16-bit stereo audio.
bool startPlayer(std::string& error) {
  md_mode = DMODE_16BITS | DMODE_STEREO | DMODE_HQMIXER | DMODE_SOFT_MUSIC | DMODE_SURROUND;
  md_mixfreq = soundRate;
  md_device = 0;
  md_volume = 96;
  md_musicvolume = 128;
  md_sndfxvolume = 128;
  md_pansep = 128;
  md_reverb = 0;
  // The silent driver: the player only mixes into our buffers.
  if (CHAR* drivers = MikMod_InfoDriver()) {
    MikMod_free(drivers);
  } else {
    MikMod_RegisterDriver(&drv_nos);
  }
  if (CHAR* loaders = MikMod_InfoLoader()) {
    MikMod_free(loaders);
  } else {
    MikMod_RegisterAllLoaders();
  }
  if (MikMod_Init(nullptr) != 0) {
    error = std::string("the module player did not start: ") + MikMod_strerror(MikMod_errno);
    return false;
  }
  return true;
}

// What the mixer does to start the music, and again each time it has ended.
void playFromStart(MODULE* module) {
  Player_Stop();
  Player_Start(module);
  Player_SetVolume(128);
  Player_SetPosition(0);
}
}  // namespace

std::string wavHeader(uint32_t samples) {
  const uint32_t blockAlign = soundChannels * 2;
  const uint32_t dataBytes = samples * blockAlign;
  std::string header = "RIFF";
  putLittle(header, 36 + dataBytes, 4);
  header += "WAVEfmt ";
  putLittle(header, 16, 4);
  putLittle(header, 1, 2);  // PCM
  putLittle(header, soundChannels, 2);
  putLittle(header, soundRate, 4);
  putLittle(header, soundRate * blockAlign, 4);
  putLittle(header, blockAlign, 2);
  putLittle(header, 16, 2);
  header += "data";
  putLittle(header, dataBytes, 4);
  return header;
}

bool renderSoundtrack(const std::string& file, uint64_t samples,
                      const std::function<bool(const int16_t*, size_t)>& sink, std::string& error) {
  if (!startPlayer(error)) return false;
  // Read by its UTF-8 name and played from memory: the player's own opening takes names in
  // Windows' narrow code page.
  std::string bytes, reason;
  // Bytes only when the file was read whole; an empty one has nothing to play.
  if (readWholeFile(file, bytes, maxAssetBytes, reason) && bytes.empty()) reason = "it is empty";
  MODULE* module =
      bytes.empty() ? nullptr : Player_LoadMem(bytes.data(), static_cast<int>(bytes.size()), 64, 0);
  if (module == nullptr) {
    error = "cannot load the music " + file + ": " +
            (bytes.empty() ? reason : MikMod_strerror(MikMod_errno));
    MikMod_Exit();
    return false;
  }
  // As the mixer sets them on loading: it does the looping itself, from the very start.
  module->extspd = 1;
  module->panflag = 1;
  module->wrap = 0;
  module->loop = 0;

  std::vector<int16_t> buffer(mixerBufferSamples * soundChannels);
  bool ok = true;
  bool started = false;
  for (uint64_t done = 0; ok && done < samples; done += mixerBufferSamples) {
    if (!started || !Player_Active()) playFromStart(module);
    started = true;
    VC_WriteBytes(reinterpret_cast<SBYTE*>(buffer.data()),
                  static_cast<ULONG>(buffer.size() * sizeof(int16_t)));
    const uint64_t wanted = std::min<uint64_t>(mixerBufferSamples, samples - done);
    ok = sink(buffer.data(), static_cast<size_t>(wanted));
  }
  Player_Stop();
  Player_Free(module);
  MikMod_Exit();
  return ok;
}
