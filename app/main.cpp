#include "app/intro.h"
#include "base/errors.h"

int main(int argc, char** argv) {
  const int status = runIntro(argc, argv);
  // A failed run may still have audio open; it ends the way every failure ends.
  if (status != 0) endRun(status);
  return status;
}
