#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  return RUN_ALL_TESTS();
}
