// The main window: the collection box and its toolbar, Execute, keys and the registry.
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QToolButton>
#include <filesystem>

#include "collection/collfile.h"
#include "shellreg/association.h"
#include "ui/frm_about.h"
#include "window_fixture.h"

namespace tavrin {
namespace {

using testing::kErrorBox;
using testing::WriteFile;
using MainWindow = WindowTest;

// The folder's collections are listed after <None>. Typing a name enables Execute and
// nothing else.
TEST_F(MainWindow, StartedWithoutCommandLine) {
  Collection("Games", {"a"});
  Collection("Tools", {"b"});
  WriteFile(dir.file("notes.txt"), "x");
  FrmMain& w = Open();
  EXPECT_EQ(w.windowTitle(), "The Tavrin");
  EXPECT_EQ(Seen(), "<None>: []");
  EXPECT_EQ(w.cboColl()->count(), 3);
  EXPECT_EQ(EntryOf("<None>"), 0);
  EXPECT_GT(EntryOf("Games"), 0);
  EXPECT_GT(EntryOf("Tools"), 0);
  EXPECT_EQ(state.CurrentCollFile, "");
  EXPECT_EQ(w.btnExec()->text(), "Execute &Tavrin");
  EXPECT_EQ(w.btnExit()->text(), "E&xit");
  EXPECT_EQ(w.btnExit()->toolTip(), "Exit Tavrin");
  EXPECT_EQ(w.cboColl()->toolTip(), "Avalible collections");
  EXPECT_EQ(w.collButton("Other")->toolTip(), "Browse for a collection");
  EXPECT_EQ(w.tbItemButton(4)->toolTip(), "Move item down in list");
  EXPECT_FALSE(w.tbItemButton(4)->icon().isNull());
  w.cboColl()->setFocus();
  w.cboColl()->lineEdit()->clear();
  QTest::keyClicks(w.cboColl()->lineEdit(), "anything");
  EXPECT_EQ(Seen(), "anything: [exec]");
  w.cboColl()->setEditText("<New Collection>");
  EXPECT_FALSE(w.btnExec()->isEnabled());
  // The window's load registers the file type where it is missing; the Options menu asks.
  Open();
  EXPECT_EQ(GetRegValue(fake.registry, Registry::kClassesRoot, ".tavrin", ""), "Tavrin");
  EXPECT_TRUE(boxes.empty());
  fake.toolkit.answers = {kAnswerNo};
  window->mnuOption_Click(0);
  EXPECT_EQ(boxes.at(0).substr(0, 36), "The Tavrin - Registry Option... (35)");
  EXPECT_FALSE(fake.registry.HasKey(".tavrin"));
  Open();
  EXPECT_TRUE(fake.registry.HasKey(".tavrin"));
}

// <None> keeps the records until something replaces them.
TEST_F(MainWindow, PickingCollectionsChangesAndNone) {
  Collection("Games", {"chess", "go"});
  Open();
  Pick("Games");
  EXPECT_EQ(Seen(), "Games: chess go [save delete exec]");
  EXPECT_EQ(state.CurrentCollFile, dir.file("Games.tavrin"));
  window->CollChanged(true);
  EXPECT_EQ(Seen(), "<Current Collection>: chess go [save exec]");
  state.Items[0].ItemName = "changed";
  Pick("Games");
  EXPECT_EQ(state.Items[0].ItemName, "chess");
  EXPECT_TRUE(boxes.empty());
  Pick("<None>");
  EXPECT_EQ(Seen(), "<None>: []");
  EXPECT_EQ(state.CurrentCollFile, "");
  EXPECT_FALSE(state.HasItems);
  EXPECT_EQ(state.Items.size(), 2u);
  // A click selects the item, which enables the item buttons and shows its details.
  Collection("Games", {"chess", "go", "tetris"});
  Open();
  Pick("Games");
  EXPECT_FALSE(window->tbItemButton(1)->isEnabled());
  QListWidget* list = window->lstItems();
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                    list->visualItemRect(list->item(2)).center());
  EXPECT_EQ(window->SelectedIndex(), 2);
  EXPECT_TRUE(window->tbItemButton(1)->isEnabled());
  EXPECT_EQ(window->DetailsShown().substr(0, 7), "tetris\n");
  EXPECT_NE(window->DetailsShown().find("Position: 3"), std::string::npos);
}

// Started with a collection from elsewhere, the window shows its name, not listed among
// the folder's; so does Other, which upgrades an old file where it was read.
TEST_F(MainWindow, CollectionsFromAnywhereAndLoadFailures) {
  testing::TempDir other;
  WriteFile(other.file("Away.tavrin"), Text({"one", "two"}));
  ASSERT_EQ(ReadCollectionFile(state, other.file("Away.tavrin"), fake.files), LoadOk);
  state.CurrentCollFile = other.file("Away.tavrin");
  Open(other.file("Away.tavrin"));
  EXPECT_EQ(Seen(), "Away: one two [save delete exec]");
  EXPECT_EQ(EntryOf("Away"), -1);
  EXPECT_TRUE(state.HasItems);
  const std::string path = other.file("Old.tavrin");
  WriteFile(path, "\"Tavrin File 1.1\"\r\n0\r\n\"x\",\"/bin/x\",\"\",2\r\n");
  dialogs.answers = {{true, path}};
  fake.toolkit.answers = {kAnswerYes};
  window->tbColl_ButtonClick("Other");
  EXPECT_EQ(dialogs.requests.at(0).filterIndex, 1);
  EXPECT_EQ(boxes.at(0).substr(0, 40), "The Tavrin - Question: (36) Old.tavrin\n\n");
  EXPECT_EQ(testing::ReadFile(path).substr(0, 17), "\"Tavrin File 1.2\"");
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::current_path() / "Old.tavrin"));
  EXPECT_EQ(Seen(), "Old: x [save delete exec]");
  EXPECT_EQ(state.CurrentCollFile, path);
  // Cancelled, or a file that breaks off after its first record: the window stays as it
  // was. A picked file that is no collection lists nothing.
  boxes.clear();
  Collection("Games", {"chess", "go"});
  WriteFile(dir.file("Broken.tavrin"), "\"Something else\"\r\n");
  WriteFile(dir.file("bad"), "\"Tavrin File 1.2\"\r\n2\r\n\"p\",\"/bin/p\",\"\",1,#FALSE#\r\n");
  Open();
  Pick("Games");
  window->tbColl_ButtonClick("Other");
  dialogs.answers = {{true, dir.file("bad")}};
  window->tbColl_ButtonClick("Other");
  EXPECT_EQ(Seen(), "Games: chess go [save delete exec]");
  EXPECT_EQ(state.CurrentCollFile, dir.file("Games.tavrin"));
  Pick("Broken");
  EXPECT_EQ(fake.toolkit.boxes,
            (Strings{kErrorBox + "bad\n\nThe Tavrin was unable to load the Collection!!",
                     kErrorBox + dir.file("Broken.tavrin") +
                         "\n\nThis file is not a Tavrin Collection!!"}));
  EXPECT_EQ(Seen(), "Broken: [exec]");
}

