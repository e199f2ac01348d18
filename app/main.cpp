#include "app/intro.h"

int main(int argc, char** argv) {
  return runIntro(argc, argv);
}
