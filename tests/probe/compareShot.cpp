// Compares a screenshot with a 320x240 frame in 16-bit colour (5, 6 and 5 bits), where the
// libraries may widen channels differently. The frame is expected scaled into the box at
// (x, y) of w x h pixels by nearest neighbour, and black everywhere else.
// Usage: compareShot <screenshot.png> <frame.png> <x> <y> <w> <h> every|centres
//   every: each screenshot pixel in the box against the frame pixel it covers (whole factors)
//   centres: only the centre of each frame pixel's block (any factor)

#include <SDL.h>
#include <SDL_image.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {
struct Image {
  SDL_Surface* surface;
  Uint32 at(int x, int y) const {
    Uint8 r, g, b;
    const Uint8* p = static_cast<const Uint8*>(surface->pixels) + y * surface->pitch +
                     x * surface->format->BytesPerPixel;
    Uint32 value = 0;
    for (int i = 0; i < surface->format->BytesPerPixel; ++i) value |= Uint32{p[i]} << (8 * i);
    SDL_GetRGB(value, surface->format, &r, &g, &b);
    return Uint32(r >> 3) << 11 | Uint32(g >> 2) << 5 | Uint32(b >> 3);
  }
};

Image load(const char* file) {
  SDL_Surface* surface = IMG_Load(file);
  if (surface == nullptr) {
    std::fprintf(stderr, "cannot read %s: %s\n", file, IMG_GetError());
    std::exit(2);
  }
  return {surface};
}
}  // namespace

int main(int argc, char** argv) {
  if (argc != 8) {
    std::fprintf(stderr, "usage: %s shot frame x y w h every|centres\n", argv[0]);
    return 2;
  }
  const Image shot = load(argv[1]);
  const Image frame = load(argv[2]);
  const int bx = std::atoi(argv[3]), by = std::atoi(argv[4]);
  const int bw = std::atoi(argv[5]), bh = std::atoi(argv[6]);
  const bool every = std::string(argv[7]) == "every";
  const int fw = frame.surface->w, fh = frame.surface->h;
  long checked = 0, wrong = 0;
  auto check = [&](int sx, int sy, Uint32 expected) {
    ++checked;
    if (shot.at(sx, sy) == expected) return;
    if (wrong++ == 0) {
      std::fprintf(stderr, "first difference at (%d, %d): %04x, expected %04x\n", sx, sy,
                   shot.at(sx, sy), expected);
    }
  };
  for (int y = 0; y < shot.surface->h; ++y) {
    for (int x = 0; x < shot.surface->w; ++x) {
      const bool inside = x >= bx && x < bx + bw && y >= by && y < by + bh;
      if (!inside) {
        check(x, y, 0);
      } else if (every) {
        check(x, y, frame.at((x - bx) * fw / bw, (y - by) * fh / bh));
      }
    }
  }
  if (!every) {
    for (int fy = 0; fy < fh; ++fy) {
      for (int fx = 0; fx < fw; ++fx) {
        check(bx + (2 * fx + 1) * bw / (2 * fw), by + (2 * fy + 1) * bh / (2 * fh),
              frame.at(fx, fy));
      }
    }
  }
  std::printf("%ld pixels checked, %ld differ\n", checked, wrong);
  return wrong == 0 ? 0 : 1;
}
