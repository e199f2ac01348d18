#include "songData.h"

namespace {

const char* const driveBass = "r.o.r.o.r.o.r.o.";
const char* const pushChords = "x--x--x-x--x--x-";
const char* const mainBeat = "k.h.s.h.k.hks.h.";
const char* const mainBeatB = "k.h.s.h.k.h.s.hH";

const char* const themeOpening = "E-3 . . E-3 . . D-3 . C-3 . . . D-3 . E-3 .";

}  // namespace

const std::vector<SongSection>& songSections() {
  static const std::vector<SongSection> sections = {
      // 0: drums and bass alone; also where the loop lands.
      {{"Am", "F", "C", "G"},
       driveBass,
       nullptr,
       {"k.h.k.h.k.h.k.h.", "k.h.k.h.k.h.k.hH", "k.h.k.h.k.h.k.h.", "k.h.k.h.k.h.s.sS"},
       {nullptr, nullptr, nullptr, nullptr}},
      // 1: the chords come in.
      {{"Am", "F", "C", "G"},
       driveBass,
       pushChords,
       {mainBeat, mainBeatB, mainBeat, "k.h.s.h.k.hks.sS"},
       {nullptr, nullptr, nullptr, nullptr}},
      // 2: the theme, first half.
      {{"Am", "F", "C", "G"},
       driveBass,
       pushChords,
       {mainBeat, mainBeatB, mainBeat, mainBeatB},
       {themeOpening, "C-3 . . . A-2 . . . . . . . ^ . . .",
        "G-3 . . G-3 . . E-3 . D-3 . . . C-3 . D-3 .",
        "D-3 . . . B-2 . . . G-2 . . . A-2 . B-2 ."}},
      // 3: the theme's answer.
      {{"Am", "F", "C", "G"},
       driveBass,
       pushChords,
       {mainBeat, mainBeatB, mainBeat, "k.h.s.h.k.hks.sS"},
       {themeOpening, "F-3 . . . E-3 . . . C-3 . . . A-2 . . .",
        "G-3 . . . E-3 . G-3 . A-3 . . . G-3 . E-3 .", "D-3 . . . . . . . B-2 . . . D-3 . . ."}},
      // 4: bridge, a falling line over a new progression.
      {{"F", "G", "Em", "Am"},
       "r..r..r.o..o..r.",
       "x-------x-------",
       {"k.h.s.hok.h.s.ho", "k.h.s.hok.h.s.ho", "k.h.s.hok.h.s.ho", "k.h.s.hok.hks.sS"},
       {"A-3 . . . G-3 . . . F-3 . . . E-3 . . .", "D-3 . . . . . B-2 . D-3 . . . G-3 . . .",
        "E-3 . . . . . . . B-2 . . . E-3 . G-3 .", "A-3 . . . . . . . . . . . ^ . . ."}},
      // 5: climbing broken chords and a snare roll back into the theme.
      {{"Dm", "Em", "F", "G"},
       driveBass,
       pushChords,
       {mainBeat, mainBeatB, mainBeat, "S.s.S.s.SsSsSSSS"},
       {"F-3 . . D-3 . . A-2 . F-3 . . D-3 . . A-2 .",
        "G-3 . . E-3 . . B-2 . G-3 . . E-3 . . B-2 .",
        "A-3 . . F-3 . . C-3 . A-3 . . F-3 . . C-3 .",
        "B-3 . . G-3 . . D-3 . B-3 . G-3 . D-3 . B-2 ."}},
      // 6: breakdown, hats and long notes only.
      {{"Am", "F", "C", "G"},
       "r.......o.......",
       "x---------------",
       {"..h...h...h...h.", "..h...h...h...h.", "..h...h...h...h.", "..h...h...h.h.hH"},
       {"E-3 . . . . . . . . . . . . . . .", "C-3 . . . . . . . A-2 . . . . . . .",
        "G-3 . . . . . . . E-3 . . . . . . .", "D-3 . . . . . . . B-2 . . . ^ . . ."}},
      // 7: the beat builds up again under running arpeggios.
      {{"Am", "F", "C", "G"},
       driveBass,
       pushChords,
       {"k...k...k...k...", "k...k...k...k.h.", "k.h.k.h.k.h.k.h.", "s.s.s.s.ssssSSSS"},
       {"A-2 . C-3 . E-3 . A-3 . E-3 . C-3 . A-2 . C-3 .",
        "A-2 . C-3 . F-3 . A-3 . F-3 . C-3 . A-2 . C-3 .",
        "G-2 . C-3 . E-3 . G-3 . E-3 . C-3 . G-2 . C-3 .",
        "G-2 . B-2 . D-3 . G-3 . B-3 . . . . . ^ ."}},
      // 8: last answer; lead and chords stop so the loop falls back to drums and bass.
      {{"Am", "F", "C", "G"},
       driveBass,
       "x--x--x-x--x^...",
       {mainBeat, mainBeatB, mainBeat, "k.h.s.h.s.sSsSSS"},
       {themeOpening, "F-3 . . . E-3 . . . C-3 . . . A-2 . . .",
        "G-3 . . . E-3 . G-3 . A-3 . . . G-3 . E-3 .", "D-3 . . . B-2 . . . A-2 . . . ^ . . ."}},
  };
  return sections;
}

const std::vector<int>& songOrder() {
  static const std::vector<int> order = {0, 1, 2, 3, 4, 5, 2, 3, 6, 7, 2, 8};
  return order;
}
