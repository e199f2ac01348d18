#include "base/loaders.h"

#include <SDL_image.h>

#include <cstdlib>
#include <string>

#include "base/assetFiles.h"
#include "base/errors.h"
#include "base/system.h"

namespace {
[[noreturn]] void fatalReport(const char* text, const char* file) {
  printError((std::string(text) + file + assetFolderNote()).c_str());
  endRun(1);
}

// A file the intro cannot read is, for a person, nearly always one left behind when unpacking.
[[noreturn]] void fileMissing(const char* text, const char* file, const std::string& reason = "") {
  adviseOnFailure(missingFileAdvice(assetFile(file)));
  fatalReport(text, (file + (reason.empty() ? "" : ": " + reason)).c_str());
}

// The path to hand the libraries, once what is there is known to be a regular file of a sane
// size: they would block on a named pipe and read a device or a huge file without end. A file
// that is not there at all keeps the classic message, without a reason.
std::string checkedAsset(const char* text, const char* file) {
  const std::string path = assetFile(file);
  PathInfo info;
  std::string reason;
  if (pathInfo(path, info) && !checkReadableFile(path, maxAssetBytes, reason)) {
    fileMissing(text, file, reason);
  }
  return path;
}

// Every caller uses the image at once, so a failed conversion ends the run like a missing file.
SDL_Surface* loadDisplayFormat(const char* file) {
  SDL_Surface* loaded = IMG_Load(checkedAsset("Image load error!  File: ", file).c_str());
  if (loaded == nullptr) fileMissing("Image load error!  File: ", file);
  SDL_Surface* converted = SDL_DisplayFormat(loaded);
  SDL_FreeSurface(loaded);
  if (converted == nullptr) fatalReport("Image optimization error! File: ", file);
  return converted;
}
}  // namespace

TTF_Font* loadFont(const char* file, int size) {
  TTF_Font* font = TTF_OpenFont(checkedAsset("Font load failed! : ", file).c_str(), size);
  if (font == nullptr) fileMissing("Font load failed! : ", file);
  return font;
}

Mix_Music* loadMusic(const char* file) {
  Mix_Music* music = Mix_LoadMUS(checkedAsset("Music load error! File: ", file).c_str());
  if (music == nullptr) fileMissing("Music load error! File: ", file);
  return music;
}

Mix_Chunk* loadSound(const char* file) {
  Mix_Chunk* sound = Mix_LoadWAV_RW(
      SDL_RWFromFile(checkedAsset("Soundfx load error! File: ", file).c_str(), "rb"), 1);
  if (sound == nullptr) fileMissing("Soundfx load error! File: ", file);
  return sound;
}

SDL_Surface* loadImage(const char* file) {
  return loadDisplayFormat(file);
}

SDL_Surface* loadImageKeyed(const char* file, Uint8 red, Uint8 green, Uint8 blue) {
  SDL_Surface* image = loadDisplayFormat(file);
  // Mapped in the converted format, so every colour that lands on the key's value is clear too.
  SDL_SetColorKey(image, SDL_SRCCOLORKEY | SDL_RLEACCEL,
                  SDL_MapRGB(image->format, red, green, blue));
  return image;
}
