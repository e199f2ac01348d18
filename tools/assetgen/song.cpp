#include "song.h"

#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>

#include "instruments.h"
#include "songData.h"

namespace {

enum SampleSlot {
  bassSlot = 1,
  leadSlot,
  chordSlot,
  kickSlot,
  snareSlot,
  closedHatSlot,
  openHatSlot
};

constexpr int effectArpeggio = 0x0;
constexpr int effectVibrato = 0x4;
constexpr int effectVolume = 0xC;
constexpr int effectSpeed = 0xF;
constexpr int rowsPerBar = 16;
constexpr int drumNote = 24;         // the drums are made for the top octave's C
constexpr int leadVibratoAfter = 4;  // rows a lead note is held before it starts to sing

struct Harmony {
  const char* name;
  int bassRoot;
  int chordRoot;
  int arpeggio;  // semitones of the two upper chord notes, as the arpeggio effect takes them
};

// Bass roots sit in the lowest octave, chord roots an octave or two above.
const Harmony harmonies[] = {
    {"Am", 9, 21, 0x37}, {"F", 5, 17, 0x47},  {"C", 12, 24, 0x47},
    {"G", 7, 19, 0x47},  {"Em", 4, 16, 0x37}, {"Dm", 2, 14, 0x37},
};

bool fail(const std::string& what) {
  std::fprintf(stderr, "song data: %s\n", what.c_str());
  return false;
}

const Harmony* findHarmony(const char* name) {
  for (const Harmony& h : harmonies) {
    if (std::strcmp(h.name, name) == 0) return &h;
  }
  return nullptr;
}

// "C-1" is note 0, "B-3" note 35; anything else gives noNote.
int parseNote(const std::string& token) {
  static const char* const names = "C-C#D-D#E-F-F#G-G#A-A#B-";
  if (token.size() != 3 || token[2] < '1' || token[2] > '3') return noNote;
  for (int semitone = 0; semitone < 12; ++semitone) {
    if (token.compare(0, 2, names + 2 * semitone, 2) == 0) {
      return semitone + 12 * (token[2] - '1');
    }
  }
  return noNote;
}

ModuleCell noteCell(int note, int sample) {
  ModuleCell cell;
  cell.note = note;
  cell.sample = sample;
  return cell;
}

ModuleCell effectCell(int effect, int param) {
  ModuleCell cell;
  cell.effect = effect;
  cell.param = param;
  return cell;
}

bool checkRhythm(const char* rhythm, const char* allowed, const char* what) {
  if (std::strlen(rhythm) != rowsPerBar) return fail(std::string(what) + " rhythm is not 16 rows");
  if (std::strspn(rhythm, allowed) != rowsPerBar) {
    return fail(std::string(what) + " rhythm has an unknown mark: " + rhythm);
  }
  return true;
}

bool writeBass(ModulePattern& pattern, int bar, const Harmony& harmony, const char* rhythm) {
  if (!checkRhythm(rhythm, "rof^.", "bass")) return false;
  for (int i = 0; i < rowsPerBar; ++i) {
    ModuleCell& cell = pattern.rows[bar * rowsPerBar + i][bassChannel];
    switch (rhythm[i]) {
      case 'r':
        cell = noteCell(harmony.bassRoot, bassSlot);
        break;
      case 'o':
        cell = noteCell(harmony.bassRoot + 12, bassSlot);
        break;
      case 'f':
        cell = noteCell(harmony.bassRoot + 7, bassSlot);
        break;
      case '^':
        cell = effectCell(effectVolume, 0);
        break;
    }
  }
  return true;
}

// The arpeggio effect lasts one row, so it is repeated on every row the chord sounds.
bool writeChords(ModulePattern& pattern, int bar, const Harmony& harmony, const char* rhythm) {
  if (!checkRhythm(rhythm, "x-.^", "chord")) return false;
  bool sounding = false;
  for (int i = 0; i < rowsPerBar; ++i) {
    ModuleCell& cell = pattern.rows[bar * rowsPerBar + i][chordChannel];
    if (rhythm[i] == 'x') {
      cell = noteCell(harmony.chordRoot, chordSlot);
      sounding = true;
    } else if (rhythm[i] == '^') {
      cell = effectCell(effectVolume, 0);
      sounding = false;
      continue;
    }
    if (sounding) cell.effect = effectArpeggio, cell.param = harmony.arpeggio;
  }
  return true;
}

bool writeDrums(ModulePattern& pattern, int bar, const char* rhythm) {
  if (!checkRhythm(rhythm, "ksShHo.", "drum")) return false;
  for (int i = 0; i < rowsPerBar; ++i) {
    ModuleCell& cell = pattern.rows[bar * rowsPerBar + i][drumChannel];
    int sample = 0, volume = 0;
    switch (rhythm[i]) {
      case 'k':
        sample = kickSlot, volume = 64;
        break;
      case 's':
        sample = snareSlot, volume = 44;
        break;
      case 'S':
        sample = snareSlot, volume = 60;
        break;
      case 'h':
        sample = closedHatSlot, volume = 26;
        break;
      case 'H':
        sample = closedHatSlot, volume = 40;
        break;
      case 'o':
        sample = openHatSlot, volume = 30;
        break;
      default:
        continue;
    }
    cell = noteCell(drumNote, sample);
    cell.effect = effectVolume, cell.param = volume;
  }
  return true;
}

// Held lead notes get a gentle vibrato once they have sounded for a few rows.
bool writeLead(ModulePattern& pattern, int bar, const char* line, int& heldRows) {
  std::istringstream tokens(line);
  std::string token;
  int i = 0;
  for (; tokens >> token; ++i) {
    if (i >= rowsPerBar) return fail(std::string("lead bar longer than 16 rows: ") + line);
    ModuleCell& cell = pattern.rows[bar * rowsPerBar + i][leadChannel];
    if (token == ".") {
      if (heldRows >= 0 && ++heldRows >= leadVibratoAfter) {
        cell = effectCell(effectVibrato, 0x45);
      }
    } else if (token == "^") {
      cell = effectCell(effectVolume, 0);
      heldRows = -1;
    } else {
      const int note = parseNote(token);
      if (note == noNote) return fail("unknown lead note " + token);
      cell = noteCell(note, leadSlot);
      heldRows = 0;
    }
  }
  if (i != rowsPerBar) return fail(std::string("lead bar shorter than 16 rows: ") + line);
  return true;
}

bool writeSection(ModulePattern& pattern, const SongSection& section) {
  int heldRows = -1;
  for (int bar = 0; bar < 4; ++bar) {
    const Harmony* harmony = findHarmony(section.chords[bar]);
    if (!harmony) return fail(std::string("unknown chord ") + section.chords[bar]);
    if (!writeBass(pattern, bar, *harmony, section.bass)) return false;
    if (section.chordRhythm && !writeChords(pattern, bar, *harmony, section.chordRhythm)) {
      return false;
    }
    if (!writeDrums(pattern, bar, section.drums[bar])) return false;
    if (section.lead[bar] && !writeLead(pattern, bar, section.lead[bar], heldRows)) return false;
  }
  return true;
}

}  // namespace

