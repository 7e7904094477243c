// The main window under the offscreen platform, with boxes, dialogs and launching
// scripted and the collection folder a temporary folder.
#include "ui/frm_main.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <filesystem>
#include <memory>

#include "collection/collfile.h"
#include "fakes.h"
#include "platform/posix/posix_files.h"
#include "shellreg/association.h"
#include "temp_dir.h"

namespace tavrin {
namespace {

using testing::TempDir;
using testing::WriteFile;

std::string Coll(const std::vector<std::string>& names) {
  std::string text = "\"Tavrin File 1.2\"\r\n" + std::to_string(names.size() - 1) + "\r\n";
  for (const auto& n : names) text += "\"" + n + "\",\"/bin/" + n + "\",\"\",1,#FALSE#\r\n";
  return text;
}

struct MainWindowTest : ::testing::Test {
  TempDir dir;
  PosixFileSystem files;
  testing::FakePlatform fake{files};
  testing::ScriptedFileDialogs dialogs;
  CollectionState state;
  EditExchange edit;
  std::vector<std::string> modalShown;
  std::unique_ptr<FrmMain> window;

  void SetUp() override { fake.system.collectionFolder = dir.str(); }

  std::string Path(const std::string& name) { return dir.file(name); }

  void Collection(const std::string& name, const std::vector<std::string>& items) {
    WriteFile(Path(name + ".tavrin"), Coll(items));
  }

  FrmMain& Open(const std::string& commandLine = "") {
    UiContext context{state, edit, fake.platform, dialogs};
    context.runModal = [this](QDialog& d) {
      std::string shown = d.windowTitle().toStdString();
      if (auto* ver = d.findChild<QLabel*>("lblVer")) shown += " | " + ver->text().toStdString();
      modalShown.push_back(shown);
      return 0;
    };
    window = std::make_unique<FrmMain>(context, commandLine);
    window->show();
    return *window;
  }

  // What a user sees of the collection's state.
  std::string Box() const { return window->cboColl()->currentText().toStdString(); }
  std::vector<std::string> Listed() const {
    std::vector<std::string> names;
    for (int i = 0; i < window->lstItems()->count(); ++i) {
      names.push_back(window->lstItems()->item(i)->text().toStdString());
    }
    return names;
  }
  std::vector<std::string> BoxEntries() const {
    std::vector<std::string> names;
    for (int i = 0; i < window->cboColl()->count(); ++i) {
      names.push_back(window->cboColl()->itemText(i).toStdString());
    }
    return names;
  }
  bool Save() const { return window->CollButtonEnabled("Save"); }
  bool Delete() const { return window->CollButtonEnabled("Delete"); }
  bool Exec() const { return window->btnExec()->isEnabled(); }
  int EntryOf(const std::string& name) const {
    return window->cboColl()->findText(QString::fromStdString(name));
  }
  void Pick(const std::string& name) { window->SelectCollEntry(EntryOf(name)); }
};

TEST_F(MainWindowTest, StartedWithoutCommandLine) {
  FrmMain& w = Open();
  EXPECT_EQ(w.windowTitle(), "The Tavrin");
  EXPECT_EQ(Box(), "<None>");
  EXPECT_EQ(BoxEntries(), std::vector<std::string>{"<None>"});
  EXPECT_TRUE(Listed().empty());
  EXPECT_FALSE(Save());
  EXPECT_FALSE(Delete());
  EXPECT_FALSE(Exec());
  EXPECT_EQ(state.CurrentCollFile, "");
  EXPECT_FALSE(w.mnuPopItem1()->menuAction()->isVisible());
  EXPECT_FALSE(w.mnuPopItem2()->menuAction()->isVisible());
}

TEST_F(MainWindowTest, CollectionFolderIsListedAfterNone) {
  Collection("Games", {"a"});
  Collection("Tools", {"b"});
  WriteFile(Path("notes.txt"), "x");
  Open();
  auto entries = BoxEntries();
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0], "<None>");
  std::sort(entries.begin() + 1, entries.end());
  EXPECT_EQ(entries[1], "Games");
  EXPECT_EQ(entries[2], "Tools");
}