// The name is proposed in the collection folder, the path once the collection has a
// file; a failed save changes nothing.
TEST_F(MainWindow, SaveDeleteAndNew) {
  Collection("Games", {"chess"});
  Open();
  Pick("Games");
  dialogs.answers = {{true, dir.file("Copy")}};
  window->tbColl_ButtonClick("Save");
  ASSERT_EQ(dialogs.requests.size(), 1u);
  EXPECT_TRUE(dialogs.requests[0].save);
  EXPECT_EQ(dialogs.requests[0].initialName, "Games");
  EXPECT_EQ(dialogs.requests[0].initialDir, dir.str());
  EXPECT_EQ(testing::ReadFile(dir.file("Copy.tavrin")), Text({"chess"}));
  EXPECT_EQ(Seen(), "Copy: chess [save delete exec]");
  EXPECT_NE(EntryOf("Copy"), -1);  // listed at once
  window->CollChanged(true);
  dialogs.answers = {{true, dir.file("no/such/folder/x")}};
  window->tbColl_ButtonClick("Save");
  EXPECT_EQ(dialogs.requests.back().initialName, dir.file("Copy.tavrin"));
  EXPECT_EQ(fake.toolkit.boxes,
            Strings{kErrorBox + "x.tavrin\n\nThe Tavrin was unable to save this file!!"});
  EXPECT_EQ(Box(), "<Current Collection>");
  EXPECT_EQ(state.CurrentCollFile, dir.file("Copy.tavrin"));
  // A missing file gives error 53 and changes nothing; a deleted collection can be saved
  // again; New starts an empty collection, which has no file to delete.
  boxes.clear();
  Open();
  Pick("Games");
  std::filesystem::rename(dir.file("Games.tavrin"), dir.file("away"));
  window->tbColl_ButtonClick("Delete");
  EXPECT_EQ(fake.toolkit.boxes, Strings{kErrorBox + dir.file("Games.tavrin") + "\n\nError 53"});
  EXPECT_EQ(Seen(), "Games: chess [save delete exec]");
  std::filesystem::rename(dir.file("away"), dir.file("Games.tavrin"));
  window->tbColl_ButtonClick("Delete");
  EXPECT_FALSE(std::filesystem::exists(dir.file("Games.tavrin")));
  EXPECT_EQ(EntryOf("Games"), -1);
  EXPECT_EQ(Seen(), "<None>: [save]");
  EXPECT_EQ(state.Items[0].ItemName, "chess");
  EXPECT_EQ(state.CurrentCollFile, dir.file("Games.tavrin"));
  window->tbColl_ButtonClick("New");
  EXPECT_EQ(Seen(), "<New Collection>: []");
  EXPECT_EQ(state.CurrentCollFile, "");
  EXPECT_EQ(state.Items, std::vector<CollItem>{CollItem{}});
  window->tbColl_ButtonClick("Delete");
  EXPECT_EQ(boxes.size(), 1u);
}

