#pragma once

#include <string>

#include "check/goldenList.h"

// A download checked on the machine it runs on (orbitra-capture --verify, the page's ?verify):
// every file the intro ships against the sums list, and the programs against theirs when the
// download has one, then the golden lists read; the caller then
// plays the soundtrack into `sound` and draws the golden run into `frames`, each as its build
// makes them, and shows the verdict its own way.
struct DownloadCheck {
  GoldenCheck frames;
  SoundCheck sound;
  int filesIntact = 0;

  // Reads the lists where assetFile finds them. False with one line, the first thing that
  // fails: a list that cannot be read or is no list, a file missing from the sums or damaged,
  // a program damaged (named in the folder of the running program).
  // `acceptMixer32`: the build plays the module through the 32-bit mixing paths.
  bool begin(bool acceptMixer32, std::string& error);

  // True once the whole soundtrack and the whole golden run were found equal.
  bool passed() const { return sound.passed() && frames.passed(); }
  // One line: "all 9004 frames and 180 s of sound identical, 10 files intact" (the programs
  // counted), or the first
  // difference, the sound's before the frames'.
  std::string verdict() const;
};