bool buildSong(Module& module) {
  module = Module();
  module.title = "orbitra";
  module.samples = {makeBass(),  makeLead(),      makeChord(),  makeKick(),
                    makeSnare(), makeClosedHat(), makeOpenHat()};
  for (const SongSection& section : songSections()) {
    module.patterns.emplace_back();
    if (!writeSection(module.patterns.back(), section)) return false;
  }
  for (int index : songOrder()) {
    if (index < 0 || index >= static_cast<int>(module.patterns.size())) {
      return fail("order names a section that does not exist");
    }
    module.order.push_back(index);
  }
  // Speed 6 and tempo 125 are every player's defaults; saying so on the first row makes the
  // timing explicit. Both channels are free there, since the song opens with drums and bass.
  auto& firstRow = module.patterns[module.order.front()].rows[0];
  auto isFree = [](const ModuleCell& c) { return c.note == noNote && !c.effect && !c.param; };
  if (!isFree(firstRow[leadChannel]) || !isFree(firstRow[chordChannel])) {
    return fail("the first row needs the lead and chord channels free");
  }
  firstRow[leadChannel].effect = effectSpeed, firstRow[leadChannel].param = 6;
  firstRow[chordChannel].effect = effectSpeed, firstRow[chordChannel].param = 125;
  return true;
}
