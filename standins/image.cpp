// PNG loading laid out as the real image library does it: 16-bit channels stripped, small
// depths unpacked to a byte a pixel, grey expanded to 8 bits, grey with alpha turned to RGB,
// a palette with exactly one fully clear entry keyed on it (any other transparency expanded
// to RGBA), a transparent colour of a truecolour image keyed, and bytes in R, G, B(, A) order.
#include <png.h>

#include <csetjmp>
#include <vector>

#include "include/SDL_image.h"

namespace {
void readFromRwops(png_structp png, png_bytep data, png_size_t length) {
  auto* source = static_cast<SDL_RWops*>(png_get_io_ptr(png));
  if (SDL_RWread(source, data, 1, static_cast<int>(length)) != static_cast<int>(length)) {
    png_error(png, "Read error");
  }
}

// Decodes an open PNG stream; every libpng failure lands back here through longjmp.
SDL_Surface* decode(SDL_RWops* source) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (png == nullptr) {
    SDL_SetError("Couldn't allocate memory for PNG file or incompatible PNG dll");
    return nullptr;
  }
  png_infop info = png_create_info_struct(png);
  if (info == nullptr) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    SDL_SetError("Couldn't create image information for PNG file");
    return nullptr;
  }
  // Set before setjmp and only read after a longjmp, hence volatile.
  SDL_Surface* volatile surface = nullptr;
  std::vector<png_bytep> rows;
  if (setjmp(png_jmpbuf(png))) {
    SDL_SetError("Error reading the PNG file.");
    if (surface != nullptr) SDL_FreeSurface(surface);
    png_destroy_read_struct(&png, &info, nullptr);
    return nullptr;
  }
  png_set_read_fn(png, source, readFromRwops);
  png_read_info(png, info);

  png_uint_32 width, height;
  int depth, colourType;
  png_get_IHDR(png, info, &width, &height, &depth, &colourType, nullptr, nullptr, nullptr);
  png_set_strip_16(png);
  png_set_packing(png);
  if (colourType == PNG_COLOR_TYPE_GRAY) png_set_expand(png);

  int key = -1;
  png_color_16p transparent = nullptr;
  if (png_get_valid(png, info, PNG_INFO_tRNS)) {
    png_bytep alpha;
    int count;
    png_get_tRNS(png, info, &alpha, &count, &transparent);
    if (colourType == PNG_COLOR_TYPE_PALETTE) {
      int clear = -1;
      bool simple = true;
      for (int i = 0; i < count && simple; ++i) {
        if (alpha[i] == 0 && clear < 0) {
          clear = i;
        } else if (alpha[i] != 255) {
          simple = false;
        }
      }
      if (simple) {
        key = clear;
      } else {
        png_set_expand(png);
      }
    } else {
      key = 0;  // mapped once the surface's format is known
    }
  }
  if (colourType == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
  png_read_update_info(png, info);
  png_get_IHDR(png, info, &width, &height, &depth, &colourType, nullptr, nullptr, nullptr);

  const int channels = png_get_channels(png, info);
  Uint32 red = 0, green = 0, blue = 0, alphaMask = 0;
  if (colourType != PNG_COLOR_TYPE_PALETTE) {
#if SDL_BYTEORDER == SDL_LIL_ENDIAN
    red = 0x000000FF;
    green = 0x0000FF00;
    blue = 0x00FF0000;
    alphaMask = channels == 4 ? 0xFF000000 : 0;
#else
    const int shift = channels == 4 ? 0 : 8;
    red = 0xFF000000 >> shift;
    green = 0x00FF0000 >> shift;
    blue = 0x0000FF00 >> shift;
    alphaMask = 0x000000FF >> shift;
#endif
  }
  surface = SDL_CreateRGBSurface(SDL_SWSURFACE, static_cast<int>(width), static_cast<int>(height),
                                 depth * channels, red, green, blue, alphaMask);
  if (surface == nullptr) {
    png_destroy_read_struct(&png, &info, nullptr);
    return nullptr;
  }
  if (key != -1) {
    if (colourType != PNG_COLOR_TYPE_PALETTE) {
      key = static_cast<int>(SDL_MapRGB(surface->format, static_cast<Uint8>(transparent->red),
                                        static_cast<Uint8>(transparent->green),
                                        static_cast<Uint8>(transparent->blue)));
    }
    SDL_SetColorKey(surface, SDL_SRCCOLORKEY, static_cast<Uint32>(key));
  }

  rows.resize(height);
  for (png_uint_32 y = 0; y < height; ++y) {
    rows[y] = static_cast<png_bytep>(surface->pixels) + y * surface->pitch;
  }
  png_read_image(png, rows.data());
  png_read_end(png, info);

  if (SDL_Palette* palette = surface->format->palette) {
    if (colourType == PNG_COLOR_TYPE_GRAY) {
      palette->ncolors = 256;
      for (int i = 0; i < 256; ++i) {
        palette->colors[i].r = palette->colors[i].g = palette->colors[i].b = static_cast<Uint8>(i);
      }
    } else {
      png_colorp entries;
      int count = 0;
      png_get_PLTE(png, info, &entries, &count);
      if (count > 0) {
        palette->ncolors = count;
        for (int i = 0; i < count; ++i) {
          palette->colors[i].r = entries[i].red;
          palette->colors[i].g = entries[i].green;
          palette->colors[i].b = entries[i].blue;
        }
      }
    }
  }
  png_destroy_read_struct(&png, &info, nullptr);
  return surface;
}

bool isPng(SDL_RWops* source) {
  const int start = SDL_RWtell(source);
  png_byte signature[8];
  const bool png = SDL_RWread(source, signature, 1, 8) == 8 && png_sig_cmp(signature, 0, 8) == 0;
  SDL_RWseek(source, start, RW_SEEK_SET);
  return png;
}
}  // namespace

extern "C" SDL_Surface* ORBITRA_STANDIN(IMG_Load)(const char* file) {
  SDL_RWops* source = SDL_RWFromFile(file, "rb");
  if (source == nullptr) return nullptr;  // the library has said why
  SDL_Surface* surface = nullptr;
  if (isPng(source)) {
    surface = decode(source);
  } else {
    SDL_SetError("Unsupported image format");
  }
  SDL_RWclose(source);
  return surface;
}
