#pragma once

#include <array>
#include <vector>

// The song written down by hand: sections of four bars (one pattern each, 16 rows a bar) and
// the order in which they play. Rows are sixteenth notes: at speed 6 and tempo 125 a row
// lasts 120 ms, so a bar is 1.92 s and a beat 125 per minute.
//
// Chords name one of the harmonies the builder knows ("Am", "F", "C", "G", "Em", "Dm").
// Rhythm strings hold one character per row:
//   bass:   r root, o root an octave up, f fifth, ^ silence, . keep sounding
//   chords: x strike the chord, - or . keep it arpeggiating, ^ silence (nullptr: no chords)
//   drums:  k kick, s snare, S loud snare, h closed hat, H loud hat, o open hat, . nothing
// Lead bars hold sixteen tokens separated by blanks: a note such as "E-3" or "C#2" (the
// octaves run 1 to 3), "^" for silence or "." to keep the previous note sounding.
struct SongSection {
  std::array<const char*, 4> chords;
  const char* bass;
  const char* chordRhythm;
  std::array<const char*, 4> drums;
  std::array<const char*, 4> lead;  // nullptr bars leave the lead channel alone
};

const std::vector<SongSection>& songSections();

// Section numbers in playing order. The last section leads back into the first, since the
// player restarts at the first order when it loops.
const std::vector<int>& songOrder();
