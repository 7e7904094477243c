// Items in the main window: the item editor, adding, editing, removing, moving and
// opening them, and the details pane that describes one.
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QToolButton>
#include <filesystem>
#include <sstream>

#include "collection/text.h"
#include "platform/posix/posix_shell.h"
#include "platform/posix/posix_system.h"
#include "run_process.h"
#include "ui/details.h"
#include "window_fixture.h"

namespace tavrin {
namespace {

using testing::Item;
using testing::kErrorBox;

CollItem It(const std::string& name, int16_t wait = kFalse) {
  return Item(name, "/bin/" + name, "", kStyleNormal, wait);
}

struct EditorTest : WindowTest {
  std::unique_ptr<FrmItemEdit> Editor(CollItem item) {
    edit.EditItem = std::move(item);
    auto editor = std::make_unique<FrmItemEdit>(Context(fake.platform), nullptr);
    editor->show();
    return editor;
  }
};

// Any change enables OK, a change of letter case too; typed back, OK stays.
TEST_F(EditorTest, OkWaitsForAChangeAndStaysAvailable) {
  CollItem it = It("notepad");
  it.Params = "-a";
  const std::vector<std::function<void(FrmItemEdit&)>> changes = {
      [](FrmItemEdit& e) {
        e.txtItem()->setText("Notepad");
        e.txtItem()->setText("notepad");
      },
      [](FrmItemEdit& e) { e.txtParams()->setText("-b"); },
      [](FrmItemEdit& e) { e.cboStyle()->setCurrentIndex(3); },
      [](FrmItemEdit& e) { e.cWait()->setChecked(true); }};
  for (const auto& change : changes) {
    auto e = Editor(it);
    EXPECT_EQ(e->windowTitle(), "Item Editor");
    EXPECT_FALSE(e->btnOk()->isEnabled());
    change(*e);
    EXPECT_TRUE(e->btnOk()->isEnabled());
  }
}

// "Wait until finished" is for programs only, by the last three letters; a document
// whose wait is set opens with it checked but disabled.
TEST_F(EditorTest, WaitIsOnlyForProgramsByTheLastThreeLetters) {
  auto e = Editor(It("x"));
  for (const auto& [file, program] : {std::pair{"c:/tools/run.bat", true},
                                      {"c:/data/telecom", true},
                                      {"SETUP.EXE", true},
                                      {"c:/tools/readme.txt", false}}) {
    e->cWait()->setChecked(true);
    e->txtFile()->setText(file);
    EXPECT_EQ(e->cWait()->isEnabled(), program) << file;
    EXPECT_EQ(e->cWait()->isChecked(), program) << file;
  }
  CollItem document = It("notes", kTrue);
  document.File = "notes.txt";
  auto d = Editor(document);
  EXPECT_TRUE(d->cWait()->isChecked());
  EXPECT_FALSE(d->cWait()->isEnabled());
  EXPECT_FALSE(d->btnOk()->isEnabled());
  // Beyond the name's ending, what the system knows: on Linux a file with execute
  // permission, or a name found on PATH.
  EXPECT_TRUE(CountsAsProgram("mytool", true));
  posix::PosixSystemInfo system;
  const std::string tool = dir.file("tool");
  testing::WriteFile(tool, "#!/bin/sh\n");
  EXPECT_FALSE(system.IsProgramFile(tool));
  std::filesystem::permissions(tool, std::filesystem::perms::owner_exec,
                               std::filesystem::perm_options::add);
  EXPECT_TRUE(system.IsProgramFile(tool));
  EXPECT_TRUE(system.IsProgramFile("sh"));
  EXPECT_FALSE(system.IsProgramFile("no-such-program-tavrin"));
  EXPECT_FALSE(system.IsProgramFile(dir.str()));
}

// Browsing puts the chosen path into the File box (a cancelled one changes nothing);
// Find follows the File box and opens the file's folder, or a bare name itself.
TEST_F(EditorTest, BrowsingFindOkAndTheCloseBox) {
  auto e = Editor(Item("x", ""));
  QToolButton* find = e->tbOpenButton("Find");
  EXPECT_FALSE(find->isEnabled());
  dialogs.answers = {{true, "/Program Files/App/Main.EXE"}};
  QTest::mouseClick(e->tbOpenButton("Open"), Qt::LeftButton);
  QTest::mouseClick(e->tbOpenButton("Open"), Qt::LeftButton);  // cancelled
  ASSERT_EQ(dialogs.requests.size(), 2u);
  EXPECT_EQ(dialogs.requests[0].filterIndex, 2);
  EXPECT_EQ(dialogs.requests[0].initialName, "");
  EXPECT_EQ(e->txtFile()->text().toStdString(),
            kPathsIgnoreCase ? "/program files/app/main.exe" : "/Program Files/App/Main.EXE");
  EXPECT_TRUE(find->isEnabled());
  QTest::mouseClick(find, Qt::LeftButton);
  e->txtFile()->setText("run.bat");
  QTest::mouseClick(find, Qt::LeftButton);
  ASSERT_EQ(fake.shell.shellStarts.size(), 2u);
  EXPECT_EQ(fake.shell.shellStarts[0].file,
            kPathsIgnoreCase ? "/program files/app" : "/Program Files/App");
  EXPECT_EQ(fake.shell.shellStarts[1].file, "run.bat");
  e->txtFile()->setText("");
  EXPECT_FALSE(find->isEnabled());
  // OK stores the values, even empty ones; a style without an entry is kept unless one is
  // picked. The close box, as Cancel, stores nothing.
  CollItem odd = It("old");
  odd.WinStyle = 9;
  auto stored = Editor(odd);
  EXPECT_EQ(stored->cboStyle()->currentIndex(), -1);
  stored->txtItem()->setText("");
  stored->txtFile()->setText("");
  stored->txtParams()->setText("p q");
  Ok(*stored);
  EXPECT_EQ(edit.EditItem, Item("", "", "p q", 9));
  EXPECT_FALSE(edit.EditCancelled);
  auto picked = Editor(odd);
  picked->cboStyle()->setCurrentIndex(5);
  Ok(*picked);
  EXPECT_EQ(edit.EditItem.WinStyle, 5);
  auto c = Editor(It("kept"));
  c->txtItem()->setText("changed");
  c->close();  // the close box
  EXPECT_TRUE(edit.EditCancelled);
  EXPECT_EQ(edit.EditItem.ItemName, "kept");
}

// Without a selection the popup offers Add, which appends; with one, Add inserts after
// it, and the right button leaves the selection.
TEST_F(WindowTest, AddFromThePopupAppendsOrInsertsAfterTheSelection) {
  Open({It("a"), It("b"), It("c")});
  QTest::mouseClick(window->lstItems()->viewport(), Qt::RightButton, {}, QPoint(5, 5));
  EXPECT_TRUE(window->mnuPopItem1()->isVisible());
  EXPECT_FALSE(window->mnuPopItem2()->isVisible());
  window->mnuPopItem1()->close();
  editorScripts = {Rename("d"), Ok};
  window->mnuPItem1_Click();
  ASSERT_EQ(editorOpenedWith.size(), 1u);
  EXPECT_EQ(editorOpenedWith[0], Item("New Item", ""));
  EXPECT_EQ(Seen(), "<Current Collection>: a b c d [save exec]");
  window->SelectListEntry(1);
  QTest::mouseClick(window->lstItems()->viewport(), Qt::RightButton, {}, QPoint(5, 5));
  EXPECT_TRUE(window->mnuPopItem2()->isVisible());
  EXPECT_EQ(window->SelectedIndex(), 1);
  window->mnuPopItem2()->close();
  window->mnuPitem2_Click(0);
  EXPECT_EQ(Seen(), "<Current Collection>: a b New Item c d [save exec]");
  // A cancelled add changes nothing, not even the mark; adding to an empty collection
  // replaces its placeholder.
  Open({It("a")});
  window->mnuPItem1_Click();  // the script cancels
  EXPECT_EQ(Seen(), "c: a [save delete exec]");
  EXPECT_FALSE(edit.EditCancelled);
  window->tbColl_ButtonClick("New");
  editorScripts = {Rename("first")};
  window->mnuPItem1_Click();
  EXPECT_EQ(Seen(), "<Current Collection>: first [save exec]");
  EXPECT_TRUE(state.HasItems);
}

// The Edit button and the double click edit; the entry is replaced in place. The wait
// of the last edited item carries to the next new one.
TEST_F(WindowTest, EditReplacesTheEntryInPlace) {
  Open({It("a"), It("b"), It("c", kTrue), It("d")});
  editorScripts = {Rename("C!"), Rename("cc"), Ok};
  Press(2, 1);
  EXPECT_EQ(Seen(), "<Current Collection>: a b C! d [save exec]");
  EXPECT_EQ(window->SelectedIndex(), 2);
  EXPECT_EQ(window->DetailsShown().substr(0, 3), "C!\n");
  emit window->lstItems()->itemDoubleClicked(window->lstItems()->item(2));
  EXPECT_EQ(Listed()[2], "cc");
  window->mnuPItem1_Click();
  ASSERT_EQ(editorOpenedWith.size(), 3u);
  EXPECT_EQ(editorOpenedWith[2].Wait, kTrue);
  EXPECT_EQ(state.Items.back().Wait, kTrue);
  // The selection and the details follow the item; at the ends nothing changes.
  Open({It("First"), It("Second"), It("Third")});
  Press(0, 0);
  Press(2, 4);
  EXPECT_EQ(Seen(), "c: First Second Third [save delete exec]");
  Press(0, 4);
  EXPECT_EQ(Seen(), "<Current Collection>: Second First Third [save exec]");
  EXPECT_EQ(window->SelectedIndex(), 1);
  EXPECT_NE(window->DetailsShown().find("Position: 2"), std::string::npos);
  QTest::mouseClick(window->tbItemButton(0), Qt::LeftButton);
  EXPECT_EQ(Seen(), "<Current Collection>: First Second Third [save exec]");  // still changed
}

// Without a selection every gesture is refused. The Remove button and the Delete key
// remove; the only item leaves <None> behind, and on the model the empty record.
TEST_F(WindowTest, RemoveFirstLastAndOnly) {
  Open({It("a"), It("b"), It("c")});
  window->lstItems_DblClick();
  QTest::keyClick(window->lstItems(), Qt::Key_Delete);
  window->tbItem_ButtonClick(1, "Edit");
  window->tbItem_ButtonClick(3, "Open");
  window->OpenItemEditor(-1, 7);
  window->OpenItemEditor(5, 5);
  EXPECT_TRUE(editorOpenedWith.empty());
  EXPECT_TRUE(fake.shell.calls.empty());
  EXPECT_EQ(Seen(), "c: a b c [save delete exec]");
  Press(0, 2);
  EXPECT_EQ(Seen(), "<Current Collection>: b c [save exec]");
  EXPECT_EQ(window->SelectedIndex(), 0);
  window->SelectListEntry(1);
  QTest::keyClick(window->lstItems(), Qt::Key_Delete);
  EXPECT_EQ(Seen(), "<Current Collection>: b [save exec]");
  EXPECT_EQ(window->SelectedIndex(), 0);
  Press(0, 2);
  EXPECT_EQ(Seen(), "<None>: []");
  state.Items = {It("only")};
  window->DeleteItem(0);
  EXPECT_EQ(state.Items, std::vector<CollItem>{CollItem{}});
  EXPECT_FALSE(state.HasItems);
}

// A waited item is started for real and waited for; meanwhile the window shows that it
// waits, and afterwards it is itself again.
TEST_F(WindowTest, WaitedOpenWaitsForTheProgramAndShowsItWaits) {
  struct Watching : posix::PosixShell {
    std::function<void()> watch;
    int32_t ShellAndWait(const WaitedStart& start) override {
      watch();
      return PosixShell::ShellAndWait(start);
    }
  } shell;
  Platform platform{fake.toolkit, shell, fake.files, fake.system, fake.registry};
  setenv("TAVRIN_RECORD", dir.file("record.log").c_str(), 1);
  state.Items = {Item("rec", testing::RecorderPath(), "--sleep=100 one", 1, kTrue),
                 Item("gone", dir.file("gone"), "", 1, kTrue)};
  FrmMain w(Context(platform), dir.file("c.tavrin"));
  const auto looks = [&w] {
    return w.windowTitle().toStdString() + (w.isEnabled() ? " enabled" : " disabled") +
           (w.cursor().shape() == Qt::WaitCursor ? " waiting" : "");
  };
  Strings during;
  shell.watch = [&] { during.push_back(looks()); };
  for (const int item : {0, 1}) {
    w.SelectListEntry(item);
    w.tbItem_ButtonClick(3, "Open");
  }
  unsetenv("TAVRIN_RECORD");
  EXPECT_EQ(during, Strings(2, "The Tavrin - Waiting for program to finish... disabled waiting"));
  EXPECT_EQ(looks(), "The Tavrin enabled");
  const auto runs = testing::ReadRecording(dir.file("record.log"));
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_NE(runs[0].endNs, 0);  // ended before Open returned
  EXPECT_EQ(fake.toolkit.boxes, Strings{kErrorBox + "gone\n\nFile not found"});
}

// "Open Item" never waits and leaves the caption; a failure shows its box.
TEST_F(WindowTest, OpenItemNeverWaitsAndNotWaitedItemsGoThroughTheShell) {
  Open({It("slow", kTrue), It("quick")});
  window->SelectListEntry(0);
  fake.shell.results = {kShellSuccess, 31, 2};
  window->mnuPitem2_Click(4);
  EXPECT_EQ(window->windowTitle(), "The Tavrin");
  window->mnuPitem2_Click(4);
  Press(1, 3);
  EXPECT_EQ(fake.shell.calls, (Strings{"shell:slow", "shell:slow", "shell:quick"}));
  EXPECT_EQ(fake.toolkit.boxes, (Strings{kErrorBox + "slow\n\nNo application found for this file",
                                         kErrorBox + "quick\n\nFile Not Found"}));
}

// --- The text of the details pane ---------------------------------------------------

using Lines = std::vector<std::string>;
const std::string kSep(1, kNativeSeparator);

// The lines of the details pane, which ends without a line feed.
Lines Details(const CollItem& item, int index, const std::string& type) {
  const std::string text = DetailsText(item, index, type);
  EXPECT_NE(text.back(), '\n');
  Lines lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// Paths are shown in lower case only where file names ignore case.
TEST(DetailsText, TenLinesInTheirOrderAndTheirTexts) {
  const bool lower = kPathsIgnoreCase;
  EXPECT_EQ(Details(Item("Notes", "/usr/bin/Edit" + kSep + "MyApp.EXE", "-n", 5, kTrue), 2,
                    "plain TEXT document"),
            (Lines{"Notes", std::string(31, '-'), lower ? "File: myapp.exe" : "File: MyApp.EXE",
                   "Parameters: -n", "Folder: ", lower ? "/usr/bin/edit" : "/usr/bin/Edit",
                   "Wait until finished: Yes", "Type: Plain text document",
                   "Style: Minimized no focus", "Position: 3"}));
  // No folder, no parameters, a style without a name, a missing file.
  const std::string shown = lower ? "notes.txt" : "Notes.TXT";
  EXPECT_EQ(Details(Item("a", "Notes.TXT", "", 6), 0, ""),
            (Lines{"a", std::string(31, '-'), "File: " + shown, "Parameters: ", "Folder: ", shown,
                   "Wait until finished: No", "Type: <file not found>", "Style: ", "Position: 1"}));
  // The type is measured without its leading blanks.
  EXPECT_EQ(TypeText(""), "<File not found>");
  EXPECT_EQ(TypeText("   "), "<File not found>");
  EXPECT_EQ(TypeText(std::string(25, 'a')), std::string(25, 'a'));
  EXPECT_EQ(TypeText(std::string(26, 'a')), std::string(22, 'a') + "...");
  EXPECT_EQ(TypeText("   " + std::string(24, 'a')), "   " + std::string(24, 'a'));
  const char* names[] = {"Hidden",    "Normal",          "Minimized",
                         "Maximized", "Normal no focus", "Minimized no focus"};
  for (int16_t code = 0; code < 6; ++code) EXPECT_EQ(RetWinStyle(code), names[code]);
  EXPECT_EQ(RetWinStyle(-1), "");
  EXPECT_EQ(GetAppVersion(2, 12, 123), "2.12.123");  // the About box shows 1.04.04
}

TEST(DetailsText, ShorteningLimitsOfEachValue) {
  const std::string n(31, 'n'), f(25, 'f'), p(19, 'p'), d(31, 'd');
  const auto First6 = [](const Lines& lines) { return Lines(lines.begin(), lines.begin() + 6); };
  const std::string dashes(31, '-');
  EXPECT_EQ(First6(Details(Item(n, d + kSep + f, p), 0, "x")),
            (Lines{n, dashes, "File: " + f, "Parameters: " + p, "Folder: ", d}));
  EXPECT_EQ(First6(Details(Item(n + "N", d + "D" + kSep + f + "F", p + "P"), 0, "x")),
            (Lines{n.substr(3) + "...", dashes, "File: " + f.substr(3) + "...",
                   "Parameters: " + p.substr(3) + "...", "Folder: ", d.substr(3) + "..."}));
  EXPECT_EQ(Details(Item("a", "b"), 0, std::string(30, 'q'))[7],
            "Type: Q" + std::string(21, 'q') + "...");
  if (kNativeEncoding != TextEncoding::kUtf8) return;
  std::string name;  // 32 two-byte characters: 28 of them and "..."
  for (int i = 0; i < 32; ++i) name += "\xc3\xa9";
  EXPECT_EQ(Details(Item(name, "x"), 0, "x")[0], name.substr(0, 56) + "...");
}

}  // namespace
}  // namespace tavrin
