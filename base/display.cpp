#include "base/display.h"

SDL_Surface* screen = nullptr;

SDL_Surface* getScreen() {
  return screen;
}
