#pragma once

#include <SDL.h>

#include <cstdint>
#include <string>

// The frame hash the golden list (res/golden/frames.txt) holds, and the one every frame tool
// compares: 64-bit FNV-1a over the visible bytes of each row, top row first, as they lie in
// memory (the display's 16-bit values, little-endian on every machine built for). The bytes a row's
// pitch adds past its visible width never count, so a picture hashes alike on every surface that
// holds it. Passing an earlier result as `hash` goes on over a further picture: the golden list's
// "all" line is every frame hashed on from frameHashStart.
constexpr uint64_t frameHashStart = 14695981039346656037ull;

// `rows` rows of `rowBytes` visible bytes, `pitch` bytes apart from `pixels` on.
uint64_t hashFrame(const void* pixels, int rowBytes, int rows, int pitch,
                   uint64_t hash = frameHashStart);
// The whole of a surface whose pixels can be read (locked where the library demands it).
uint64_t hashFrame(const SDL_Surface* surface, uint64_t hash = frameHashStart);

// A hash as the frame tools print it: 16 lower-case hexadecimal digits.
std::string frameHashText(uint64_t hash);
