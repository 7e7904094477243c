// Qt's file dialog as the program sets it up: what each filter of the Open dialog lists,
// read from the dialog's own file view while it shows a folder.
#include "platform/qt/qt_file_dialogs.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <deque>
#include <filesystem>
#include <string>
#include <vector>

#include "dialogs/common_dialog.h"
#include "fakes.h"
#include "platform/qt/qt_text.h"
#include "temp_dir.h"

namespace tavrin {
namespace {

using Names = std::vector<std::string>;
namespace fs = std::filesystem;

int argc = 1;
char name[] = "tavrin-test";
char* argv[] = {name, nullptr};

// The names the dialog's file view lists, in its order, once it lists `expected` or
// has had the time to (the file system model reads folders in the background).
Names ListedOnceLoaded(const QFileDialog& dialog, const Names& expected) {
  const auto listed = [&dialog] {
    const auto* view = dialog.findChild<QListView*>("listView");
    Names names;
    const QAbstractItemModel* model = view ? view->model() : nullptr;
    for (int row = 0; model && row < model->rowCount(view->rootIndex()); ++row) {
      names.push_back(model->index(row, 0, view->rootIndex()).data().toString().toStdString());
    }
    return names;
  };
  (void)QTest::qWaitFor([&] { return listed() == expected; }, 10000);
  return listed();
}

// "Executables" lists folders, files with execute permission and names ending in .exe,
// .bat or .com; the user's change to "All Files" lists every file.
TEST(QtFileDialogs, TheOpenDialogListsWhatEachFilterNames) {
  QApplication app(argc, argv);
  testing::TempDir dir;
  fs::create_directory(dir.file("sub"));
  testing::WriteFile(dir.file("tool"), "#!/bin/sh\n");
  fs::permissions(dir.file("tool"), fs::perms::owner_exec, fs::perm_options::add);
  testing::WriteFile(dir.file("SETUP.EXE"), "MZ");
  testing::WriteFile(dir.file("go.bat"), "@echo off");
  testing::WriteFile(dir.file("notes.txt"), "text");
  testing::WriteFile(dir.file("Games.tavrin"), "\"Tavrin File 1.2\"\r\n");
  testing::WriteFile(dir.file(".hidden"), "x");

  testing::ScriptedFileDialogs record;
  OpenFileName open;
  ShowOpenDialog(open, 2, record);
  FileDialogRequest request = record.requests.at(0);
  request.initialDir = dir.str();

  QFileDialog dialog;
  SetUpFileDialog(dialog, request);
  dialog.show();
  EXPECT_EQ(dialog.selectedNameFilter().toStdString(), "Executables (*.exe *.bat *.com)");
  const Names programs = {"sub", "go.bat", "SETUP.EXE", "tool"};
  EXPECT_EQ(ListedOnceLoaded(dialog, programs), programs);

  // The user picks another filter from the type list.
  auto* types = dialog.findChild<QComboBox*>("fileTypeCombo");
  ASSERT_NE(types, nullptr);
  types->setFocus();
  QTest::keyClick(types, Qt::Key_Down);
  EXPECT_EQ(dialog.selectedNameFilter().toStdString(), "All Files (*.*)");
  const Names all = {"sub", "Games.tavrin", "go.bat", "notes.txt", "SETUP.EXE", "tool"};
  EXPECT_EQ(ListedOnceLoaded(dialog, all), all);
}

// Save asks before it takes an existing collection's name typed without its extension (No
// leaves it open); a new name takes the extension; a Latin-1 name comes back whole.
TEST(QtFileDialogs, SaveAsksAboutTheNameWrittenWithOrWithoutItsExtension) {
  QApplication app(argc, argv);
  testing::TempDir dir;
  testing::WriteFile(dir.file("Tools.tavrin"), "\"Tavrin File 1.2\"\r\n");
  testing::ScriptedFileDialogs record;
  OpenFileName save;
  save.lpstrFile = "caf\xe9" + std::string(1020, ' ');
  ShowSaveDialog(save, record);
  FileDialogRequest request = record.requests.at(0);
  request.initialDir = dir.str();

  // The user: answers each question from `answers` (No once they have run out) and
  // takes the name that each file dialog run modally shows.
  Names asked;
  std::deque<QMessageBox::StandardButton> answers;
  int taken = 0;
  QTimer user;
  QObject::connect(&user, &QTimer::timeout, [&] {
    QWidget* shown = QApplication::activeModalWidget();
    if (auto* box = qobject_cast<QMessageBox*>(shown)) {
      asked.push_back(ProgramBytes(box->text()));
      box->button(testing::Next(answers, QMessageBox::No))->click();
    } else if (auto* dialog = qobject_cast<QFileDialog*>(shown)) {
      ++taken;
      static_cast<QDialog*>(dialog)->accept();
    }
  });
  user.start(10);
  const std::string question = "Tools.tavrin already exists.\nDo you want to replace it?";
  const struct {
    const char* typed;
    Names asked;
    bool taken;
  } cases[] = {{"Tools", {question}, false}, {"New", {}, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    QFileDialog dialog;
    SetUpFileDialog(dialog, request);
    dialog.show();
    EXPECT_EQ(ChosenFile(dialog), dir.file("caf\xe9.tavrin"));
    auto* nameBox = dialog.findChild<QLineEdit*>("fileNameEdit");
    ASSERT_NE(nameBox, nullptr);
    nameBox->clear();
    QTest::keyClicks(nameBox, c.typed);
    asked.clear();
    static_cast<QDialog&>(dialog).accept();  // as its Save button does
    EXPECT_EQ(asked, c.asked);
    EXPECT_EQ(dialog.result() == QDialog::Accepted, c.taken);
    EXPECT_EQ(ChosenFile(dialog), dir.file(c.taken ? "New.tavrin" : "Tools.tavrin"));
  }
  // Qt sees no file by a name of no UTF-8: the question comes after the dialog, whose No
  // brings it back. The user takes the proposed name each time; No, then Yes.
  asked.clear();
  answers = {QMessageBox::No, QMessageBox::Yes};
  testing::WriteFile(dir.file("caf\xe9.tavrin"), "\"Tavrin File 1.2\"\r\n");
  QtFileDialogs dialogs;
  std::string chosen;
  EXPECT_TRUE(dialogs.Show(request, chosen));
  const std::string again = "caf\xe9.tavrin already exists.\nDo you want to replace it?";
  EXPECT_EQ(asked, (Names{again, again}));
  EXPECT_EQ(taken, 2);
  EXPECT_EQ(chosen, dir.file("caf\xe9.tavrin"));
}

}  // namespace
}  // namespace tavrin
