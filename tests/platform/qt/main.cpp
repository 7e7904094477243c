// The Qt tests draw nothing on a screen: they run on Qt's offscreen platform.
#include <gtest/gtest.h>

#include <QByteArray>

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
