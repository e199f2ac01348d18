#include "base/frameHash.h"

#include <cstdio>

namespace {
constexpr uint64_t fnvPrime = 1099511628211ull;
}  // namespace

uint64_t hashFrame(const void* pixels, int rowBytes, int rows, int pitch, uint64_t hash) {
  for (int y = 0; y < rows; ++y) {
    const Uint8* row = static_cast<const Uint8*>(pixels) + static_cast<size_t>(y) * pitch;
    for (int i = 0; i < rowBytes; ++i) hash = (hash ^ row[i]) * fnvPrime;
  }
  return hash;
}

uint64_t hashFrame(const SDL_Surface* surface, uint64_t hash) {
  return hashFrame(surface->pixels, surface->w * surface->format->BytesPerPixel, surface->h,
                   surface->pitch, hash);
}

std::string frameHashText(uint64_t hash) {
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
  return text;
}
