#include <stdint.h>
#include <string.h>

#include "bridge.h"

int port_scale_for(int displayWidth, int displayHeight, int width, int height) {
  if (width <= 0 || height <= 0) return 1;
  const int across = displayWidth / width;
  const int down = displayHeight / height;
  const int factor = across < down ? across : down;
  return factor > 1 ? factor : 1;
}

/* The largest width x height shape that fits the display: its width and height. */
static void fitted(int displayWidth, int displayHeight, int width, int height, int* outWidth,
                   int* outHeight) {
  if ((long long)displayWidth * height <= (long long)displayHeight * width) {
    *outWidth = displayWidth;
    *outHeight = (int)((long long)displayWidth * height / width);
  } else {
    *outWidth = (int)((long long)displayHeight * width / height);
    *outHeight = displayHeight;
  }
}

int port_fill_suits(int displayWidth, int displayHeight, int width, int height) {
  const int factor = port_scale_for(displayWidth, displayHeight, width, height);
  if (factor * width > displayWidth || factor * height > displayHeight) return 1;
  int fillWidth = 0, fillHeight = 0;
  fitted(displayWidth, displayHeight, width, height, &fillWidth, &fillHeight);
  return 5 * factor * width < 4 * fillWidth;
}

struct port_place port_place_for(int displayWidth, int displayHeight, int width, int height,
                                 int fill) {
  struct port_place place = {0, 0, 0, 0, 0};
  if (fill) {
    fitted(displayWidth, displayHeight, width, height, &place.width, &place.height);
    /* The smallest whole factor at least as large as the place, so that the smooth step only
       ever reduces. */
    const int across = (place.width + width - 1) / width;
    const int down = (place.height + height - 1) / height;
    place.factor = across > down ? across : down;
  } else {
    place.factor = port_scale_for(displayWidth, displayHeight, width, height);
    place.width = width * place.factor;
    place.height = height * place.factor;
  }
  place.x = (displayWidth - place.width) / 2;
  place.y = (displayHeight - place.height) / 2;
  return place;
}

void port_enlarge(const void* pixels, int pitch, int width, int height, int factor, void* out,
                  int outPitch) {
  const size_t rowBytes = (size_t)width * (size_t)factor * sizeof(uint16_t);
  for (int y = 0; y < height; y++) {
    const uint16_t* from = (const uint16_t*)((const uint8_t*)pixels + (size_t)y * (size_t)pitch);
    uint8_t* first = (uint8_t*)out + (size_t)y * (size_t)factor * (size_t)outPitch;
    uint16_t* row = (uint16_t*)first;
    for (int x = 0; x < width; x++) {
      for (int i = 0; i < factor; i++) row[x * factor + i] = from[x];
    }
    for (int i = 1; i < factor; i++) memcpy(first + (size_t)i * (size_t)outPitch, first, rowBytes);
  }
}
