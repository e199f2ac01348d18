/* ffmpeg.exe for the Wine check: takes every frame to the end of its input and writes their
   byte count to its last argument, the video. */
#include <fcntl.h>
#include <io.h>
#include <stdio.h>
int main(int argc, char** argv) {
  static char block[65536];
  size_t got, total = 0;
  _setmode(0, _O_BINARY);
  while ((got = fread(block, 1, sizeof block, stdin)) > 0) total += got;
  FILE* out = fopen(argv[argc - 1], "w");
  return !out || fprintf(out, "%zu\n", total) < 0 || fclose(out);
}
