// Widget tests share one offscreen QApplication.
#include <gtest/gtest.h>

#include <QApplication>

#include "support/TestDefaults.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  vemla::test::setTestEnvironment();
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