TEST_F(MainWindowTest, StartedWithACollectionFromElsewhere) {
  TempDir other;
  const std::string path = other.file("Away.tavrin");
  WriteFile(path, Coll({"one", "two"}));
  ASSERT_EQ(ReadCollectionFile(state, path), LoadOk);
  state.CurrentCollFile = path;
  Open(path);
  EXPECT_EQ(Box(), "Away");
  EXPECT_EQ(EntryOf("Away"), -1);
  EXPECT_EQ(Listed(), (std::vector<std::string>{"one", "two"}));
  EXPECT_TRUE(state.HasItems);
  EXPECT_TRUE(Save());
  EXPECT_TRUE(Delete());
  EXPECT_TRUE(Exec());
}

TEST_F(MainWindowTest, PickingCollectionsAndNone) {
  Collection("Games", {"chess", "go"});
  Open();
  Pick("Games");
  EXPECT_EQ(Box(), "Games");
  EXPECT_EQ(Listed(), (std::vector<std::string>{"chess", "go"}));
  EXPECT_TRUE(Save());
  EXPECT_TRUE(Delete());
  EXPECT_TRUE(Exec());
  EXPECT_EQ(state.CurrentCollFile, Path("Games.tavrin"));

  Pick("<None>");
  EXPECT_EQ(Box(), "<None>");
  EXPECT_TRUE(Listed().empty());
  EXPECT_FALSE(Save());
  EXPECT_FALSE(Delete());
  EXPECT_FALSE(Exec());
  EXPECT_EQ(state.CurrentCollFile, "");
  EXPECT_FALSE(state.HasItems);
  EXPECT_EQ(state.Items.size(), 2u);  // the records stay until something replaces them
}

TEST_F(MainWindowTest, ChangedCollectionAndReloadWithoutQuestion) {
  Collection("Games", {"chess"});
  Open();
  Pick("Games");
  window->CollChanged(true);
  EXPECT_EQ(Box(), "<Current Collection>");
  EXPECT_TRUE(Save());
  EXPECT_FALSE(Delete());
  EXPECT_TRUE(Exec());
  state.Items[0].ItemName = "changed";
  Pick("Games");
  EXPECT_EQ(state.Items[0].ItemName, "chess");
  EXPECT_TRUE(fake.toolkit.boxes.empty());
}

TEST_F(MainWindowTest, TypingEnablesExecuteAndNothingElse) {
  Open();
  window->cboColl()->setFocus();
  window->cboColl()->lineEdit()->clear();
  QTest::keyClicks(window->cboColl()->lineEdit(), "anything");
  EXPECT_TRUE(Exec());
  EXPECT_FALSE(Save());
  EXPECT_TRUE(Listed().empty());
  window->cboColl()->setEditText("<New Collection>");
  EXPECT_FALSE(Exec());
}

TEST_F(MainWindowTest, PickingAFileThatIsNoCollection) {
  WriteFile(Path("Broken.tavrin"), "\"Something else\"\r\n");
  Open();
  Pick("Broken");
  ASSERT_EQ(fake.toolkit.boxes.size(), 1u);
  EXPECT_EQ(fake.toolkit.boxes[0].text,
            Path("Broken.tavrin") + "\n\nThis file is not a Tavrin Collection!!");
  EXPECT_TRUE(Listed().empty());
  EXPECT_FALSE(Save());
  EXPECT_FALSE(Delete());
}

TEST_F(MainWindowTest, ClickingAnItemShowsItsDetailsAndEnablesTheItemButtons) {
  Collection("Games", {"chess", "go", "tetris"});
  fake.system.description = "executable";
  Open();
  Pick("Games");
  for (int i = 0; i < 5; ++i) EXPECT_FALSE(window->tbItemButton(i)->isEnabled());
  EXPECT_EQ(window->SelectedIndex(), -1);
  QListWidget* list = window->lstItems();
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                    list->visualItemRect(list->item(2)).center());
  EXPECT_EQ(window->SelectedIndex(), 2);
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(window->tbItemButton(i)->isEnabled());
  const std::string details = window->DetailsShown();
  EXPECT_EQ(details.substr(0, 7), "tetris\n");
  EXPECT_NE(details.find("Type: Executable"), std::string::npos);
  EXPECT_NE(details.find("Position: 3"), std::string::npos);
  // An arrow key moves the selection and the details follow.
  QTest::keyClick(list, Qt::Key_Up);
  EXPECT_NE(window->DetailsShown().find("Position: 2"), std::string::npos);
}

