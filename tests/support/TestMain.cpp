#include <gtest/gtest.h>

#include "support/TestDefaults.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  vemla::test::setTestEnvironment();
  return RUN_ALL_TESTS();
}
