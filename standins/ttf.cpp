// Text drawn as the real text library draws a solid line: each glyph loaded with the default
// hinting and rendered in the monochrome mode, placed by its whole-pixel metrics (bearing and
// advance rounded outwards, kerning from the font's table), and OR-ed into an 8-bit surface
// whose width and height come from the same measurement pass. Like the real library, each font
// keeps the glyphs of the 256 Latin-1 codes once loaded: a glyph depends only on its font.
#include <ft2build.h>

#include "include/SDL_ttf.h"
#include FT_FREETYPE_H

#include <algorithm>
#include <cstring>
#include <vector>

// One glyph's placement in whole pixels and its bitmap, unpacked to one byte (0 or 1) a pixel.
struct CompatGlyph {
  FT_UInt index = 0;
  int minx = 0, maxx = 0, miny = 0, maxy = 0, yoffset = 0, advance = 0;
  int rows = 0, width = 0, pitch = 0;
  std::vector<Uint8> pixels;
  bool loaded = false;
};

struct CompatFont {
  FT_Face face = nullptr;
  std::vector<unsigned char> file;  // the face reads from this memory
  int ascent = 0;
  int height = 0;
  CompatGlyph glyphs[256];  // by Latin-1 code, each loaded on first use
};

namespace {
using Glyph = CompatGlyph;
FT_Library library = nullptr;
int startCount = 0;
std::vector<CompatFont*> openFonts;

int floorPixels(FT_Pos v) {
  return static_cast<int>((v & -64) / 64);
}
int ceilPixels(FT_Pos v) {
  return static_cast<int>(((v + 63) & -64) / 64);
}

bool loadGlyph(CompatFont* font, unsigned long code, Glyph& glyph) {
  FT_Face face = font->face;
  glyph.index = FT_Get_Char_Index(face, code);
  if (FT_Load_Glyph(face, glyph.index, FT_LOAD_DEFAULT) != 0) return false;
  const FT_Glyph_Metrics& m = face->glyph->metrics;
  glyph.minx = floorPixels(m.horiBearingX);
  glyph.maxx = glyph.minx + ceilPixels(m.width);
  glyph.maxy = floorPixels(m.horiBearingY);
  glyph.miny = glyph.maxy - ceilPixels(m.height);
  glyph.yoffset = font->ascent - glyph.maxy;
  glyph.advance = ceilPixels(m.horiAdvance);

  if (FT_Render_Glyph(face->glyph, FT_RENDER_MODE_MONO) != 0) return false;
  const FT_Bitmap& src = face->glyph->bitmap;
  // Samples per source byte; the unpacked row keeps them all, as wide as the source pitch.
  int perByte = 1;
  if (src.pixel_mode == FT_PIXEL_MODE_MONO) perByte = 8;
  if (src.pixel_mode == FT_PIXEL_MODE_GRAY2) perByte = 4;
  if (src.pixel_mode == FT_PIXEL_MODE_GRAY4) perByte = 2;
  glyph.rows = static_cast<int>(src.rows);
  glyph.width = static_cast<int>(src.width);
  glyph.pitch = src.pitch * perByte;
  glyph.pixels.assign(static_cast<size_t>(glyph.pitch) * glyph.rows, 0);
  const int bits = 8 / perByte;
  const int top = (1 << bits) - 1;
  for (int y = 0; y < glyph.rows; ++y) {
    const unsigned char* in = src.buffer + y * src.pitch;
    Uint8* out = glyph.pixels.data() + y * glyph.pitch;
    for (unsigned x = 0; x < src.width; ++x) {
      const int value = (in[x / perByte] >> (8 - bits * (1 + x % perByte))) & top;
      // A sample is ink from half its scale up.
      out[x] = value * 2 > top ? 1 : 0;
    }
  }
  return true;
}

// The font's glyph for a Latin-1 code, loaded the first time; null when it cannot be loaded.
const Glyph* cachedGlyph(CompatFont* font, unsigned char code) {
  Glyph& glyph = font->glyphs[code];
  if (!glyph.loaded) {
    if (!loadGlyph(font, code, glyph)) return nullptr;
    glyph.loaded = true;
  }
  return &glyph;
}

void freeFont(CompatFont* font) {
  if (font->face != nullptr) FT_Done_Face(font->face);
  delete font;
}
}  // namespace

extern "C" int ORBITRA_STANDIN(TTF_Init)(void) {
  if (startCount == 0 && FT_Init_FreeType(&library) != 0) {
    SDL_SetError("Couldn't init FreeType engine");
    return -1;
  }
  ++startCount;
  return 0;
}

extern "C" void ORBITRA_STANDIN(TTF_Quit)(void) {
  if (startCount == 0 || --startCount > 0) return;
  for (CompatFont* font : openFonts) freeFont(font);
  openFonts.clear();
  FT_Done_FreeType(library);
  library = nullptr;
}

