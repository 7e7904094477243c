// Items in the main window: the item editor, adding, editing, removing, moving and
// opening them. The editor is a real FrmItemEdit, answered by a script instead of a
// modal loop.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>

#include "collection/collfile.h"
#include "fakes.h"
#include "platform/posix/posix_files.h"
#include "platform/posix/posix_shell.h"
#include "recording.h"
#include "temp_dir.h"
#include "ui/frm_item_edit.h"
#include "ui/details.h"
#include "platform/posix/posix_system.h"
#include "ui/frm_main.h"

namespace tavrin {
namespace {

using testing::TempDir;
using EditorScript = std::function<void(FrmItemEdit&)>;

CollItem Item(const std::string& name, int16_t wait = kFalse) {
  CollItem it;
  it.ItemName = name;
  it.File = "/bin/" + name;
  it.WinStyle = kStyleNormal;
  it.Wait = wait;
  return it;
}

void Ok(FrmItemEdit& e) { QTest::mouseClick(e.btnOk(), Qt::LeftButton); }
void Cancel(FrmItemEdit& e) { QTest::mouseClick(e.btnCancel(), Qt::LeftButton); }
EditorScript Rename(const std::string& name) {
  return [name](FrmItemEdit& e) {
    e.txtItem()->setText(QString::fromStdString(name));
    Ok(e);
  };
}

struct ItemsTest : ::testing::Test {
  TempDir dir;
  PosixFileSystem files;
  testing::FakePlatform fake{files};
  testing::ScriptedFileDialogs dialogs;
  CollectionState state;
  EditExchange edit;
  std::deque<EditorScript> editorScripts;
  std::vector<CollItem> editorOpenedWith;
  std::unique_ptr<FrmMain> window;

  void SetUp() override { fake.system.collectionFolder = dir.str(); }

  FrmMain& Open(const std::vector<CollItem>& items) {
    UiContext context{state, edit, fake.platform, dialogs};
    context.runModal = [this](QDialog& d) {
      auto& editor = dynamic_cast<FrmItemEdit&>(d);
      editorOpenedWith.push_back(edit.EditItem);
      if (editorScripts.empty()) {
        Cancel(editor);
      } else {
        auto script = editorScripts.front();
        editorScripts.pop_front();
        script(editor);
      }
      return d.result();
    };
    if (!items.empty()) {
      state.Items = items;
      state.CurrentCollFile = dir.file("c.tavrin");
    }
    window = std::make_unique<FrmMain>(context, items.empty() ? "" : dir.file("c.tavrin"));
    window->show();
    return *window;
  }

  std::vector<std::string> Listed() const {
    std::vector<std::string> names;
    for (int i = 0; i < window->lstItems()->count(); ++i) {
      names.push_back(window->lstItems()->item(i)->text().toStdString());
    }
    return names;
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& it : state.Items) names.push_back(it.ItemName);
    return names;
  }
  std::string Box() const { return window->cboColl()->currentText().toStdString(); }
  void Select(int i) { window->SelectListEntry(i); }
  void Press(int index) { QTest::mouseClick(window->tbItemButton(index), Qt::LeftButton); }
  void RightClick() {
    QListWidget* list = window->lstItems();
    QTest::mouseClick(list->viewport(), Qt::RightButton, {}, QPoint(5, 5));
  }
};

// --- The editor on its own ---------------------------------------------------------

struct EditorTest : ::testing::Test {
  testing::FailingFileSystem files;
  testing::FakePlatform fake{files};
  testing::ScriptedFileDialogs dialogs;
  CollectionState state;
  EditExchange edit;
  UiContext context{state, edit, fake.platform, dialogs};

