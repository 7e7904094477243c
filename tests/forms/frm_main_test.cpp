// The main form: the collection box and its toolbar, Execute, the keys of the window,
// the registry question and the About box.
#include <filesystem>

#include "collection/collfile.h"
#include "collection/text.h"
#include "forms/keys.h"
#include "launch/stop_request.h"
#include "main_form_fixture.h"
#include "shellreg/association.h"

namespace tavrin {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using testing::kErrorBox;
using ::testing::StartsWith;
using testing::WriteFile;
using MainForm = MainFormTest;

// The folder's collections are listed after <None>, in name order whatever their letter
// case and whatever order the folder gives them in (names that differ only in case, where
// file names tell them apart, in the order of their bytes). Typing a name enables Execute
// and nothing else.
TEST_F(MainForm, StartedWithoutCommandLine) {
  for (const char* name : {"beta", "Alpha", "gamma", "Delta", "alpha", "10 Ten"}) {
    Collection(name, {"x"});
  }
  WriteFile(dir.file("notes.txt"), "x");
  Open();
  if (kPathsIgnoreCase) {
    EXPECT_THAT(view->entries, ElementsAre("<None>", "10 Ten", "Alpha", "beta", "Delta", "gamma"));
  } else {
    EXPECT_THAT(view->entries,
                ElementsAre("<None>", "10 Ten", "Alpha", "alpha", "beta", "Delta", "gamma"));
  }
  EXPECT_EQ(Seen(), "<None>: []");
  EXPECT_EQ(view->collEntry, 0);
  EXPECT_EQ(ItemButtons(), "00000");
  EXPECT_TRUE(view->flat);
  EXPECT_EQ(state.CurrentCollFile, "");
  Type("anything");
  EXPECT_EQ(Seen(), "anything: [exec]");
  Type("<New Collection>");
  EXPECT_EQ(Seen(), "<New Collection>: []");
  // The window's load registers the file type where it is missing; the Options menu asks.
  EXPECT_EQ(GetRegValue(fake.registry, Registry::kClassesRoot, ".tavrin", ""), "Tavrin");
  EXPECT_THAT(boxes, IsEmpty());
  fake.toolkit.answers = {kAnswerNo};
  form->mnuOption_Click(0);
  EXPECT_THAT(boxes, ElementsAre(StartsWith("The Tavrin - Registry Option... (35)")));
  EXPECT_FALSE(fake.registry.HasKey(".tavrin"));
  Open();
  EXPECT_TRUE(fake.registry.HasKey(".tavrin"));
}

// A pick loads; a pick of the collection shown reloads it, changes and all; <None> empties
// the list but keeps the records until something replaces them.
TEST_F(MainForm, PickingCollectionsChangesAndNone) {
  Collection("Games", {"chess", "go", "tetris"});
  Open();
  Pick("Games");
  EXPECT_EQ(Seen(), "Games: chess go tetris [save delete exec]");
  EXPECT_EQ(view->collEntry, EntryOf("Games"));
  EXPECT_EQ(state.CurrentCollFile, dir.file("Games.tavrin"));
  form->CollChanged(true);
  EXPECT_EQ(Seen(), "<Current Collection>: chess go tetris [save exec]");
  EXPECT_EQ(view->collEntry, -1);
  state.Items[0].ItemName = "changed";
  Pick("Games");
  EXPECT_EQ(Seen(), "Games: chess go tetris [save delete exec]");
  EXPECT_THAT(boxes, IsEmpty());
  // Selecting an item enables the item buttons and shows its details.
  EXPECT_EQ(ItemButtons(), "00000");
  Select(2);
  EXPECT_EQ(ItemButtons(), "11111");
  EXPECT_THAT(view->details, StartsWith("tetris\n"));
  EXPECT_THAT(view->details, HasSubstr("Position: 3"));
  Pick("<None>");
  EXPECT_EQ(Seen(), "<None>: []");
  EXPECT_EQ(ItemButtons(), "00000");
  EXPECT_EQ(view->details, "");
  EXPECT_EQ(state.CurrentCollFile, "");
  EXPECT_FALSE(state.HasItems);
  EXPECT_EQ(state.Items.size(), 3u);
}

// Started with a collection from elsewhere, the window shows its name, not listed among
// the folder's; so does Other, which upgrades an old file where it was read.
TEST_F(MainForm, CollectionsFromAnywhereAndLoadFailures) {
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
  form->tbColl_ButtonClick(MainControl::tbCollOther);
  EXPECT_EQ(dialogs.requests.at(0).filterIndex, 1);
  EXPECT_THAT(boxes, ElementsAre(StartsWith("The Tavrin - Question: (36) Old.tavrin\n\n")));
  EXPECT_THAT(testing::ReadFile(path), StartsWith("\"Tavrin File 1.2\""));
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
  form->tbColl_ButtonClick(MainControl::tbCollOther);
  dialogs.answers = {{true, dir.file("bad")}};
  form->tbColl_ButtonClick(MainControl::tbCollOther);
  EXPECT_EQ(Seen(), "Games: chess go [save delete exec]");
  EXPECT_EQ(state.CurrentCollFile, dir.file("Games.tavrin"));
  Pick("Broken");
  EXPECT_THAT(boxes,
              ElementsAre(kErrorBox + "bad\n\nThe Tavrin was unable to load the Collection!!",
                          kErrorBox + dir.file("Broken.tavrin") +
                              "\n\nThis file is not a Tavrin Collection!!"));
  EXPECT_EQ(Seen(), "Broken: [exec]");
}

// The name is proposed in the collection folder, the path once the collection has a
// file; a failed save changes nothing.
TEST_F(MainForm, SaveDeleteAndNew) {
  Collection("Games", {"chess"});
  Open();
  Pick("Games");
  dialogs.answers = {{true, dir.file("Copy")}};
  form->tbColl_ButtonClick(MainControl::tbCollSave);
  ASSERT_EQ(dialogs.requests.size(), 1u);
  EXPECT_TRUE(dialogs.requests[0].save);
  EXPECT_EQ(dialogs.requests[0].initialName, "Games");
  EXPECT_EQ(dialogs.requests[0].initialDir, dir.str());
  EXPECT_EQ(testing::ReadFile(dir.file("Copy.tavrin")), Text({"chess"}));
  EXPECT_EQ(Seen(), "Copy: chess [save delete exec]");
  EXPECT_EQ(view->collEntry, EntryOf("Copy"));  // listed at once, and the one shown
  form->CollChanged(true);
  dialogs.answers = {{true, (dir.path() / "no" / "such" / "x").string()}};
  form->tbColl_ButtonClick(MainControl::tbCollSave);
  EXPECT_EQ(dialogs.requests.back().initialName, dir.file("Copy.tavrin"));
  EXPECT_THAT(boxes,
              ElementsAre(kErrorBox + "x.tavrin\n\nThe Tavrin was unable to save this file!!"));
  EXPECT_EQ(view->collText, "<Current Collection>");
  EXPECT_EQ(state.CurrentCollFile, dir.file("Copy.tavrin"));
  // A save that fails while the box shows an entry names the entry.
  boxes.clear();
  Pick("Copy");
  dialogs.answers = {{true, (dir.path() / "no" / "such" / "y").string()}};
  form->tbColl_ButtonClick(MainControl::tbCollSave);
  EXPECT_THAT(boxes,
              ElementsAre(kErrorBox + "Copy.tavrin\n\nThe Tavrin was unable to save this file!!"));
  // A missing file gives error 53 and changes nothing; a deleted collection can be saved
  // again; New starts an empty collection, which has no file to delete.
  boxes.clear();
  Open();
  Pick("Games");
  std::filesystem::rename(dir.file("Games.tavrin"), dir.file("away"));
  form->tbColl_ButtonClick(MainControl::tbCollDelete);
  const std::string shown =
      kPathsIgnoreCase ? LowerAscii(dir.file("Games.tavrin")) : dir.file("Games.tavrin");
  EXPECT_THAT(boxes, ElementsAre(kErrorBox + shown + "\n\nError 53"));
  EXPECT_EQ(Seen(), "Games: chess [save delete exec]");
  // The name is lowered as the system lowers its paths, letters beyond ASCII too.
  boxes.clear();
  const std::string games = state.CurrentCollFile;
  state.CurrentCollFile = dir.str() + kNativeSeparator + "Gon\xC9.tavrin";
  form->tbColl_ButtonClick(MainControl::tbCollDelete);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_THAT(boxes[0], HasSubstr(kPathsIgnoreCase ? "gon\xE9.tavrin\n\nError 53"
                                                   : "Gon\xC9.tavrin\n\nError 53"));
  state.CurrentCollFile = games;
  std::filesystem::rename(dir.file("away"), dir.file("Games.tavrin"));
  form->tbColl_ButtonClick(MainControl::tbCollDelete);
  EXPECT_FALSE(std::filesystem::exists(dir.file("Games.tavrin")));
  EXPECT_EQ(EntryOf("Games"), -1);
  EXPECT_EQ(Seen(), "<None>: [save]");
  EXPECT_EQ(state.Items[0].ItemName, "chess");
  EXPECT_EQ(state.CurrentCollFile, dir.file("Games.tavrin"));
  form->tbColl_ButtonClick(MainControl::tbCollNew);
  EXPECT_EQ(Seen(), "<New Collection>: []");
  EXPECT_EQ(view->collEntry, -1);
  EXPECT_EQ(state.CurrentCollFile, "");
  EXPECT_EQ(state.Items, std::vector<CollItem>{CollItem{}});
  form->tbColl_ButtonClick(MainControl::tbCollDelete);
  EXPECT_EQ(boxes.size(), 1u);
}

// Save As never writes over a file the user was not asked about: the dialog appends the
// extension to a bare name before it asks itself; a name with another extension, saved
// as ".tavrin", asks here (No unless Yes).
TEST_F(MainForm, SaveAsAsksBeforeWritingOverAnotherFile) {
  Collection("Tools", {"old"});
  Collection("Games", {"chess"});
  Open();
  Pick("Games");
  dialogs.answers = {{true, dir.file("Tools.txt")}, {true, dir.file("Tools.txt")}};
  fake.toolkit.answers = {kAnswerNo, kAnswerYes};
  form->tbColl_ButtonClick(MainControl::tbCollSave);
  EXPECT_EQ(dialogs.requests.at(0).defaultExt, "tavrin");
  EXPECT_THAT(boxes, ElementsAre("The Tavrin - Question: (292) Tools.tavrin\n\nThis file already "
                                 "exists.\nDo you want to replace it?"));
  EXPECT_EQ(testing::ReadFile(dir.file("Tools.tavrin")), Text({"old"}));
  EXPECT_EQ(Seen(), "Games: chess [save delete exec]");
  form->tbColl_ButtonClick(MainControl::tbCollSave);
  EXPECT_EQ(testing::ReadFile(dir.file("Tools.tavrin")), Text({"chess"}));
  EXPECT_EQ(Seen(), "Tools: chess [save delete exec]");
  EXPECT_FALSE(std::filesystem::exists(dir.file("Tools.txt")));
  // The name the dialog asked about is not asked about again.
  dialogs.answers = {{true, dir.file("Tools.tavrin")}};
  form->tbColl_ButtonClick(MainControl::tbCollSave);
  EXPECT_EQ(boxes.size(), 2u);
}

// Execute (or Enter, while it is enabled) runs every item and closes the window, unless
// Shift, Ctrl or Alt is held. Any key released clears that; a release while the window
// was hidden is not seen.
TEST_F(MainForm, ExecuteClosesTheWindowUnlessAModifierIsHeld) {
  Collection("Games", {"chess", "go"});
  Open();
  Key(kKeyReturn, 0, MainControl::lstItems);
  EXPECT_TRUE(view->visible);
  Pick("Games");
  Key(kKeyReturn, 0, MainControl::lstItems);
  EXPECT_THAT(fake.shell.calls, ElementsAre("shell:chess", "shell:go"));
  EXPECT_TRUE(view->unloaded);
  struct Held {
    const char* name;
    int key;
    int mask;
  };
  for (const Held& held : {Held{"Shift", kKeyShift, kShiftMask},
                           Held{"Ctrl", kKeyControl, kCtrlMask}, Held{"Alt", kKeyAlt, kAltMask}}) {
    SCOPED_TRACE(held.name);
    Open();
    Pick("Games");
    form->Form_KeyDown(held.key, held.mask, MainControl::lstItems);
    Click(MainControl::btnExec);
    EXPECT_TRUE(view->visible);
    EXPECT_FALSE(view->unloaded);
    EXPECT_EQ(view->collText, "Games");
  }
  Key('A', kShiftMask, MainControl::lstItems);
  EXPECT_FALSE(form->ShiftPressed());
  Click(MainControl::btnExec);
  EXPECT_TRUE(view->unloaded);
  Open();
  Pick("Games");
  form->Form_KeyDown(kKeyShift, kShiftMask, MainControl::btnExec);
  Click(MainControl::btnExec);
  ASSERT_TRUE(view->visible);
  Click(MainControl::btnExec);  // Shift was released while the window was hidden
  EXPECT_TRUE(view->visible);
  form->Form_KeyUp(kKeyShift, 0);
  Click(MainControl::btnExec);
  EXPECT_TRUE(view->unloaded);
}

// A termination request that comes while a Shift-run goes on stops it: nothing more
// starts, and the window does not come back.
TEST_F(MainForm, AStopDuringARunEndsItAndTheWindowStaysClosed) {
  Collection("Games", {"chess", "go"});
  Open();
  Pick("Games");
  fake.shell.during = [] { RequestStop(15); };
  form->Form_KeyDown(kKeyShift, kShiftMask, MainControl::btnExec);
  Click(MainControl::btnExec);
  ClearStopRequest();
  EXPECT_THAT(fake.shell.calls, ElementsAre("shell:chess"));
  EXPECT_FALSE(view->visible);
  EXPECT_TRUE(view->unloaded);
}

// Enter presses the focused button, otherwise Execute; Shift+Enter runs the collection and
// keeps the window open, as a Shift-click does. With Alt held, Enter is not the window's.
TEST_F(MainForm, EnterPressesTheFocusedButtonOrExecute) {
  Collection("Games", {"chess", "go"});
  Open();
  Pick("Games");
  EXPECT_TRUE(form->Form_KeyDown(kKeyReturn, kShiftMask, MainControl::cboColl));
  EXPECT_THAT(fake.shell.calls, ElementsAre("shell:chess", "shell:go"));
  EXPECT_TRUE(view->visible);
  EXPECT_EQ(Seen(), "Games: chess go [save delete exec]");
  form->Form_KeyUp(kKeyReturn, kShiftMask);
  Key(kKeyReturn, kShiftMask, MainControl::tbCollNew);
  EXPECT_EQ(Seen(), "<New Collection>: []");
  EXPECT_EQ(fake.shell.calls.size(), 2u);
  EXPECT_FALSE(form->Form_KeyDown(kKeyReturn, kAltMask, MainControl::btnExit));
  EXPECT_TRUE(view->visible);
  // Execute is disabled: Enter outside a button does nothing.
  Key(kKeyReturn, 0, MainControl::lstItems);
  EXPECT_TRUE(view->visible);
  Key(kKeyReturn, 0, MainControl::btnExit);
  EXPECT_TRUE(view->unloaded);
}

// From <None>, a collection's name typed and Enter: nothing is loaded, and Execute, which
// the typed text enabled, starts nothing, as the list shows nothing. Nor does it start
// the records that <None> hid, or what a pick that could not be loaded left.
TEST_F(MainForm, ExecuteRunsWhatTheListShows) {
  Collection("Games", {"chess", "go"});
  Collection("Tools", {"make"});
  WriteFile(dir.file("Broken.tavrin"), "\"Something else\"\r\n");
  Open();
  Type("Games");
  EXPECT_EQ(Seen(), "Games: [exec]");
  Key(kKeyReturn, 0, MainControl::cboColl);
  EXPECT_THAT(fake.shell.calls, IsEmpty());
  EXPECT_EQ(state.CurrentCollFile, "");
  EXPECT_FALSE(state.HasItems);
  Open();
  form->Form_KeyDown(kKeyShift, kShiftMask, MainControl::lstItems);  // stays open after runs
  Pick("Games");
  Pick("Broken");
  EXPECT_EQ(Seen(), "Broken: [exec]");
  std::filesystem::remove(dir.file("Tools.tavrin"));
  Pick("Tools");
  EXPECT_EQ(Seen(), "Tools: [exec]");
  EXPECT_THAT(boxes, ElementsAre(kErrorBox + dir.file("Broken.tavrin") +
                                     "\n\nThis file is not a Tavrin Collection!!",
                                 kErrorBox + dir.file("Tools.tavrin") +
                                     "\n\nThe Tavrin was unable to load the Collection!!"));
  Click(MainControl::btnExec);
  Pick("Games");
  Pick("<None>");
  Type("anything");
  Click(MainControl::btnExec);
  EXPECT_THAT(fake.shell.calls, IsEmpty());
  Pick("Games");
  Click(MainControl::btnExec);
  EXPECT_THAT(fake.shell.calls, ElementsAre("shell:chess", "shell:go"));
}

// F1 shows the About box; Ctrl+X, Esc and Exit close the window, and nothing else does.
TEST_F(MainForm, KeysOfTheWindowAndTheAboutBox) {
  Open();
  EXPECT_TRUE(form->Form_KeyDown(kKeyF1, 0, MainControl::cboColl));
  EXPECT_THAT(view->modalShown, ElementsAre("About The Tavrin... | Version 1.04.04"));
  EXPECT_FALSE(form->Form_KeyDown(kKeyX, 0, MainControl::cboColl));
  EXPECT_FALSE(form->Form_KeyDown(kKeyX, kCtrlMask | kShiftMask, MainControl::cboColl));
  EXPECT_FALSE(form->Form_KeyDown(kKeyEscape, kShiftMask, MainControl::cboColl));
  EXPECT_FALSE(view->unloaded);
  EXPECT_TRUE(form->Form_KeyDown(kKeyX, kCtrlMask, MainControl::cboColl));
  EXPECT_TRUE(view->unloaded);
  for (int close : {0, 1, 2}) {
    SCOPED_TRACE(close);
    Open();
    if (close == 0) Key(kKeyEscape, 0, MainControl::lstItems);
    if (close == 1) Click(MainControl::btnExit);
    if (close == 2) form->mnuFile_Click(0);
    EXPECT_TRUE(view->unloaded);
  }
}

// The About box shows the version and starts a feedback mail; without a mail program a
// box says so, once, and the About box stays open.
TEST(AboutForm, VersionAndTheFeedbackMail) {
  testing::FakePlatform fake;
  testing::ScriptedFileDialogs dialogs;
  CollectionState state;
  EditExchange edit;
  FrmAbout about({state, edit, fake.platform, dialogs});
  testing::FakeAboutView view;
  about.Form_Load(view);
  EXPECT_EQ(view.version, "Version 1.04.04");
  EXPECT_EQ(view.mail, FrmAbout::kFeedbackAddress);
  fake.shell.results = {kShellSuccess, kShellNoAssociation};
  about.lblMail_Click();
  const ShellRequest& r = fake.shell.shellStarts.at(0);
  EXPECT_EQ(
      r.verb + " " + r.file + " " + std::to_string(r.show),
      std::string("open mailto:") + FrmAbout::kFeedbackAddress + "?subject=Tavrin Feedback!! 1");
  EXPECT_EQ(r.folder, fake.system.collectionFolder);
  EXPECT_THAT(fake.toolkit.boxes, IsEmpty());
  about.lblMail_Click();
  EXPECT_THAT(fake.toolkit.boxes, ElementsAre("The Tavrin - Send Feedback Failure: (48) "
                                              "Could not find any mailprograms..."));
  EXPECT_FALSE(view.unloaded);
  about.btnOK_Click();
  EXPECT_TRUE(view.unloaded);
}

}  // namespace
}  // namespace tavrin
