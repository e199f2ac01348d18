#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "support/testPlatform.h"

#if defined(ORBITRA_HAS_ASSETGEN)
#include "trackerModule.h"
#endif

// The music is read back here with a reader of its own, written from the file layout rather
// than from the generator, so a slip in the writer shows up as a mismatch.
namespace {

struct ReadSample {
  std::string name;
  size_t length = 0;  // bytes
  int volume = 0;
  size_t loopStart = 0, loopLength = 0;  // bytes; a length of 2 means no loop
};

struct ReadCell {
  int sample = 0, period = 0, effect = 0, param = 0;
};

struct ReadModule {
  bool valid = false;
  std::array<ReadSample, 31> samples;
  int songLength = 0;
  std::array<int, 128> order{};
  int patternCount = 0;
  std::vector<std::array<ReadCell, 4>> rows;  // pattern * 64 + row
  size_t expectedSize = 0, actualSize = 0;

  const std::array<ReadCell, 4>& row(int pattern, int r) const { return rows[pattern * 64 + r]; }
  int sampleNamed(const std::string& name) const {
    for (int i = 0; i < 31; ++i) {
      if (samples[i].name == name) return i + 1;
    }
    return 0;
  }
};

int word(const std::vector<uint8_t>& b, size_t at) {
  return b[at] << 8 | b[at + 1];
}

ReadModule readModule(const std::vector<uint8_t>& b) {
  ReadModule m;
  if (b.size() < 1084 || std::string(b.begin() + 1080, b.begin() + 1084) != "M.K.") return m;
  size_t sampleBytes = 0;
  for (int i = 0; i < 31; ++i) {
    const size_t at = 20 + 30 * i;
    ReadSample& s = m.samples[i];
    s.name.assign(reinterpret_cast<const char*>(&b[at]), 22);
    s.name.resize(s.name.find('\0') == std::string::npos ? 22 : s.name.find('\0'));
    s.length = word(b, at + 22) * 2u;
    s.volume = b[at + 25];
    s.loopStart = word(b, at + 26) * 2u;
    s.loopLength = word(b, at + 28) * 2u;
    sampleBytes += s.length;
  }
  m.songLength = b[950];
  for (int i = 0; i < 128; ++i) {
    m.order[i] = b[952 + i];
    m.patternCount = std::max(m.patternCount, m.order[i] + 1);
  }
  m.expectedSize = 1084 + 1024u * m.patternCount + sampleBytes;
  m.actualSize = b.size();
  if (m.actualSize < 1084 + 1024u * m.patternCount) return m;
  for (int cell = 0; cell < 64 * m.patternCount; ++cell) {
    std::array<ReadCell, 4> row;
    for (int c = 0; c < 4; ++c) {
      const uint8_t* p = &b[1084 + (cell * 4 + c) * 4];
      row[c] = {(p[0] & 0xF0) | (p[2] >> 4), (p[0] & 0x0F) << 8 | p[1], p[2] & 0x0F, p[3]};
    }
    m.rows.push_back(row);
  }
  m.valid = true;
  return m;
}

std::vector<uint8_t> readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

const ReadModule& song() {
  static const ReadModule module = readModule(readFile(ORBITRA_SOURCE_DIR "/res/zak.dat"));
  return module;
}

const std::set<int> periods = {856, 808, 762, 720, 678, 640, 604, 570, 538, 508, 480, 453,
                               428, 404, 381, 360, 339, 320, 302, 285, 269, 254, 240, 226,
                               214, 202, 190, 180, 170, 160, 151, 143, 135, 127, 120, 113};

// Calls visit(orderIndex, pattern, row) for every row in playing order.
template <typename Visit>
void forEachPlayedRow(const ReadModule& m, Visit visit) {
  for (int o = 0; o < m.songLength; ++o) {
    for (int r = 0; r < 64; ++r) visit(o, m.order[o], r);
  }
}

}  // namespace