// Execute (or Enter, while it is enabled) runs every item and closes the window, unless
// Shift, Ctrl or Alt is held. Any key released clears that; a release while the window
// was hidden is not seen.
TEST_F(MainWindow, ExecuteClosesTheWindowUnlessAModifierIsHeld) {
  Collection("Games", {"chess", "go"});
  Open();
  QTest::keyClick(window->lstItems(), Qt::Key_Return);
  EXPECT_TRUE(window->isVisible());
  Pick("Games");
  QTest::keyClick(window->lstItems(), Qt::Key_Return);
  EXPECT_EQ(fake.shell.calls, (Strings{"shell:chess", "shell:go"}));
  EXPECT_FALSE(window->isVisible());
  for (auto modifier : {Qt::Key_Shift, Qt::Key_Control, Qt::Key_Alt}) {
    Open();
    Pick("Games");
    QTest::keyPress(window->lstItems(), modifier);
    QTest::mouseClick(window->btnExec(), Qt::LeftButton);
    EXPECT_TRUE(window->isVisible()) << modifier;
    EXPECT_EQ(Box(), "Games");
  }
  QTest::keyClick(window->lstItems(), Qt::Key_A, Qt::ShiftModifier);
  EXPECT_FALSE(window->ShiftPressed());
  QTest::mouseClick(window->btnExec(), Qt::LeftButton);
  EXPECT_FALSE(window->isVisible());
  Open();
  Pick("Games");
  QTest::keyPress(window->lstItems(), Qt::Key_Shift);
  window->btnExec_Click();
  ASSERT_TRUE(window->isVisible());
  QTest::mouseClick(window->btnExec(), Qt::LeftButton);  // released while hidden
  EXPECT_TRUE(window->isVisible());
  QTest::keyRelease(window->lstItems(), Qt::Key_Shift);
  QTest::mouseClick(window->btnExec(), Qt::LeftButton);
  EXPECT_FALSE(window->isVisible());
}

// Every control of a frame lies inside the frame's contents, below its caption, and the
// frames lie above Execute and Exit.
TEST_F(MainWindow, ControlsLieInsideTheirFrames) {
  Open();
  int framesBottom = 0;
  for (QGroupBox* frame : window->findChildren<QGroupBox*>()) {
    SCOPED_TRACE(frame->title().toStdString());
    const QRect inside = frame->contentsRect();
    const auto controls = frame->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    ASSERT_FALSE(controls.isEmpty());
    for (const QWidget* control : controls) {
      EXPECT_TRUE(inside.contains(control->geometry()))
          << control->objectName().toStdString() << " covers the frame's border or caption";
    }
    framesBottom = std::max(framesBottom, frame->geometry().bottom());
  }
  EXPECT_LT(framesBottom, window->btnExec()->geometry().top());
  EXPECT_EQ(window->btnExec()->geometry().top(), window->btnExit()->geometry().top());
}

// F1 shows the About box, which shows the version, closes with Enter or Esc and starts a
// feedback mail; Ctrl+X and Esc close the main window.
TEST_F(MainWindow, KeysAndTheAboutBox) {
  Open();
  window->activateWindow();
  QTest::keyClick(window.get(), Qt::Key_F1);
  EXPECT_EQ(modalShown, Strings{"About The Tavrin... | Version 1.04.04"});
  QTest::keyClick(window->cboColl()->lineEdit(), Qt::Key_X, Qt::ControlModifier);
  EXPECT_FALSE(window->isVisible());
  Open();
  QTest::keyClick(window->lstItems(), Qt::Key_Escape);
  EXPECT_FALSE(window->isVisible());
  for (auto key : {Qt::Key_Return, Qt::Key_Escape}) {
    FrmAbout about(Context(fake.platform), nullptr);
    EXPECT_EQ(about.windowTitle(), "About The Tavrin...");
    EXPECT_EQ(about.lblVer()->text(), "Version 1.04.04");
    about.show();
    QTest::keyClick(&about, key);
    EXPECT_FALSE(about.isVisible()) << key;
  }
  // The mail link starts a feedback mail; without a mail program a box says so, once.
  FrmAbout about(Context(fake.platform), nullptr);
  about.show();
  fake.shell.results = {kShellSuccess, kShellNoAssociation};
  QTest::mouseClick(about.lblMail(), Qt::LeftButton);
  const ShellRequest& r = fake.shell.shellStarts.at(0);
  EXPECT_EQ(
      r.verb + " " + r.file + " " + std::to_string(r.show),
      std::string("open mailto:") + FrmAbout::kFeedbackAddress + "?subject=Tavrin Feedback!! 1");
  EXPECT_TRUE(fake.toolkit.boxes.empty());
  QTest::mouseClick(about.lblMail(), Qt::LeftButton);
  EXPECT_EQ(fake.toolkit.boxes, std::vector<std::string>{"The Tavrin - Send Feedback Failure: (48) "
                                                         "Could not find any mailprograms..."});
  EXPECT_TRUE(about.isVisible());
}

}  // namespace
}  // namespace tavrin