TEST_F(MainWindowTest, OtherOpensACollectionFromAnywhere) {
  TempDir other;
  const std::string path = other.file("Far.tavrin");
  WriteFile(path, Coll({"x", "y"}));
  dialogs.answers = {{true, path}};
  Open();
  window->tbColl_ButtonClick("Other");
  ASSERT_EQ(dialogs.requests.size(), 1u);
  const auto& req = dialogs.requests[0];
  EXPECT_FALSE(req.save);
  EXPECT_EQ(req.filterIndex, 1);
  EXPECT_TRUE(req.fileMustExist);
  EXPECT_EQ(req.initialName, "");
  ASSERT_EQ(req.filters.size(), 3u);
  EXPECT_EQ(req.filters[0].description, "Tavrin Collections");
  EXPECT_EQ(req.filters[1].patterns, "*.exe;*.bat;*.com");
  EXPECT_EQ(Box(), "Far");
  EXPECT_EQ(Listed(), (std::vector<std::string>{"x", "y"}));
  EXPECT_EQ(state.CurrentCollFile, path);
  EXPECT_TRUE(Save());
  EXPECT_TRUE(Delete());
  EXPECT_TRUE(Exec());
}

TEST_F(MainWindowTest, OtherCancelledOrFailingLeavesTheWindowAsItWas) {
  Collection("Games", {"chess", "go"});
  Open();
  Pick("Games");
  window->tbColl_ButtonClick("Other");  // cancelled
  EXPECT_EQ(Box(), "Games");

  // A file that breaks off after its first record.
  const std::string bad = Path("bad.tavrin");
  WriteFile(bad, "\"Tavrin File 1.2\"\r\n2\r\n\"p\",\"/bin/p\",\"\",1,#FALSE#\r\n");
  dialogs.answers = {{true, bad}};
  window->tbColl_ButtonClick("Other");
  ASSERT_EQ(fake.toolkit.boxes.size(), 1u);
  EXPECT_EQ(fake.toolkit.boxes[0].text, "bad.tavrin\n\nThe Tavrin was unable to load the Collection!!");
  EXPECT_EQ(Box(), "Games");
  EXPECT_EQ(Listed(), (std::vector<std::string>{"chess", "go"}));
  ASSERT_EQ(state.Items.size(), 2u);
  EXPECT_EQ(state.Items[1].ItemName, "go");
  EXPECT_EQ(state.CurrentCollFile, Path("Games.tavrin"));
}

TEST_F(MainWindowTest, UpgradeAfterOtherWritesTheFileThatWasRead) {
  TempDir other;
  const std::string path = other.file("Old.tavrin");
  WriteFile(path, "\"Tavrin File 1.1\"\r\n0\r\n\"one\",\"/bin/one\",\"\",2\r\n");
  dialogs.answers = {{true, path}};
  fake.toolkit.answers = {kAnswerYes};
  Open();
  window->tbColl_ButtonClick("Other");
  ASSERT_EQ(fake.toolkit.boxes.size(), 1u);
  EXPECT_EQ(fake.toolkit.boxes[0].text.substr(0, 12), "Old.tavrin\n\n");
  EXPECT_EQ(testing::ReadFile(path).substr(0, 17), "\"Tavrin File 1.2\"");
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::current_path() / "Old.tavrin"));
  EXPECT_EQ(Listed(), std::vector<std::string>{"one"});
}

TEST_F(MainWindowTest, SaveProposesNameOrPathAndWritesWithTheExtension) {
  Collection("Games", {"chess"});
  Open();
  Pick("Games");
  dialogs.answers = {{true, Path("Copy")}};
  window->tbColl_ButtonClick("Save");
  ASSERT_EQ(dialogs.requests.size(), 1u);
  EXPECT_TRUE(dialogs.requests[0].save);
  EXPECT_TRUE(dialogs.requests[0].overwritePrompt);
  EXPECT_EQ(dialogs.requests[0].initialName, "Games");
  EXPECT_EQ(dialogs.requests[0].initialDir, dir.str());
  ASSERT_EQ(dialogs.requests[0].filters.size(), 2u);
  EXPECT_EQ(testing::ReadFile(Path("Copy.tavrin")), Coll({"chess"}));
  EXPECT_EQ(Box(), "Copy");
  EXPECT_NE(EntryOf("Copy"), -1);  // listed at once
  EXPECT_EQ(state.CurrentCollFile, Path("Copy.tavrin"));
  EXPECT_TRUE(Delete());
  EXPECT_TRUE(Save());

  window->CollChanged(true);
  window->tbColl_ButtonClick("Save");  // cancelled
  EXPECT_EQ(dialogs.requests.back().initialName, Path("Copy.tavrin"));
  EXPECT_EQ(Box(), "<Current Collection>");
}

