#include "bridge.h"

int port_scale_for(int displayWidth, int displayHeight, int width, int height) {
  if (width <= 0 || height <= 0) return 1;
  const int across = displayWidth / width;
  const int down = displayHeight / height;
  const int factor = across < down ? across : down;
  return factor > 1 ? factor : 1;
}
