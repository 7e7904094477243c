// A collection whose file name is no valid UTF-8 (a Latin-1 "café" on Linux) is shown
// without losing a byte, and a click on it loads it.
#include <QAbstractItemView>
#include <QComboBox>

#include "window_fixture.h"

namespace tavrin {
namespace {

using ::testing::ElementsAre;
using Latin1Name = WindowTest;

TEST_F(Latin1Name, IsShownWithoutLossAndLoadsWhenPicked) {
  Collection("caf\xe9", {"espresso"});
  Collection("Tools", {"make"});
  Open();
  QComboBox* box = window->cboColl();
  Strings shown;
  for (int i = 0; i < box->count(); ++i) shown.push_back(box->itemText(i).toStdString());
  EXPECT_THAT(shown, ElementsAre("<None>", "caf\\xe9", "Tools"));
  box->showPopup();
  ASSERT_TRUE(box->view()->isVisible());
  const QRect entry = box->view()->visualRect(box->view()->model()->index(1, 0));
  QTest::mouseClick(box->view()->viewport(), Qt::LeftButton, {}, entry.center());
  EXPECT_EQ(Seen(), "caf\\xe9: espresso [save delete exec]");
  EXPECT_EQ(state.CurrentCollFile, dir.file("caf\xe9.tavrin"));
  EXPECT_TRUE(boxes.empty());
}

}  // namespace
}  // namespace tavrin