TEST_F(MainWindowTest, FailedSaveShowsTheBoxAndChangesNothing) {
  Open();
  window->tbColl_ButtonClick("New");
  window->CollChanged(true);
  dialogs.answers = {{true, Path("no/such/folder/x")}};
  window->tbColl_ButtonClick("Save");
  ASSERT_EQ(fake.toolkit.boxes.size(), 1u);
  EXPECT_EQ(fake.toolkit.boxes[0].text, "x.tavrin\n\nThe Tavrin was unable to save this file!!");
  EXPECT_EQ(fake.toolkit.boxes[0].style, 16);
  EXPECT_EQ(Box(), "<Current Collection>");
  EXPECT_EQ(state.CurrentCollFile, "");
}

TEST_F(MainWindowTest, DeleteRemovesTheFileAndItsEntry) {
  Collection("Games", {"chess"});
  Open();
  Pick("Games");
  window->tbColl_ButtonClick("Delete");
  EXPECT_FALSE(std::filesystem::exists(Path("Games.tavrin")));
  EXPECT_EQ(EntryOf("Games"), -1);
  EXPECT_EQ(Box(), "<None>");
  EXPECT_TRUE(Listed().empty());
  EXPECT_FALSE(Delete());
  EXPECT_FALSE(Exec());
  EXPECT_TRUE(Save());  // the deleted collection can be saved again
  EXPECT_EQ(state.Items[0].ItemName, "chess");
  EXPECT_EQ(state.CurrentCollFile, Path("Games.tavrin"));
}

TEST_F(MainWindowTest, DeleteOfAMissingFileReportsErrorFiftyThree) {
  Collection("Games", {"chess"});
  Open();
  Pick("Games");
  std::filesystem::remove(Path("Games.tavrin"));
  window->tbColl_ButtonClick("Delete");
  ASSERT_EQ(fake.toolkit.boxes.size(), 1u);
  EXPECT_EQ(fake.toolkit.boxes[0].text, Path("Games.tavrin") + "\n\nError 53");
  EXPECT_EQ(Listed(), std::vector<std::string>{"chess"});
  EXPECT_TRUE(Delete());
}

TEST_F(MainWindowTest, DeleteIsRefusedWithoutACollectionFile) {
  Open();
  window->tbColl_ButtonClick("New");
  window->tbColl_ButtonClick("Delete");
  EXPECT_TRUE(fake.toolkit.boxes.empty());
  EXPECT_FALSE(Delete());
}

TEST_F(MainWindowTest, NewStartsAnEmptyCollection) {
  Collection("Games", {"chess"});
  Open();
  Pick("Games");
  window->tbColl_ButtonClick("New");
  EXPECT_EQ(Box(), "<New Collection>");
  EXPECT_TRUE(Listed().empty());
  EXPECT_FALSE(Save());
  EXPECT_FALSE(Delete());
  EXPECT_FALSE(Exec());
  EXPECT_EQ(state.CurrentCollFile, "");
  ASSERT_EQ(state.Items.size(), 1u);
  EXPECT_EQ(state.Items[0], CollItem{});
}

TEST_F(MainWindowTest, ExecuteRunsEveryItemAndClosesTheWindow) {
  Collection("Games", {"chess", "go"});
  Open();
  Pick("Games");
  QTest::mouseClick(window->btnExec(), Qt::LeftButton);
  EXPECT_EQ(fake.shell.calls, (std::vector<std::string>{"shell:chess", "shell:go"}));
  EXPECT_FALSE(window->isVisible());
}

TEST_F(MainWindowTest, ShiftCtrlOrAltHeldKeepsTheWindowOpen) {
  Collection("Games", {"chess"});
  for (auto modifier : {Qt::Key_Shift, Qt::Key_Control, Qt::Key_Alt}) {
    Open();
    Pick("Games");
    QTest::keyPress(window->lstItems(), modifier);
    QTest::mouseClick(window->btnExec(), Qt::LeftButton);
    EXPECT_TRUE(window->isVisible()) << modifier;
    EXPECT_EQ(Box(), "Games");
  }
}

TEST_F(MainWindowTest, AnyKeyReleaseClearsTheFlag) {
  Collection("Games", {"chess"});
  Open();
  Pick("Games");
  QTest::keyPress(window->lstItems(), Qt::Key_Shift);
  QTest::keyClick(window->lstItems(), Qt::Key_A, Qt::ShiftModifier);  // released while held
  EXPECT_FALSE(window->ShiftPressed());
  QTest::mouseClick(window->btnExec(), Qt::LeftButton);
  EXPECT_FALSE(window->isVisible());
}