TEST(AssetMusic, IsAFourChannelModuleWhoseSizeMatchesItsHeader) {
  const ReadModule& m = song();
  ASSERT_TRUE(m.valid) << "no M.K. module at res/zak.dat";
  EXPECT_EQ(m.actualSize, m.expectedSize);
  EXPECT_GE(m.songLength, 1);
  EXPECT_LE(m.songLength, 128);
  EXPECT_LE(m.patternCount, 64);
  // Every stored pattern is played: the reader takes the count from the whole order table.
  std::set<int> played(m.order.begin(), m.order.begin() + m.songLength);
  EXPECT_EQ(static_cast<int>(played.size()), m.patternCount);
  for (int i = m.songLength; i < 128; ++i) EXPECT_EQ(m.order[i], 0);
}

TEST(AssetMusic, HasBassLeadChordAndDrumInstruments) {
  const ReadModule& m = song();
  ASSERT_TRUE(m.valid);
  for (const char* name : {"bass", "lead", "chord"}) {
    const int slot = m.sampleNamed(name);
    ASSERT_GT(slot, 0) << name;
    const ReadSample& s = m.samples[slot - 1];
    // Held notes need a loop, and the loop must lie inside the sample.
    EXPECT_GT(s.loopLength, 2u) << name;
    EXPECT_LE(s.loopStart + s.loopLength, s.length) << name;
    EXPECT_GT(s.volume, 0) << name;
    EXPECT_LE(s.volume, 64) << name;
  }
  for (const char* name : {"kick", "snare", "closed hat", "open hat"}) {
    const int slot = m.sampleNamed(name);
    ASSERT_GT(slot, 0) << name;
    const ReadSample& s = m.samples[slot - 1];
    EXPECT_GT(s.length, 200u) << name;
    EXPECT_EQ(s.loopLength, 2u) << name << " should play once";
    EXPECT_LE(s.volume, 64) << name;
  }
}

// The mixer restarts at the first order and ignores jumps, so the song has to run straight
// from the first row to the last: no jumps, breaks, pattern loops or row delays, and no
// change of pace that a restart would undo.
TEST(AssetMusic, PlaysStraightThroughAtOneSteadyPace) {
  const ReadModule& m = song();
  ASSERT_TRUE(m.valid);
  int speed = 6, tempo = 125;
  forEachPlayedRow(m, [&](int o, int pattern, int r) {
    for (const ReadCell& cell : m.row(pattern, r)) {
      EXPECT_NE(cell.effect, 0xB) << "order " << o << " row " << r;
      EXPECT_NE(cell.effect, 0xD) << "order " << o << " row " << r;
      if (cell.effect == 0xE) {
        EXPECT_NE(cell.param >> 4, 0x6) << "pattern loop at order " << o << " row " << r;
        EXPECT_NE(cell.param >> 4, 0xE) << "row delay at order " << o << " row " << r;
      }
      if (cell.effect == 0xF) (cell.param < 32 ? speed : tempo) = cell.param;
    }
    EXPECT_EQ(speed, 6);
    EXPECT_EQ(tempo, 125);
  });
}

// Rows are sixteenth notes: 6 ticks of 20 ms make 120 ms, four rows a beat of 125 per
// minute. The song repeats after over a minute, and ends on a bar line so the restart keeps
// the beat.
TEST(AssetMusic, LastsOverAMinuteAndLoopsOnABarLine) {
  const ReadModule& m = song();
  ASSERT_TRUE(m.valid);
  const int rows = m.songLength * 64;
  EXPECT_GE(rows * 0.120, 60.0);
  EXPECT_EQ(rows % 16, 0);
}

