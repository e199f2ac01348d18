#pragma once

#include <SDL.h>

#include <cstdint>
#include <memory>
#include <vector>

class IntroScene;

// Where the intro's 320x240 picture goes in a window of a given size: enlarged by the largest
// whole factor that fits, or, in a window smaller than the picture, reduced by the smallest whole
// divisor that fits; centred, black around it. Empty (0x0) for a window with no area.
struct PictureFit {
  int times = 1;  // the picture is scaled by times / per
  int per = 1;
  int x = 0, y = 0, width = 0, height = 0;
};
PictureFit fitPicture(int windowWidth, int windowHeight);

// The intro's frames as the saver shows them: the scene drawn headless (no window of the
// library's, no sound) by the intro's own frame code, one frame each 20 ms of the library's
// clock, the clock held through a frame at its 20 ms step so that every frame is one of the
// golden run's. One per process: the platform and the effects' state are global.
class SaverPicture {
 public:
  static constexpr Uint32 frameStep = 20;

  SaverPicture();
  ~SaverPicture();
  SaverPicture(const SaverPicture&) = delete;
  SaverPicture& operator=(const SaverPicture&) = delete;

  // False, the library's error printed, when the headless display does not start. A file of
  // the intro that cannot be loaded ends the run as it ends the intro.
  bool start();
  // Draws the frame of the step the library's clock is in.
  void drawFrame();
  // Sleeps until the next step begins.
  void waitForNextFrame() const;
  // The value for each 16-bit pixel of the picture in a 32-bit pixel with the given channel
  // masks (a window's visual, or a Windows bitmap's 0xff0000, 0xff00, 0xff).
  std::vector<uint32_t> colourTable(uint32_t red, uint32_t green, uint32_t blue) const;
  // The last frame scaled by `fit` into rows of `stride` pixels from `out`, through `colours`.
  void scaleInto(const PictureFit& fit, uint32_t* out, int stride,
                 const std::vector<uint32_t>& colours) const;

 private:
  std::unique_ptr<IntroScene> scene_;
  bool started_ = false;
};
