#include <cstdio>

#include "assets.h"

// Regenerates the intro's music and images: assetgen <output directory>
int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: assetgen <outdir>\n");
    return 2;
  }
  return writeAllAssets(argv[1]) ? 0 : 1;
}