TEST(AssetMusic, HasAMelodyOverADrivingBeat) {
  const ReadModule& m = song();
  ASSERT_TRUE(m.valid);
  const int kick = m.sampleNamed("kick"), lead = m.sampleNamed("lead");
  const int chord = m.sampleNamed("chord");
  ASSERT_TRUE(kick && lead && chord);
  std::set<int> leadPeriods;
  int bars = 0, barsWithKick = 0, leadNotes = 0, arpeggioRows = 0, badPeriods = 0;
  bool kickInBar = false;
  forEachPlayedRow(m, [&](int, int pattern, int r) {
    for (const ReadCell& cell : m.row(pattern, r)) {
      if (cell.period && !periods.count(cell.period)) ++badPeriods;
      if (cell.sample == kick && cell.period) kickInBar = true;
      if (cell.sample == lead && cell.period) leadPeriods.insert(cell.period), ++leadNotes;
      if (cell.effect == 0 && cell.param) ++arpeggioRows;
    }
    if (r % 16 == 15) bars += 1, barsWithKick += kickInBar, kickInBar = false;
  });
  EXPECT_EQ(badPeriods, 0) << "notes off the period table";
  EXPECT_GE(barsWithKick * 4, bars * 3) << "the kick drum should drive most bars";
  EXPECT_GE(leadPeriods.size(), 8u) << "a melody needs more than a few pitches";
  EXPECT_GE(leadNotes, 150);
  EXPECT_GT(arpeggioRows, 0) << "chords are played as arpeggios";
}

// The intro loads "res/zak.dat": the name says nothing, the mixer goes by the content.
TEST(AssetMusic, MixerLoadsAndPlaysTheDatFile) {
  startPlatform();
  Mix_Music* music = Mix_LoadMUS(ORBITRA_SOURCE_DIR "/res/zak.dat");
  ASSERT_NE(music, nullptr) << Mix_GetError();
  EXPECT_EQ(Mix_PlayMusic(music, -1), 0) << Mix_GetError();
  EXPECT_EQ(Mix_PlayingMusic(), 1);
  Mix_HaltMusic();
  Mix_FreeMusic(music);
}

#if defined(ORBITRA_HAS_ASSETGEN)
// Sample numbers above 15 are split over two nibbles; loops and lengths are in words.
TEST(AssetModule, WriterLayoutReadsBack) {
  Module module;
  module.title = "layout";
  module.samples.resize(17);
  module.samples[0].name = "looped";
  module.samples[0].data = std::vector<int8_t>(10, 5);
  module.samples[0].volume = 40;
  module.samples[0].loopStart = 4;
  module.samples[0].loopLength = 6;
  module.samples[16].name = "seventeenth";
  module.samples[16].data = std::vector<int8_t>(4, -3);
  module.patterns.resize(2);
  ModuleCell& cell = module.patterns[1].rows[63][3];
  cell.note = 35, cell.sample = 17, cell.effect = 0xC, cell.param = 0x20;
  module.order = {1, 0, 1};

  const std::vector<uint8_t> bytes = encodeModule(module);
  const ReadModule m = readModule(bytes);
  ASSERT_TRUE(m.valid);
  EXPECT_EQ(m.actualSize, m.expectedSize);
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 6), "layout");
  EXPECT_EQ(m.songLength, 3);
  EXPECT_EQ(m.patternCount, 2);
  EXPECT_EQ(m.samples[0].name, "looped");
  EXPECT_EQ(m.samples[0].length, 10u);
  EXPECT_EQ(m.samples[0].volume, 40);
  EXPECT_EQ(m.samples[0].loopStart, 4u);
  EXPECT_EQ(m.samples[0].loopLength, 6u);
  EXPECT_EQ(m.samples[16].loopLength, 2u);  // no loop
  EXPECT_EQ(m.samples[20].length, 0u);      // unused slot
  const ReadCell& read = m.row(1, 63)[3];
  EXPECT_EQ(read.sample, 17);
  EXPECT_EQ(read.period, 113);
  EXPECT_EQ(read.effect, 0xC);
  EXPECT_EQ(read.param, 0x20);
  EXPECT_EQ(m.row(0, 0)[0].period, 0);
  // Sample data follows the patterns in slot order.
  EXPECT_EQ(static_cast<int8_t>(bytes[1084 + 2 * 1024]), 5);
  EXPECT_EQ(static_cast<int8_t>(bytes.back()), -3);
}
#endif
