// The main form: the collection box and its toolbar, Execute, the keys of the window
// and the registry question.
#include <deque>
#include <filesystem>

#include "collection/collfile.h"
#include "collection/text.h"
#include "fake_views.h"
#include "launch/capture.h"
#include "launch/run_records.h"
#include "launch/stop_request.h"
#include "shellreg/association.h"

namespace tavrin {
namespace {

namespace fs = std::filesystem;
using testing::CollectionOfNames;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing::ReadFile;
using ::testing::StartsWith;
using testing::WriteFile;
using MainForm = MainFormTest;

// The collections are listed after <None> in name order, any letter case (names that
// differ only in case by their bytes). Typing enables Execute alone. A pick loads, a pick
// of the one shown reloads; <None> empties the list but keeps the records. The load
// registers the file type; the Options menu asks about it.
TEST_F(MainForm, TheCollectionBoxListsAndPicks) {
  for (const char* name : {"beta", "Alpha", "alpha", "10 Ten"}) Collection(name, {"x"});
  Collection("Games", {"chess", "go", "tetris"});
  WriteFile(dir.file("notes.txt"), "x");
  Open();
  if (kPathsIgnoreCase) {
    EXPECT_THAT(view->entries, ElementsAre("<None>", "10 Ten", "Alpha", "beta", "Games"));
  } else {
    EXPECT_THAT(view->entries, ElementsAre("<None>", "10 Ten", "Alpha", "alpha", "beta", "Games"));
  }
  EXPECT_EQ(Seen() + ItemButtons(), "<None>: []00000");
  Type("anything");
  EXPECT_EQ(Seen(), "anything: [exec]");
  Pick("Games");
  EXPECT_EQ(Seen(), "Games: chess go tetris [save delete exec]");
  EXPECT_EQ(view->collEntry, EntryOf("Games"));
  form->CollChanged(true);
  EXPECT_EQ(Seen(), "<Current Collection>: chess go tetris [save exec]");
  state.Items[0].ItemName = "changed";
  fake.toolkit.answers = {kAnswerNo};  // not saved
  Pick("Games");
  Select(2);
  EXPECT_EQ(Seen(), "Games: chess go *tetris [save delete exec]");
  Pick("<None>");
  EXPECT_EQ(Seen() + ItemButtons() + view->details + state.CurrentCollFile, "<None>: []00000");
  EXPECT_EQ(state.Items.size(), 3u);
  EXPECT_THAT(boxes, ElementsAre(StartsWith("The Tavrin (35) Games has changes")));
  EXPECT_EQ(GetRegValue(fake.registry, Registry::kClassesRoot, ".tavrin", ""), "Tavrin");
  fake.toolkit.answers = {kAnswerNo};
  form->mnuOption_Click(0);
  EXPECT_FALSE(fake.registry.HasKey(".tavrin"));
}

// Up and Down in the closed box move from the entry the box shows, typed or picked.
TEST_F(MainForm, UpAndDownInTheBoxMoveFromTheEntryShown) {
  for (const char* name : {"Alpha", "Games", "Ready", "Tools"}) Collection(name, {"x"});
  const struct {
    const char* name;
    const char* picked;
    std::vector<std::string> typed;
    int key;
    std::string shown;
  } cases[] = {
      {"<None> typed over Alpha, Down", "Alpha", {"Games", "<None>"}, kKeyDown, "Alpha: x"},
      {"Alpha typed over Tools, Up", "Tools", {"Alpha"}, kKeyUp, "<None>:"},
      {"Down on the last", "Tools", {}, kKeyDown, "Tools: x"},
      {"Up on <None>", "<None>", {}, kKeyUp, "<None>:"},
      {"a text that is no entry, Down", "Games", {"zzz"}, kKeyDown, "<None>:"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Open();
    Pick(c.picked);
    for (const std::string& text : c.typed) Type(text);
    EXPECT_TRUE(form->Form_KeyDown(c.key, 0, MainControl::cboColl));
    EXPECT_THAT(Seen(), StartsWith(c.shown + " ["));
  }
}

// The first start in a new, empty collection folder puts the example collection there and
// loads it; a folder that holds anything, a start on a collection, or a system without an
// example of its own leave the folder as it is.
TEST_F(MainForm, TheFirstStartPutsTheExampleIntoAnEmptyFolder) {
  const std::vector<SystemInfo::ExampleItem> example = {{"Home folder", "/home/me"},
                                                        {"Terminal", "xterm"}};
  const struct {
    const char* name;
    const char* otherFile;  // in the folder before the start
    std::vector<SystemInfo::ExampleItem> items;
    bool onACollection;
    std::string seen;
  } rows[] = {
      {"a new, empty folder", nullptr, example, false,
       "Welcome: Home folder Terminal [save delete exec]"},
      {"a folder holding a file", "notes.txt", example, false, "<None>: []"},
      {"started on a collection", nullptr, example, true, "c: x [save delete exec]"},
      {"no example on this system", nullptr, {}, false, "<None>: []"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    fs::remove_all(dir.str());
    fs::create_directories(dir.str());
    if (row.otherFile != nullptr) WriteFile(dir.file(row.otherFile), "x");
    fake.system.exampleItems = row.items;
    state = CollectionState{};
    row.onACollection ? Open({Item("x", "/bin/x")}) : Open();
    EXPECT_EQ(Seen(), row.seen);
    EXPECT_EQ(fs::exists(dir.file("Welcome.tavrin")), row.seen.starts_with("Welcome"));
  }
  EXPECT_THAT(boxes, IsEmpty());
}

// The window opens where it was closed, on a screen that still shows its top; the place
// is kept in its file, or elsewhere when the file cannot be written.
TEST_F(MainForm, TheWindowOpensWhereItWasClosed) {
  const std::vector<ScreenArea> screens = {{0, 0, 1920, 1080}, {1920, 0, 1280, 1024}};
  const struct {
    const char* name;
    WindowPlace closedAt;
    std::optional<WindowPlace> opensAt;
  } rows[] = {
      {"on the first screen, maximized",
       {100, 50, 900, 600, true},
       WindowPlace{100, 50, 900, 600, true}},
      {"on the second screen",
       {2000, 100, 700, 400, false},
       WindowPlace{2000, 100, 700, 400, false}},
      {"its top at the screens' corner: moved onto the screen",
       {-800, 1060, 900, 600, false},
       WindowPlace{0, 480, 900, 600, false}},
      {"larger than the screen that shows its top: cut to it",
       {1900, 10, 2000, 1100, false},
       WindowPlace{1920, 0, 1280, 1024, false}},
      {"above every screen", {100, -400, 900, 390, false}, std::nullopt},
      {"on a screen that has gone", {3300, 100, 700, 400, false}, std::nullopt},
      {"only its left corner on a screen", {-880, 100, 900, 600, false}, std::nullopt},
  };
  for (const bool inItsFile : {true, false}) {
    // A file in a folder that is not there cannot be written: the place goes elsewhere.
    fake.system.windowPlaceFile = inItsFile ? dir.file("window-place") : dir.file("gone/place");
    for (const auto& row : rows) {
      SCOPED_TRACE(std::string(row.name) + (inItsFile ? " (its file)" : " (elsewhere)"));
      fake.system.placeElsewhere.clear();
      Open().Form_Unload(row.closedAt);
      EXPECT_EQ(fs::exists(dir.file("window-place")), inItsFile);
      EXPECT_EQ(fake.system.placeElsewhere.empty(), inItsFile);
      EXPECT_EQ(Open().PlaceToRestore(screens), row.opensAt);
      fs::remove(dir.file("window-place"));
    }
  }
  for (const char* kept : {"", "1 2 3", "1 2 0 4 0", "1 2 3 4 2", "a b c d e"}) {
    SCOPED_TRACE(kept);
    fake.system.placeElsewhere = kept;
    EXPECT_FALSE(Open().PlaceToRestore(screens).has_value());
  }
}

// Other loads from anywhere and upgrades an old file in place; cancelled, or a file that
// breaks off, the window stays as it was; a file that is no collection lists nothing.
TEST_F(MainForm, OtherCollectionsAndLoadFailures) {
  Collection("Games", {"chess", "go"});
  WriteFile(dir.file("Broken.tavrin"), "\"Something else\"\r\n");
  testing::TempDir other;
  const std::string old = other.file("Old.tavrin");
  WriteFile(old, "\"Tavrin File 1.1\"\r\n0\r\n\"x\",\"/bin/x\",\"\",2\r\n");
  WriteFile(other.file("bad"), "\"Tavrin File 1.2\"\r\n2\r\n\"p\",\"/bin/p\",\"\",1,#FALSE#\r\n");
  Open();
  dialogs.answers = {{true, old}};
  fake.toolkit.answers = {kAnswerYes};
  Click(MainControl::tbCollOther);
  EXPECT_THAT(boxes, ElementsAre(StartsWith("The Tavrin - Question: (36) Old.tavrin\n\n")));
  EXPECT_THAT(ReadFile(old), StartsWith("\"Tavrin File 1.2\""));
  EXPECT_EQ(Seen() + state.CurrentCollFile, "Old: x [save delete exec]" + old);
  boxes.clear();
  Pick("Games");
  Click(MainControl::tbCollOther);  // cancelled
  dialogs.answers = {{true, other.file("bad")}};
  Click(MainControl::tbCollOther);
  EXPECT_EQ(Seen() + state.CurrentCollFile,
            "Games: chess go [save delete exec]" + dir.file("Games.tavrin"));
  Pick("Broken");
  EXPECT_THAT(boxes,
              ElementsAre(kErrorBox + "bad\n\nThe Tavrin was unable to load the Collection!!",
                          kErrorBox + dir.file("Broken.tavrin") +
                              "\n\nThis file is not a Tavrin Collection!!"));
  EXPECT_EQ(Seen(), "Broken: [exec]");
}

// Save proposes the name, or the path once the collection has changed; a failed save
// changes nothing. Saved as ".tavrin", another extension asks before writing over a file.
TEST_F(MainForm, SaveProposesTheNameAndAsksBeforeWritingOver) {
  Collection("Games", {"chess"});
  Collection("Tools", {"old"});
  Open();
  Pick("Games");
  dialogs.answers = {{true, dir.file("Copy")}};
  Click(MainControl::tbCollSave);
  const FileDialogRequest& asked = dialogs.requests.at(0);
  EXPECT_EQ(asked.initialName + "|" + asked.initialDir + "|" + asked.defaultExt,
            "Games|" + dir.str() + "|tavrin");
  EXPECT_EQ(ReadFile(dir.file("Copy.tavrin")), CollectionOfNames({"chess"}));
  EXPECT_EQ(Seen(), "Copy: chess [save delete exec]");
  for (bool changed : {true, false}) {
    SCOPED_TRACE(changed ? "changed" : "as the entry");
    boxes.clear();
    if (changed) form->CollChanged(true);
    dialogs.answers = {{true, (dir.path() / "no" / "such" / "x").string()}};
    Click(MainControl::tbCollSave);
    EXPECT_EQ(dialogs.requests.back().initialName, changed ? dir.file("Copy.tavrin") : "Copy");
    EXPECT_THAT(boxes, ElementsAre(kErrorBox + (changed ? "x" : "Copy") +
                                   ".tavrin\n\nThe Tavrin was unable to save this file!!"));
    EXPECT_EQ(view->collText + state.CurrentCollFile,
              (changed ? "<Current Collection>" : "Copy") + dir.file("Copy.tavrin"));
    Pick("Copy");
  }
  boxes.clear();
  dialogs.answers = {{true, dir.file("Tools.txt")}, {true, dir.file("Tools.txt")}};
  fake.toolkit.answers = {kAnswerNo, kAnswerYes};
  Click(MainControl::tbCollSave);
  EXPECT_THAT(boxes, ElementsAre(StartsWith("The Tavrin - Question: (292) Tools.tavrin\n\n")));
  EXPECT_EQ(ReadFile(dir.file("Tools.tavrin")), CollectionOfNames({"old"}));
  EXPECT_EQ(Seen(), "Copy: chess [save delete exec]");
  Click(MainControl::tbCollSave);
  EXPECT_EQ(ReadFile(dir.file("Tools.tavrin")), CollectionOfNames({"chess"}));
  EXPECT_EQ(Seen(), "Tools: chess [save delete exec]");
}

// Changes not saved are not dropped without a question: Yes saves first (a cancelled
// save goes no further), No drops them, Cancel goes no further. Nothing asks without
// changes.
TEST_F(MainForm, ChangesThatAreNotSavedAreNotDroppedWithoutAQuestion) {
  Collection("Games", {"chess"});
  Collection("Tools", {"make"});
  const struct {
    const char* name;
    std::function<bool(MainFormTest&)> gesture;  // true when it went on
  } gestures[] = {
      {"Exit",
       [](MainFormTest& t) {
         t.Click(MainControl::btnExit);
         return t.view->unloaded;
       }},
      {"Ctrl+X",
       [](MainFormTest& t) {
         t.form->Form_KeyDown(kKeyX, kCtrlMask, MainControl::cboColl);
         return t.view->unloaded;
       }},
      {"the close box", [](MainFormTest& t) { return t.form->Form_QueryUnload(kUnloadCloseBox); }},
      {"a pick",
       [](MainFormTest& t) {
         t.Pick("Tools");
         return t.view->collText == "Tools";
       }},
      {"New",
       [](MainFormTest& t) {
         t.Click(MainControl::tbCollNew);
         return t.view->collText == "<New Collection>";
       }},
      {"Other",
       [](MainFormTest& t) {
         t.dialogs.answers.push_back({true, t.dir.file("Tools.tavrin")});
         t.Click(MainControl::tbCollOther);
         return t.view->collText == "Tools";
       }},
  };
  const struct {
    const char* name;
    std::deque<int> answers;
    bool saveChosen;
    bool wentOn;
    std::string saved;  // what Games.tavrin holds after
  } answers[] = {
      {"No", {kAnswerNo}, false, true, "chess"},
      {"Cancel", {kAnswerCancel}, false, false, "chess"},
      {"Yes", {kAnswerYes}, true, true, "checkers"},
      {"Yes, the save cancelled", {kAnswerYes}, false, false, "chess"},
  };
  const std::string question =
      "The Tavrin (35) Games has changes that are not saved.\n\nSave them first?";
  for (const auto& g : gestures) {
    for (const auto& a : answers) {
      SCOPED_TRACE(std::string(g.name) + ", " + a.name);
      Collection("Games", {"chess"});
      Open();
      Pick("Games");
      boxes.clear();
      EXPECT_TRUE(g.gesture(*this));
      EXPECT_THAT(boxes, IsEmpty());
      Open();
      Pick("Games");
      view->editorScripts = {Rename("checkers")};
      Press(0, MainControl::tbItemEdit);
      boxes.clear();
      fake.toolkit.answers = a.answers;
      dialogs.answers.clear();
      if (a.answers.front() == kAnswerYes) {
        dialogs.answers.push_back({a.saveChosen, dir.file("Games.tavrin")});
      }
      EXPECT_EQ(g.gesture(*this), a.wentOn);
      EXPECT_THAT(boxes, ElementsAre(question));
      EXPECT_THAT(ReadFile(dir.file("Games.tavrin")), ::testing::HasSubstr('"' + a.saved + '"'));
      if (!a.wentOn) {
        EXPECT_EQ(Seen(), "<Current Collection>: *checkers [save exec]");
      }
    }
  }
  // A collection never saved is "The new collection".
  Open();
  Click(MainControl::tbCollNew);
  view->editorScripts = {Rename("x")};
  form->mnuPItem1_Click();
  boxes.clear();
  fake.toolkit.answers = {kAnswerCancel};
  Click(MainControl::btnExit);
  EXPECT_THAT(boxes, ElementsAre(StartsWith("The Tavrin (35) The new collection has changes")));
}

// Delete removes the file and keeps the records (a missing file gives error 53 and
// changes nothing); New starts an empty collection, which has no file to delete.
TEST_F(MainForm, DeleteAndNew) {
  Collection("Games", {"chess"});
  Open();
  Pick("Games");
  fs::rename(dir.file("Games.tavrin"), dir.file("away"));
  Click(MainControl::tbCollDelete);
  const std::string games = dir.file("Games.tavrin");
  EXPECT_THAT(boxes, ElementsAre(kErrorBox + (kPathsIgnoreCase ? LowerAscii(games) : games) +
                                 "\n\nError 53"));
  EXPECT_EQ(Seen(), "Games: chess [save delete exec]");
  fs::rename(dir.file("away"), games);
  Click(MainControl::tbCollDelete);
  EXPECT_FALSE(fs::exists(games));
  EXPECT_EQ(EntryOf("Games"), -1);
  EXPECT_EQ(Seen() + state.Items[0].ItemName + state.CurrentCollFile,
            "<None>: [save]chess" + games);
  Click(MainControl::tbCollNew);
  EXPECT_EQ(Seen() + state.CurrentCollFile, "<New Collection>: []");
  EXPECT_EQ(state.Items, std::vector<CollItem>{CollItem{}});
  form->tbColl_ButtonClick(MainControl::tbCollDelete);
  EXPECT_EQ(boxes.size(), 1u);
}

// "Stop Started Programs" ends what the runs of the collection's file started, says how
// each went in one box, and asks before it ends by force what did not end when asked. It
// needs the collection's file.
TEST_F(MainForm, StopStartedProgramsFromTheFileMenu) {
  const std::pair<MainMenu, int> entry{MainMenu::mnuFile, 1};
  const std::string info = "The Tavrin (64) Games\n\n";
  const std::string warn = "The Tavrin (48) Games\n\n";
  const std::string ask = "The Tavrin - Question: (292) End them by force?";
  struct Row {
    const char* name;
    bool recorded;            // a run started the server
    bool stubborn;            // it ends only by force
    std::deque<int> answers;  // to the box that says how it went, then to the question
    std::vector<std::string> boxes;
    bool runsAfter;
  };
  const Row rows[] = {
      {"no run started anything",
       false,
       false,
       {},
       {info + "No run of it has started a program that is known."},
       true},
      {"it ends when asked", true, false, {}, {info + "1 Server stopped\n"}, false},
      {"still running, not by force",
       true,
       true,
       {kAnswerOk, kAnswerNo},
       {warn + "1 Server still running\n", ask},
       true},
      {"still running, then by force",
       true,
       true,
       {kAnswerOk, kAnswerYes},
       {warn + "1 Server still running\n", ask, info + "1 Server stopped\n"},
       false},
  };
  fake.system.recordFolder = dir.file("runs");
  Collection("Games", {"chess"});
  const std::string games = dir.file("Games.tavrin");
  Open();
  EXPECT_FALSE(view->menuEnabled.at(entry));
  Pick("Games");
  EXPECT_TRUE(view->menuEnabled.at(entry));
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    fs::remove_all(dir.file("runs"));
    fs::create_directories(dir.file("runs"));
    fake.system.processes = {{100, "m100"}};
    fake.system.ignoresEnd.clear();
    if (row.stubborn) fake.system.ignoresEnd.insert(100);
    if (row.recorded) {
      EXPECT_EQ(RecordRun(games, {StartedItem{1, "Server", 100, "m100"}}, fake.system, fake.files),
                "");
    }
    boxes.clear();
    fake.toolkit.answers = row.answers;
    const int64_t before = fake.system.now;
    form->MenuClick(MainMenu::mnuFile, 1);
    EXPECT_EQ(boxes, row.boxes);
    // It waits once for what was asked to end, not again before ending it by force.
    EXPECT_LE(fake.system.now - before, kStopWait);
    EXPECT_EQ(fake.system.processes.count(100) == 1, row.runsAfter);
    EXPECT_EQ(Seen(), "Games: chess [save delete exec]");
  }
  Click(MainControl::tbCollNew);
  EXPECT_FALSE(view->menuEnabled.at(entry));
}

// "Capture Open Windows..." makes what the desktop's windows show a new collection that
// is not saved yet, and says in one box which windows it left out; where nothing can be
// captured the collection shown stays.
TEST_F(MainForm, CaptureOpenWindowsFromTheFileMenu) {
  const std::string caption = "The Tavrin (48) ";
  OpenWindow editor;
  editor.title = "notes.txt - Editor";
  editor.style = 3;
  editor.desktop = 2;
  editor.program = "/usr/bin/editor";
  editor.params = "'my notes.txt'";
  editor.workDir = "/home/me";
  editor.place = WindowRect{0, 0, 640, 480};
  OpenWindow gone;
  gone.pid = 8;
  gone.title = "Gone\n";
  gone.note = "its program file was deleted";
  struct Row {
    const char* name;
    std::optional<std::vector<OpenWindow>> open;
    std::string seen;
    std::vector<std::string> boxes;
  };
  const Row rows[] = {
      {"the desktop cannot list its windows",
       std::nullopt,
       "Games: chess [save delete exec]",
       {caption + "The open windows cannot be captured: " + kCannotCaptureText + "."}},
      {"no window is open",
       std::vector<OpenWindow>{gone},
       "Games: chess [save delete exec]",
       {caption + "No window of your programs is open."}},
      {"one captured, one left out",
       std::vector<OpenWindow>{editor, gone},
       "<Current Collection>: notes.txt - Editor [save exec]",
       {caption + "These windows were left out:\n\nwindow \"Gone\" (process 8): its program "
                  "file was deleted"}},
  };
  Collection("Games", {"chess"});
  Open();
  Pick("Games");
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    fake.system.programWindows.open = row.open;
    boxes.clear();
    form->MenuClick(MainMenu::mnuFile, 0);
    EXPECT_EQ(Seen(), row.seen);
    EXPECT_EQ(boxes, row.boxes);
  }
  const CollItem& item = state.Items.at(0);
  EXPECT_EQ(item.File + "|" + item.Params + "|" + std::to_string(item.WinStyle),
            "/usr/bin/editor|'my notes.txt'|3");
  EXPECT_EQ(item.Options,
            (std::vector<ItemOption>{
                {"WorkDir", "/home/me"}, {"Place", "0,0,640,480"}, {"Desktop", "2"}}));
  EXPECT_TRUE(state.CurrentCollFile.empty());
  // Another capture first asks about the one not saved.
  fake.toolkit.answers = {kAnswerCancel};
  boxes.clear();
  form->MenuClick(MainMenu::mnuFile, 0);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_THAT(boxes[0], ::testing::HasSubstr("has changes that are not saved"));
}

// Execute starts what the list shows (nothing for a typed name, <None> or a failed pick)
// and closes the window unless Shift, Ctrl or Alt is held until a key is released (unseen
// while the window was hidden). A termination request stops the run and the window.
TEST_F(MainForm, ExecuteRunsWhatTheListShowsAndClosesTheWindow) {
  Collection("Games", {"chess", "go"});
  Collection("Tools", {"make"});
  Open();
  form->Form_KeyDown(kKeyShift, kShiftMask, MainControl::lstItems);
  Pick("Games");
  fs::remove(dir.file("Tools.tavrin"));
  Pick("Tools");
  EXPECT_EQ(Seen(), "Tools: [exec]");
  Click(MainControl::btnExec);
  Pick("Games");
  Pick("<None>");
  Type("Games");
  Click(MainControl::btnExec);
  EXPECT_THAT(fake.shell.calls, IsEmpty());
  Pick("Games");
  Click(MainControl::btnExec);
  EXPECT_THAT(fake.shell.calls, ElementsAre("shell:chess", "shell:go"));
  form->Form_KeyUp(kKeyShift, 0);
  const int held[][2] = {{kKeyShift, kShiftMask}, {kKeyControl, kCtrlMask}, {kKeyAlt, kAltMask}};
  for (const auto& h : held) {
    SCOPED_TRACE(h[0]);
    form->Form_KeyDown(h[0], h[1], MainControl::btnExec);
    Click(MainControl::btnExec);
    Click(MainControl::btnExec);  // the key was released while the window was hidden
    EXPECT_TRUE(view->visible);
    EXPECT_EQ(view->collText, "Games");
    form->Form_KeyUp('A', 0);
  }
  EXPECT_THAT(fake.shell.calls, ::testing::SizeIs(14));
  Click(MainControl::btnExec);
  EXPECT_TRUE(view->unloaded);
  Open();
  Pick("Games");
  form->Form_KeyDown(kKeyShift, kShiftMask, MainControl::btnExec);
  fake.shell.calls.clear();
  fake.shell.during = [] { RequestStop(15); };
  Click(MainControl::btnExec);
  ClearStopRequest();
  EXPECT_THAT(fake.shell.calls, ElementsAre("shell:chess"));
  EXPECT_FALSE(view->visible);
  EXPECT_TRUE(view->unloaded);
}

// A window that never shows is given up on, and Execute says so in one box once its run
// has ended; a window that shows, or an item that asks nothing of its window, is no note.
TEST_F(MainForm, ExecuteSaysWhichWindowsItGaveUpOn) {
  Open({testing::Item("chess", testing::BinPath("chess"), "", 2),
        testing::Item("go", testing::BinPath("go")),
        testing::Item("tetris", testing::BinPath("tetris"), "", 3),
        testing::Item("pong", testing::BinPath("pong"), "", 0)});
  fake.shell.pids = {7, 8, 9, 10};
  fake.system.programWindows.windows[9] = {{90, 0, int64_t{1} << 40}};
  Click(MainControl::btnExec);
  const std::string gaveUp =
      ": its window did not appear within 10 s and was left where the desktop puts it";
  EXPECT_THAT(boxes,
              ::testing::Contains("The Tavrin - Error: (48) " + state.CurrentCollFile +
                                  "\n\nitem 1 \"chess\"" + gaveUp + "\nitem 4 \"pong\"" + gaveUp));
  EXPECT_EQ(fake.system.programWindows.applied.size(), 1u);
}

// Enter presses the focused button, otherwise Execute; Esc and Ctrl+X close the window,
// F1 shows the About box. With other modifiers those keys are not the window's.
TEST_F(MainForm, KeysOfTheWindow) {
  Collection("Games", {"chess", "go"});
  const std::string games = "Games: chess go [save delete exec]";
  const std::string none = "<None>: []";
  const struct {
    const char* name;
    bool loaded;
    int key, shift;
    MainControl focus;
    bool handled;
    std::string after;  // what is seen, or "closed"
    std::size_t starts;
  } cases[] = {
      {"Enter runs and closes", true, kKeyReturn, 0, MainControl::lstItems, true, "closed", 2},
      {"Shift+Enter runs", true, kKeyReturn, kShiftMask, MainControl::cboColl, true, games, 2},
      {"Enter presses the button", true, kKeyReturn, kShiftMask, MainControl::tbCollNew, true,
       "<New Collection>: []", 0},
      {"Alt+Enter", true, kKeyReturn, kAltMask, MainControl::btnExit, false, games, 0},
      {"Enter without Execute", false, kKeyReturn, 0, MainControl::lstItems, true, none, 0},
      {"Esc", false, kKeyEscape, 0, MainControl::lstItems, true, "closed", 0},
      {"Ctrl+X", false, kKeyX, kCtrlMask, MainControl::cboColl, true, "closed", 0},
      {"F1", false, kKeyF1, 0, MainControl::cboColl, true, none, 0},
      {"Shift+F1", false, kKeyF1, kShiftMask, MainControl::cboColl, false, none, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fake.shell.calls.clear();
    state = CollectionState{};
    Open();
    if (c.loaded) Pick("Games");
    EXPECT_EQ(form->Form_KeyDown(c.key, c.shift, c.focus), c.handled);
    form->Form_KeyUp(c.key, c.shift);
    EXPECT_EQ(view->unloaded ? "closed" : Seen(), c.after);
    EXPECT_EQ(fake.shell.calls.size(), c.starts);
    EXPECT_THAT(view->aboutShown, ::testing::SizeIs(c.name == std::string("F1") ? 1 : 0));
  }
}

// The About box shows the version and mails; without a mail program a box says so once.
TEST(AboutForm, VersionAndTheFeedbackMail) {
  testing::FormWorld world;
  FrmAbout about(world.Context());
  FakeAboutView view;
  about.Form_Load(view);
  EXPECT_EQ(view.version + "|" + view.mail,
            std::string("Version 1.04.04|") + FrmAbout::kFeedbackAddress);
  world.fake.shell.results = {kShellSuccess, kShellNoAssociation};
  about.lblMail_Click();
  about.lblMail_Click();
  const ShellRequest& r = world.fake.shell.shellStarts.at(0);
  EXPECT_EQ(r.verb + " " + r.file + " " + std::to_string(r.show) + " " + r.folder,
            std::string("open mailto:") + FrmAbout::kFeedbackAddress +
                "?subject=Tavrin Feedback!! 1 " + world.dir.str());
  EXPECT_THAT(world.boxes, ElementsAre("The Tavrin - Send Feedback Failure: (48) "
                                       "Could not find any mailprograms..."));
  EXPECT_FALSE(view.unloaded);
  about.btnOK_Click();
  EXPECT_TRUE(view.unloaded);
}

}  // namespace
}  // namespace tavrin
