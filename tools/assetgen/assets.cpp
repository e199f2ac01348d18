#include "assets.h"

#include <cstdio>
#include <fstream>

#include "background.h"
#include "balls.h"
#include "logo.h"
#include "pngWriter.h"
#include "song.h"

namespace {

bool writeImage(const std::string& directory, const char* name, const RgbImage& image) {
  const std::string path = directory + "/" + name;
  if (writeRgbPng(path, image.width, image.height, image.pixels)) return true;
  std::fprintf(stderr, "cannot write %s\n", path.c_str());
  return false;
}

bool writeMusic(const std::string& directory) {
  Module module;
  if (!buildSong(module)) return false;
  const std::vector<uint8_t> bytes = encodeModule(module);
  const std::string path = directory + "/" + musicFile;
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (out) return true;
  std::fprintf(stderr, "cannot write %s\n", path.c_str());
  return false;
}

}  // namespace

bool writeAllAssets(const std::string& directory) {
  return writeMusic(directory) && writeImage(directory, logoFile, makeLogo()) &&
         writeImage(directory, greenBallFile, makeGreenBall()) &&
         writeImage(directory, redBallFile, makeRedBall()) &&
         writeImage(directory, backgroundFile, makeBackground());
}