  std::unique_ptr<FrmItemEdit> Editor(CollItem item) {
    edit.EditItem = std::move(item);
    auto editor = std::make_unique<FrmItemEdit>(context, nullptr);
    editor->show();
    return editor;
  }
};

TEST_F(EditorTest, OkWaitsForAChangeAndStaysAvailable) {
  CollItem it = Item("notepad");
  it.Params = "-a";
  auto e = Editor(it);
  EXPECT_EQ(e->windowTitle(), "Item Editor");
  EXPECT_FALSE(e->btnOk()->isEnabled());
  e->txtItem()->setText("Notepad");  // a change of case is a change
  EXPECT_TRUE(e->btnOk()->isEnabled());
  e->txtItem()->setText("notepad");  // typed back: OK stays
  EXPECT_TRUE(e->btnOk()->isEnabled());

  auto params = Editor(it);
  params->txtParams()->setText("-b");
  EXPECT_TRUE(params->btnOk()->isEnabled());
  auto style = Editor(it);
  style->cboStyle()->setCurrentIndex(3);
  EXPECT_TRUE(style->btnOk()->isEnabled());
  auto wait = Editor(it);
  wait->cWait()->setChecked(true);
  EXPECT_TRUE(wait->btnOk()->isEnabled());
}

TEST_F(EditorTest, WaitIsOnlyForProgramsByTheLastThreeLetters) {
  auto e = Editor(Item("x"));
  const char* sep = kNativeSeparator == '/' ? "/" : "\\";
  e->txtFile()->setText(QString("c:") + sep + "tools" + sep + "run.bat");
  EXPECT_TRUE(e->cWait()->isEnabled());
  e->cWait()->setChecked(true);
  e->txtFile()->setText(QString("c:") + sep + "tools" + sep + "readme.txt");
  EXPECT_FALSE(e->cWait()->isChecked());
  EXPECT_FALSE(e->cWait()->isEnabled());
  e->txtFile()->setText(QString("c:") + sep + "data" + sep + "telecom");
  EXPECT_TRUE(e->cWait()->isEnabled());
  e->txtFile()->setText("SETUP.EXE");
  EXPECT_TRUE(e->cWait()->isEnabled());
}

TEST(CountsAsProgram, NameEndingOrWhatTheSystemKnows) {
  EXPECT_TRUE(CountsAsProgram("x.exe", false));
  EXPECT_TRUE(CountsAsProgram("TELECOM", false));
  EXPECT_FALSE(CountsAsProgram("notes.txt", false));
  EXPECT_FALSE(CountsAsProgram("", false));
  EXPECT_TRUE(CountsAsProgram("mytool", true));
}

TEST(PosixPrograms, ExecutablesAndPathNamesCountOnLinux) {
  posix::PosixSystemInfo system;
  TempDir dir;
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

TEST_F(EditorTest, DocumentWithWaitSetOpensCheckedButDisabled) {
  CollItem it = Item("notes");
  it.File = "notes.txt";
  it.Wait = kTrue;
  auto e = Editor(it);
  EXPECT_TRUE(e->cWait()->isChecked());
  EXPECT_FALSE(e->cWait()->isEnabled());
  EXPECT_FALSE(e->btnOk()->isEnabled());
}

TEST_F(EditorTest, FindFollowsTheFileBoxAndShowsItsFolder) {
  CollItem it = Item("x");
  it.File = "";
  auto e = Editor(it);
  QToolButton* find = e->tbOpenButton("Find");
  EXPECT_FALSE(find->isEnabled());
  e->txtFile()->setText(QString::fromStdString(std::string("c:") + kNativeSeparator + "tools" +
                                               kNativeSeparator + "run.bat"));
  EXPECT_TRUE(find->isEnabled());
  QTest::mouseClick(find, Qt::LeftButton);
  e->txtFile()->setText("run.bat");
  QTest::mouseClick(find, Qt::LeftButton);
  ASSERT_EQ(fake.shell.shellStarts.size(), 2u);
  EXPECT_EQ(fake.shell.shellStarts[0].file, std::string("c:") + kNativeSeparator + "tools");
  EXPECT_EQ(fake.shell.shellStarts[0].verb, "Open");
  EXPECT_EQ(fake.shell.shellStarts[1].file, "run.bat");
  e->txtFile()->setText("");
  EXPECT_FALSE(find->isEnabled());
}

TEST_F(EditorTest, BrowsingPutsThePathIntoTheFileBox) {
  auto e = Editor(Item("x"));
  dialogs.answers = {{true, "/Program Files/App/Main.EXE"}};
  QTest::mouseClick(e->tbOpenButton("Open"), Qt::LeftButton);
  ASSERT_EQ(dialogs.requests.size(), 1u);
  EXPECT_EQ(dialogs.requests[0].filterIndex, 2);
  EXPECT_EQ(dialogs.requests[0].initialName, "");
  EXPECT_EQ(e->txtFile()->text().toStdString(),
            kPathsIgnoreCase ? "/program files/app/main.exe" : "/Program Files/App/Main.EXE");
  QTest::mouseClick(e->tbOpenButton("Open"), Qt::LeftButton);  // cancelled
  EXPECT_FALSE(e->txtFile()->text().isEmpty());
}

TEST_F(EditorTest, OkStoresTheFiveValuesCancelAndCloseBoxDoNot) {
  auto e = Editor(Item("old"));
  e->txtItem()->setText("");
  e->txtFile()->setText("");
  e->txtParams()->setText("p q");
  e->cboStyle()->setCurrentIndex(5);
  Ok(*e);
  EXPECT_EQ(edit.EditItem.ItemName, "");
  EXPECT_EQ(edit.EditItem.File, "");
  EXPECT_EQ(edit.EditItem.Params, "p q");
  EXPECT_EQ(edit.EditItem.WinStyle, 5);
  EXPECT_FALSE(edit.EditCancelled);

  auto c = Editor(Item("kept"));
  c->txtItem()->setText("changed");
  c->close();  // the close box
  EXPECT_TRUE(edit.EditCancelled);
  EXPECT_EQ(edit.EditItem.ItemName, "kept");
  edit.EditCancelled = false;
  auto esc = Editor(Item("kept"));
  QTest::keyClick(esc.get(), Qt::Key_Escape);
  EXPECT_TRUE(edit.EditCancelled);
}

TEST_F(EditorTest, StyleWithoutAnEntryIsKeptUnlessOneIsPicked) {
  CollItem it = Item("odd");
  it.WinStyle = 9;
  auto e = Editor(it);
  EXPECT_EQ(e->cboStyle()->currentIndex(), -1);
  e->txtItem()->setText("renamed");
  Ok(*e);
  EXPECT_EQ(edit.EditItem.WinStyle, 9);
  auto picked = Editor(it);
  picked->cboStyle()->setCurrentIndex(2);
  Ok(*picked);
  EXPECT_EQ(edit.EditItem.WinStyle, 2);
}

// --- Adding, editing, removing ----------------------------------------------------

TEST_F(ItemsTest, AddFromThePopupWithoutSelectionAppends) {
  Open({Item("a"), Item("b")});
  RightClick();
  EXPECT_TRUE(window->mnuPopItem1()->isVisible());
  EXPECT_FALSE(window->mnuPopItem2()->isVisible());
  window->mnuPopItem1()->close();
  editorScripts = {Rename("c")};
  window->mnuPItem1_Click();
  ASSERT_EQ(editorOpenedWith.size(), 1u);
  EXPECT_EQ(editorOpenedWith[0].ItemName, "New Item");
  EXPECT_EQ(editorOpenedWith[0].WinStyle, kStyleNormal);
  EXPECT_EQ(editorOpenedWith[0].File, "");
  EXPECT_EQ(Listed(), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(Names(), Listed());
  EXPECT_EQ(Box(), "<Current Collection>");
  EXPECT_TRUE(window->CollButtonEnabled("Save"));
}

TEST_F(ItemsTest, AddFromThePopupOfASelectedItemInsertsAfterIt) {
  Open({Item("a"), Item("b"), Item("c"), Item("d")});
  Select(2);
  RightClick();
  EXPECT_TRUE(window->mnuPopItem2()->isVisible());
  EXPECT_EQ(window->SelectedIndex(), 2);  // the right button leaves the selection
  window->mnuPopItem2()->close();
  editorScripts = {Ok};
  window->mnuPitem2_Click(0);
  EXPECT_EQ(Listed(), (std::vector<std::string>{"a", "b", "c", "New Item", "d"}));
  EXPECT_EQ(Names(), Listed());
}

TEST_F(ItemsTest, AddingToAnEmptyCollectionReplacesThePlaceholder) {
  Open({});
  window->tbColl_ButtonClick("New");
  editorScripts = {Rename("first")};
  window->mnuPItem1_Click();
  EXPECT_EQ(Listed(), std::vector<std::string>{"first"});
  EXPECT_EQ(Names(), std::vector<std::string>{"first"});
  EXPECT_TRUE(state.HasItems);
  EXPECT_EQ(Box(), "<Current Collection>");
}

TEST_F(ItemsTest, CancelledAddChangesNothingNotEvenTheMark) {
  Open({Item("a")});
  window->mnuPItem1_Click();  // the script cancels
  EXPECT_EQ(Listed(), std::vector<std::string>{"a"});
  EXPECT_EQ(Names(), std::vector<std::string>{"a"});
  EXPECT_EQ(Box(), "c");
  EXPECT_TRUE(window->CollButtonEnabled("Delete"));
  EXPECT_FALSE(edit.EditCancelled);
}

TEST_F(ItemsTest, EditReplacesTheEntryInPlace) {
  Open({Item("a"), Item("b"), Item("c"), Item("d"), Item("e")});
  Select(2);
  editorScripts = {Rename("C!")};
  Press(1);
  EXPECT_EQ(Listed(), (std::vector<std::string>{"a", "b", "C!", "d", "e"}));
  EXPECT_EQ(Names(), Listed());
  EXPECT_EQ(window->SelectedIndex(), 2);
  EXPECT_EQ(window->DetailsShown().substr(0, 3), "C!\n");
  // The double click edits too.
  editorScripts = {Rename("cc")};
  QListWidget* list = window->lstItems();
  emit list->itemDoubleClicked(list->item(2));
  EXPECT_EQ(Listed()[2], "cc");
}

TEST_F(ItemsTest, WaitOfTheLastEditedItemCarriesToTheNextNewOne) {
  Open({Item("a", kTrue), Item("b")});
  Select(0);
  editorScripts = {Rename("a2"), Ok};
  Press(1);
  window->mnuPItem1_Click();
  ASSERT_EQ(editorOpenedWith.size(), 2u);
  EXPECT_EQ(editorOpenedWith[1].Wait, kTrue);
  EXPECT_EQ(state.Items.back().Wait, kTrue);
}

TEST_F(ItemsTest, GesturesWithoutSelectionAreRefused) {
  Open({Item("a"), Item("b")});
  window->lstItems_DblClick();
  QTest::keyClick(window->lstItems(), Qt::Key_Delete);
  window->tbItem_ButtonClick(1, "Edit");
  window->tbItem_ButtonClick(3, "Open");
  window->OpenItemEditor(-1, 7);
  window->OpenItemEditor(5, 5);
  EXPECT_TRUE(editorOpenedWith.empty());
  EXPECT_TRUE(fake.shell.calls.empty());
  EXPECT_EQ(Names(), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(Box(), "c");
}

TEST_F(ItemsTest, RemoveFirstLastAndOnly) {
  Open({Item("a"), Item("b"), Item("c")});
  Select(0);
  Press(2);
  EXPECT_EQ(Listed(), (std::vector<std::string>{"b", "c"}));
  EXPECT_EQ(window->SelectedIndex(), 0);
  EXPECT_EQ(Box(), "<Current Collection>");
  Select(1);
  QTest::keyClick(window->lstItems(), Qt::Key_Delete);
  EXPECT_EQ(Listed(), std::vector<std::string>{"b"});
  EXPECT_EQ(window->SelectedIndex(), 0);
  EXPECT_EQ(Names(), Listed());
  // The only item: the collection box goes to <None> instead.
  Press(2);
  EXPECT_EQ(Box(), "<None>");
  EXPECT_TRUE(Listed().empty());
  EXPECT_FALSE(window->btnExec()->isEnabled());
}

TEST_F(ItemsTest, DeleteItemOnTheModel) {
  Open({Item("a"), Item("b"), Item("c")});
  window->DeleteItem(1);
  EXPECT_EQ(Names(), (std::vector<std::string>{"a", "c"}));
  state.Items = {Item("only")};
  window->DeleteItem(0);
  EXPECT_EQ(state.Items, std::vector<CollItem>{CollItem{}});
  EXPECT_FALSE(state.HasItems);
}

// --- Moving --------------------------------------------------------------------------

TEST_F(ItemsTest, MovingFollowsTheItemAndStopsAtTheEnds) {
  Open({Item("First"), Item("Second"), Item("Third")});
  Select(0);
  Press(4);
  EXPECT_EQ(Listed(), (std::vector<std::string>{"Second", "First", "Third"}));
  EXPECT_EQ(Names(), Listed());
  EXPECT_EQ(window->SelectedIndex(), 1);
  EXPECT_NE(window->DetailsShown().find("Position: 2"), std::string::npos);
  EXPECT_EQ(Box(), "<Current Collection>");
  Press(0);
  EXPECT_EQ(Listed(), (std::vector<std::string>{"First", "Second", "Third"}));
  EXPECT_EQ(Box(), "<Current Collection>");  // moved back, still changed
}

TEST_F(ItemsTest, MovingAtTheEndsChangesNothing) {
  Open({Item("a"), Item("b")});
  Select(0);
  Press(0);
  Select(1);
  Press(4);
  EXPECT_EQ(Listed(), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(Box(), "c");
  EXPECT_TRUE(window->CollButtonEnabled("Delete"));
}

// --- Opening ---------------------------------------------------------------------------

TEST_F(ItemsTest, WaitedOpenShowsTheWaitingStateAndRestoresItBeforeTheBox) {
  Open({Item("slow", kTrue)});
  Select(0);
  FrmMain* watched = nullptr;
  std::string titleDuring;
  bool enabledDuring = true;
  Qt::CursorShape cursorDuring = Qt::ArrowCursor;
  // The launch is faked; what the window shows is read when the program "runs".
  struct Watching : testing::RecordingShell {
    std::function<void()> during;
    int32_t ShellAndWait(const WaitedStart& s) override {
      during();
      return RecordingShell::ShellAndWait(s);
    }
  } shell;
  shell.during = [&] {
    titleDuring = watched->windowTitle().toStdString();
    enabledDuring = watched->isEnabled();
    cursorDuring = watched->cursor().shape();
  };
  shell.results = {53};
  Platform platform{fake.toolkit, shell, files, fake.system, fake.registry};
  UiContext context{state, edit, platform, dialogs};
  FrmMain w(context, dir.file("c.tavrin"));
  watched = &w;
  w.SelectListEntry(0);
  w.tbItem_ButtonClick(3, "Open");
  EXPECT_EQ(titleDuring, "The Tavrin - Waiting for program to finish...");
  EXPECT_FALSE(enabledDuring);
  EXPECT_EQ(cursorDuring, Qt::WaitCursor);
  EXPECT_EQ(w.windowTitle(), "The Tavrin");
  EXPECT_TRUE(w.isEnabled());
  EXPECT_EQ(w.cursor().shape(), Qt::ArrowCursor);
  ASSERT_EQ(fake.toolkit.boxes.size(), 1u);
  EXPECT_EQ(fake.toolkit.boxes[0].text, "slow\n\nruntime error 53");
}

TEST_F(ItemsTest, OpenItemNeverWaitsAndLeavesTheCaption) {
  Open({Item("slow", kTrue)});
  Select(0);
  window->mnuPitem2_Click(4);
  EXPECT_EQ(fake.shell.calls, std::vector<std::string>{"shell:slow"});
  EXPECT_EQ(window->windowTitle(), "The Tavrin");
  fake.shell.results = {31};
  window->mnuPitem2_Click(4);
  ASSERT_EQ(fake.toolkit.boxes.size(), 1u);
  EXPECT_EQ(fake.toolkit.boxes[0].text, "slow\n\nNo application found for this file");
  EXPECT_EQ(Listed(), std::vector<std::string>{"slow"});
}

TEST_F(ItemsTest, NotWaitedOpenGoesThroughTheShell) {
  Open({Item("quick")});
  Select(0);
  fake.shell.results = {2};
  Press(3);
  EXPECT_EQ(fake.shell.calls, std::vector<std::string>{"shell:quick"});
  ASSERT_EQ(fake.toolkit.boxes.size(), 1u);
  EXPECT_EQ(fake.toolkit.boxes[0].text, "quick\n\nFile Not Found");
}

TEST_F(ItemsTest, WaitedOpenOfARealProgramWaitsForIt) {
  posix::PosixShell real;
  Platform platform{fake.toolkit, real, files, fake.system, fake.registry};
  UiContext context{state, edit, platform, dialogs};
  const std::string record = dir.file("record.log");
  setenv("TAVRIN_RECORD", record.c_str(), 1);
  CollItem it = Item("rec", kTrue);
  it.File = testing::RecorderPath();
  it.Params = "--sleep=100 one";
  state.Items = {it};
  FrmMain w(context, dir.file("c.tavrin"));
  w.SelectListEntry(0);
  w.tbItem_ButtonClick(3, "Open");
  unsetenv("TAVRIN_RECORD");
  const auto runs = testing::ReadRecording(record);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_NE(runs[0].endNs, 0);  // ended before Open returned
  EXPECT_TRUE(fake.toolkit.boxes.empty());
}

// --- All together ------------------------------------------------------------------

TEST_F(ItemsTest, SaveAfterChangesWritesExactlyWhatIsShown) {
  Open({Item("a"), Item("b"), Item("c")});
  Select(1);
  editorScripts = {Rename("B"), Rename("x")};
  Press(1);                      // a B c
  window->mnuPitem2_Click(0);    // a B x c
  Select(3);
  Press(0);                      // a B c x
  Select(0);
  Press(2);                      // B c x
  Select(2);
  Press(0);                      // B x c
  EXPECT_EQ(Listed(), (std::vector<std::string>{"B", "x", "c"}));
  dialogs.answers = {{true, dir.file("after")}};
  window->tbColl_ButtonClick("Save");
  CollectionState loaded;
  ASSERT_EQ(ReadCollectionFile(loaded, dir.file("after.tavrin")), LoadOk);
  std::vector<std::string> saved;
  for (const auto& it : loaded.Items) saved.push_back(it.ItemName);
  EXPECT_EQ(saved, Listed());
  EXPECT_EQ(loaded.Items, state.Items);
}

}  // namespace
}  // namespace tavrin
