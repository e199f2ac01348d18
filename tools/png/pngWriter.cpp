#include "pngWriter.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>

namespace {

// libpng reports errors by longjmp; this keeps the file handle and write struct tidy on
// every path.
class PngFile {
 public:
  explicit PngFile(const std::string& path) : file_(std::fopen(path.c_str(), "wb")) {}
  ~PngFile() {
    if (png_) png_destroy_write_struct(&png_, &info_);
    if (file_) std::fclose(file_);
  }
  bool open() {
    if (!file_) return false;
    png_ = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png_) return false;
    info_ = png_create_info_struct(png_);
    return info_ != nullptr;
  }
  bool closeFile() {
    const bool ok = std::fclose(file_) == 0;
    file_ = nullptr;
    return ok;
  }
  FILE* file() const { return file_; }
  png_structp png() const { return png_; }
  png_infop info() const { return info_; }

 private:
  FILE* file_;
  png_structp png_ = nullptr;
  png_infop info_ = nullptr;
};

}  // namespace

bool writeRgbPng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgb) {
  if (width <= 0 || height <= 0 || rgb.size() != static_cast<size_t>(width) * height * 3) {
    return false;
  }
  PngFile out(path);
  if (!out.open()) return false;
  if (setjmp(png_jmpbuf(out.png()))) return false;

  png_init_io(out.png(), out.file());
  png_set_IHDR(out.png(), out.info(), width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  // Fixed compression settings: the bytes must not depend on library defaults changing.
  png_set_compression_level(out.png(), 9);
  png_set_filter(out.png(), PNG_FILTER_TYPE_BASE, PNG_ALL_FILTERS);
  png_write_info(out.png(), out.info());
  for (int y = 0; y < height; ++y) {
    png_write_row(out.png(), rgb.data() + static_cast<size_t>(y) * width * 3);
  }
  png_write_end(out.png(), nullptr);
  return out.closeFile();
}