extern "C" CompatFont* ORBITRA_STANDIN(TTF_OpenFont)(const char* file, int ptsize) {
  if (startCount == 0) {
    SDL_SetError("Library not initialized");
    return nullptr;
  }
  SDL_RWops* source = SDL_RWFromFile(file, "rb");
  if (source == nullptr) return nullptr;  // the library has said why
  auto* font = new CompatFont;
  const int size = SDL_RWseek(source, 0, RW_SEEK_END);
  SDL_RWseek(source, 0, RW_SEEK_SET);
  font->file.resize(size > 0 ? size : 0);
  const bool read = size > 0 && SDL_RWread(source, font->file.data(), size, 1) == 1;
  SDL_RWclose(source);
  if (!read || FT_New_Memory_Face(library, font->file.data(), size, 0, &font->face) != 0) {
    SDL_SetError("Couldn't load font file");
    freeFont(font);
    return nullptr;
  }
  FT_Face face = font->face;
  // A Unicode map when there is one: Windows Unicode or Symbol, ISO Unicode, Apple Unicode.
  for (int i = 0; i < face->num_charmaps; ++i) {
    const FT_CharMap map = face->charmaps[i];
    if ((map->platform_id == 3 && (map->encoding_id == 1 || map->encoding_id == 0)) ||
        (map->platform_id == 2 && map->encoding_id == 1) || map->platform_id == 0) {
      FT_Set_Charmap(face, map);
      break;
    }
  }
  if (!FT_IS_SCALABLE(face)) {
    SDL_SetError("Couldn't set font size");  // the intro's font is an outline font
    freeFont(font);
    return nullptr;
  }
  if (FT_Set_Char_Size(face, 0, ptsize * 64, 0, 0) != 0) {
    SDL_SetError("Couldn't set font size");
    freeFont(font);
    return nullptr;
  }
  const FT_Fixed scale = face->size->metrics.y_scale;
  font->ascent = ceilPixels(FT_MulFix(face->ascender, scale));
  const int descent = ceilPixels(FT_MulFix(face->descender, scale));
  font->height = font->ascent - descent + 1;  // the baseline row
  openFonts.push_back(font);
  return font;
}

extern "C" SDL_Surface* ORBITRA_STANDIN(TTF_RenderText_Solid)(CompatFont* font, const char* text,
                                                              SDL_Color fg) {
  if (startCount == 0) {
    SDL_SetError("Library not initialized");
    return nullptr;
  }
  if (text == nullptr) {
    SDL_SetError("Passed a NULL pointer");
    return nullptr;
  }
  const bool kerning = FT_HAS_KERNING(font->face);
  // Latin-1: every byte is its own code point.
  const size_t length = std::strlen(text);
  std::vector<const Glyph*> glyphs(length);

  // Measure: the box spans every glyph's ink and advance from the pen's start.
  int x = 0, minx = 0, maxx = 0, miny = 0;
  FT_UInt previous = 0;
  for (size_t i = 0; i < length; ++i) {
    glyphs[i] = cachedGlyph(font, static_cast<unsigned char>(text[i]));
    if (glyphs[i] == nullptr) {
      SDL_SetError("Couldn't find glyph");
      return nullptr;
    }
    const Glyph& g = *glyphs[i];
    if (kerning && previous != 0 && g.index != 0) {
      FT_Vector delta;
      FT_Get_Kerning(font->face, previous, g.index, FT_KERNING_DEFAULT, &delta);
      x += static_cast<int>(delta.x >> 6);
    }
    minx = std::min(minx, x + g.minx);
    maxx = std::max(maxx, x + std::max(g.advance, g.maxx));
    x += g.advance;
    miny = std::min(miny, g.miny);
    previous = g.index;
  }
  const int width = maxx - minx;
  const int height = std::max(font->ascent - miny, font->height);
  if (width == 0) {
    SDL_SetError("Text has zero width");
    return nullptr;
  }

  SDL_Surface* surface = SDL_CreateRGBSurface(SDL_SWSURFACE, width, height, 8, 0, 0, 0, 0);
  if (surface == nullptr) return nullptr;
  SDL_Color* colours = surface->format->palette->colors;
  colours[0] = SDL_Color{static_cast<Uint8>(255 - fg.r), static_cast<Uint8>(255 - fg.g),
                         static_cast<Uint8>(255 - fg.b), 0};
  colours[1] = SDL_Color{fg.r, fg.g, fg.b, 0};
  SDL_SetColorKey(surface, SDL_SRCCOLORKEY, 0);

  // Draw: a glyph's rows go where its bearing puts them. Like the real library, a row may run
  // on into the next one of the surface (a negative bearing mid-line) but never past its end.
  Uint8* const begin = static_cast<Uint8*>(surface->pixels);
  Uint8* const end = begin + surface->pitch * surface->h;
  int pen = 0;
  previous = 0;
  for (size_t i = 0; i < length; ++i) {
    const Glyph& g = *glyphs[i];
    const int inked = std::min(g.width, g.maxx - g.minx);
    if (kerning && previous != 0 && g.index != 0) {
      FT_Vector delta;
      FT_Get_Kerning(font->face, previous, g.index, FT_KERNING_DEFAULT, &delta);
      pen += static_cast<int>(delta.x >> 6);
    }
    if (i == 0 && g.minx < 0) pen -= g.minx;
    for (int row = 0; row < g.rows; ++row) {
      const int y = row + g.yoffset;
      if (y < 0 || y >= surface->h) continue;
      const long start = static_cast<long>(y) * surface->pitch + pen + g.minx;
      // The row's columns inside the surface, found once: the loop itself has no tests and
      // the compiler widens it to many pixels a step. The whole message is drawn every frame.
      const long first = std::max(0L, -start);
      const long last = std::min(static_cast<long>(inked), static_cast<long>(end - begin) - start);
      const Uint8* src = g.pixels.data() + row * g.pitch;
      for (long col = first; col < last; ++col) begin[start + col] |= src[col];
    }
    pen += g.advance;
    previous = g.index;
  }
  return surface;
}
