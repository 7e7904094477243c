// Qt's file dialog as the program sets it up: what each filter of the Open dialog lists,
// read from the dialog's own file view while it shows a folder.
#include "platform/qt/qt_file_dialogs.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QListView>
#include <QTest>
#include <filesystem>
#include <string>
#include <vector>

#include "dialogs/common_dialog.h"
#include "fakes.h"
#include "temp_dir.h"

namespace tavrin {
namespace {

using Names = std::vector<std::string>;
namespace fs = std::filesystem;

int argc = 1;
char name[] = "tavrin-test";
char* argv[] = {name, nullptr};

// The names the dialog's file view lists, in its order.
Names Listed(const QFileDialog& dialog) {
  const auto* view = dialog.findChild<QListView*>("listView");
  Names names;
  if (!view || !view->model()) return names;
  const QAbstractItemModel* model = view->model();
  for (int row = 0; row < model->rowCount(view->rootIndex()); ++row) {
    names.push_back(model->index(row, 0, view->rootIndex()).data().toString().toStdString());
  }
  return names;
}

// Waits until the dialog lists `expected` (the file system model reads folders in the
// background), and gives what it lists then.
Names ListedOnceLoaded(const QFileDialog& dialog, const Names& expected) {
  (void)QTest::qWaitFor([&] { return Listed(dialog) == expected; }, 10000);
  return Listed(dialog);
}

void MakeExecutable(const std::string& path) {
  fs::permissions(path, fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec,
                  fs::perm_options::add);
}

// "Executables" lists folders, files with execute permission and names ending in .exe,
// .bat or .com; "All Files" lists every file, names without a dot too; "Tavrin
// Collections" lists collections. The user's change of the filter is followed.
TEST(QtFileDialogs, TheOpenDialogListsWhatEachFilterNames) {
  QApplication app(argc, argv);
  testing::TempDir dir;
  fs::create_directory(dir.file("sub"));
  testing::WriteFile(dir.file("tool"), "#!/bin/sh\n");
  MakeExecutable(dir.file("tool"));
  testing::WriteFile(dir.file("run.sh"), "#!/bin/sh\n");
  MakeExecutable(dir.file("run.sh"));
  testing::WriteFile(dir.file("SETUP.EXE"), "MZ");
  testing::WriteFile(dir.file("go.bat"), "@echo off");
  testing::WriteFile(dir.file("README"), "text");
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
  EXPECT_EQ(ListedOnceLoaded(dialog, {"sub", "go.bat", "run.sh", "SETUP.EXE", "tool"}),
            (Names{"sub", "go.bat", "run.sh", "SETUP.EXE", "tool"}));

  // The user picks another filter from the type list.
  auto* types = dialog.findChild<QComboBox*>("fileTypeCombo");
  ASSERT_NE(types, nullptr);
  types->setFocus();
  QTest::keyClick(types, Qt::Key_Down);
  EXPECT_EQ(dialog.selectedNameFilter().toStdString(), "All Files (*.*)");
  const Names all = {"sub",    "Games.tavrin", "go.bat",    "notes.txt",
                     "README", "run.sh",       "SETUP.EXE", "tool"};
  EXPECT_EQ(ListedOnceLoaded(dialog, all), all);
  QTest::keyClick(types, Qt::Key_Up);
  QTest::keyClick(types, Qt::Key_Up);
  EXPECT_EQ(dialog.selectedNameFilter().toStdString(), "Tavrin Collections (*.tavrin)");
  EXPECT_EQ(ListedOnceLoaded(dialog, {"sub", "Games.tavrin"}), (Names{"sub", "Games.tavrin"}));
  QTest::keyClick(types, Qt::Key_Down);
  EXPECT_EQ(ListedOnceLoaded(dialog, {"sub", "go.bat", "run.sh", "SETUP.EXE", "tool"}),
            (Names{"sub", "go.bat", "run.sh", "SETUP.EXE", "tool"}));
}

}  // namespace
}  // namespace tavrin