TEST_F(MainWindowTest, ShiftReleasedWhileHiddenIsNotSeen) {
  Collection("Games", {"chess"});
  Open();
  Pick("Games");
  QTest::keyPress(window->lstItems(), Qt::Key_Shift);
  window->btnExec_Click();
  ASSERT_TRUE(window->isVisible());
  // The release happened while the window was hidden: a plain click keeps it open.
  QTest::mouseClick(window->btnExec(), Qt::LeftButton);
  EXPECT_TRUE(window->isVisible());
  QTest::keyRelease(window->lstItems(), Qt::Key_Shift);
  QTest::mouseClick(window->btnExec(), Qt::LeftButton);
  EXPECT_FALSE(window->isVisible());
}

TEST_F(MainWindowTest, F1ShowsTheAboutBoxWithTheVersion) {
  Open();
  window->activateWindow();
  QTest::keyClick(window.get(), Qt::Key_F1);
  ASSERT_EQ(modalShown.size(), 1u);
  EXPECT_EQ(modalShown[0], "About The Tavrin... | Version 1.04.04");
}

TEST_F(MainWindowTest, CtrlXAndEscCloseTheWindowLikeTheCloseBox) {
  Open();
  QTest::keyClick(window->cboColl()->lineEdit(), Qt::Key_X, Qt::ControlModifier);
  EXPECT_FALSE(window->isVisible());
  Open();
  QTest::keyClick(window->lstItems(), Qt::Key_Escape);
  EXPECT_FALSE(window->isVisible());
}

TEST_F(MainWindowTest, EnterPressesExecuteWhenItIsEnabled) {
  Collection("Games", {"chess"});
  Open();
  QTest::keyClick(window->lstItems(), Qt::Key_Return);
  EXPECT_TRUE(window->isVisible());  // Execute is disabled while the box shows <None>
  Pick("Games");
  QTest::keyClick(window->lstItems(), Qt::Key_Return);
  EXPECT_EQ(fake.shell.calls.size(), 1u);
  EXPECT_FALSE(window->isVisible());
}

TEST_F(MainWindowTest, LoadingPutsAMissingAssociationBackAndTheMenuAsks) {
  fake.system.executablePath = "/opt/tavrin/bin/tavrin";
  Open();
  const auto value = [this](const std::string& key) {
    return GetRegValue(fake.registry, Registry::kClassesRoot, key, "");
  };
  EXPECT_EQ(value(".tavrin"), "Tavrin");
  EXPECT_EQ(value("Tavrin\\shell\\Run\\command"), "\"/opt/tavrin/bin/tavrin\" %1 /run");
  EXPECT_TRUE(fake.toolkit.boxes.empty());

  fake.toolkit.answers = {kAnswerNo};
  window->mnuOption_Click(0);
  ASSERT_EQ(fake.toolkit.boxes.size(), 1u);
  EXPECT_EQ(fake.toolkit.boxes[0].style, 35);
  EXPECT_EQ(fake.toolkit.boxes[0].caption, "The Tavrin - Registry Option...");
  EXPECT_FALSE(fake.registry.HasKey(".tavrin"));
  // The next load of the window writes it again.
  Open();
  EXPECT_EQ(value(".tavrin"), "Tavrin");
}

TEST_F(MainWindowTest, ControlsCarryTheirTextsAndTips) {
  Open();
  EXPECT_EQ(window->btnExec()->text(), "Execute &Tavrin");
  EXPECT_EQ(window->btnExit()->text(), "E&xit");
  EXPECT_EQ(window->btnExit()->toolTip(), "Exit Tavrin");
  EXPECT_EQ(window->cboColl()->toolTip(), "Avalible collections");
  EXPECT_EQ(window->collButton("Other")->toolTip(), "Browse for a collection");
  EXPECT_EQ(window->tbItemButton(4)->toolTip(), "Move item down in list");
  for (int i = 0; i < 5; ++i) EXPECT_FALSE(window->tbItemButton(i)->icon().isNull());
  EXPECT_FALSE(window->collButton("New")->icon().isNull());
  EXPECT_TRUE(window->collButton("New")->autoRaise());
}

}  // namespace
}  // namespace tavrin
