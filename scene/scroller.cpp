#include "scene/scroller.h"

#include <SDL_ttf.h>

#include <string>

#include "base/assetNames.h"
#include "base/clock.h"
#include "base/errors.h"
#include "gfx/blit.h"
#include "gfx/surface.h"
#include "scene/introScene.h"
#include "scene/scrollMessage.h"

namespace {
const SDL_Color scrollTextColour = {250, 150, 250, 0};
ScrollerState scroller;
}  // namespace

namespace {
// True when any pixel of a rendered line is ink rather than the background (index 0).
bool hasInk(SDL_Surface* text) {
  lockSurface(text);
  bool ink = false;
  const int rowBytes = text->w * text->format->BytesPerPixel;
  for (int y = 0; y < text->h && !ink; ++y) {
    const Uint8* row = static_cast<const Uint8*>(text->pixels) + y * text->pitch;
    for (int i = 0; i < rowBytes && !ink; ++i) ink = row[i] != 0;
  }
  unlockSurface(text);
  return ink;
}
}  // namespace

// A font that opens but cannot draw (a truncated file, say) leaves the strip blank for the
// whole run: the library either fails or hands back a line without ink. Say so once.
void IntroScene::checkFirstRender(SDL_Surface* text) {
  scroller.firstRenderChecked = true;
  if (text != nullptr && hasInk(text)) return;
  std::string line = std::string("Font render failed! : ") + assets::font;
  // Only a failed render leaves the library's own reason; a blank line leaves none.
  if (text == nullptr) line += std::string(": ") + TTF_GetError();
  printError(line.c_str());
}

ScrollerState& scrollerState() {
  return scroller;
}

void resetScroller() {
  scroller = ScrollerState{};
}

void IntroScene::drawScroller(SDL_Surface* target) {
  SDL_FillRect(scrollerSurface, nullptr, SDL_MapRGB(scrollerSurface->format, 0, 0, 0));

  SDL_Surface* text = TTF_RenderText_Solid(scrollFont, scrollMessage, scrollTextColour);
  if (!scroller.firstRenderChecked) checkFirstRender(text);
  // One pixel per 10 ms from the strip's right edge; the rectangle's 16-bit x wraps it.
  const int x = 320 - static_cast<int>(ticks() / 10);
  if (text != nullptr) {
    blitAtAndFree(x, 0, text, scrollerSurface);
  }

  for (int i = 0; i < stripCount; ++i) {
    const int y = 155 + sineTable[(ticks() + 15u * i) % tableSize] / 50;
    const int sliceX = 10 * i + cosineTable[(ticks() + 20u * i) % tableSize] / 50;
    blitRegionAt(sliceX, y, scrollerSurface, target, &stripRects[i]);
  }
}
