// The About box.
#include "ui/frm_about.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "fakes.h"

namespace tavrin {
namespace {

struct AboutTest : ::testing::Test {
  testing::FakePlatform fake;
  testing::ScriptedFileDialogs dialogs;
  CollectionState state;
  EditExchange edit;
  UiContext context{state, edit, fake.platform, dialogs};
};

TEST_F(AboutTest, ShowsTheVersionAndClosesWithEnterOrEsc) {
  for (auto key : {Qt::Key_Return, Qt::Key_Escape}) {
    FrmAbout about(context, nullptr);
    EXPECT_EQ(about.windowTitle(), "About The Tavrin...");
    EXPECT_EQ(about.lblVer()->text(), "Version 1.04.04");
    about.show();
    QTest::keyClick(&about, key);
    EXPECT_FALSE(about.isVisible()) << key;
  }
}

// The mail link starts a feedback mail; without a mail program a box says so, once.
TEST_F(AboutTest, MailLinkStartsAFeedbackMail) {
  FrmAbout about(context, nullptr);
  about.show();
  fake.shell.results = {kShellSuccess, kShellNoAssociation};
  QTest::mouseClick(about.lblMail(), Qt::LeftButton);
  ASSERT_EQ(fake.shell.shellStarts.size(), 1u);
  const ShellRequest& r = fake.shell.shellStarts[0];
  EXPECT_EQ(r.verb, "open");
  EXPECT_EQ(r.file,
            std::string("mailto:") + FrmAbout::kFeedbackAddress + "?subject=Tavrin Feedback!!");
  EXPECT_EQ(r.show, 1);
  EXPECT_TRUE(fake.toolkit.boxes.empty());
  QTest::mouseClick(about.lblMail(), Qt::LeftButton);
  EXPECT_EQ(fake.toolkit.Shown(),
            std::vector<std::string>{"The Tavrin - Send Feedback Failure: (48) "
                                     "Could not find any mailprograms..."});
  EXPECT_TRUE(about.isVisible());
}

}  // namespace
}  // namespace tavrin
