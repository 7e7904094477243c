// The main window under the offscreen platform, with boxes, dialogs and launching
// scripted and the collection folder a temporary folder. The item editor is a real
// FrmItemEdit, answered by a script instead of a modal loop.
#pragma once

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <deque>
#include <functional>
#include <memory>

#include "fakes.h"
#include "temp_dir.h"
#include "ui/frm_item_edit.h"
#include "ui/frm_main.h"

namespace tavrin {

using Strings = std::vector<std::string>;
using EditorScript = std::function<void(FrmItemEdit&)>;

inline void Ok(FrmItemEdit& e) { QTest::mouseClick(e.btnOk(), Qt::LeftButton); }
inline void Cancel(FrmItemEdit& e) { QTest::mouseClick(e.btnCancel(), Qt::LeftButton); }
inline EditorScript Rename(const std::string& name) {
  return [name](FrmItemEdit& e) {
    e.txtItem()->setText(QString::fromStdString(name));
    Ok(e);
  };
}

struct WindowTest : ::testing::Test {
  testing::TempDir dir;
  testing::FakePlatform fake;
  std::vector<std::string>& boxes = fake.toolkit.boxes;
  testing::ScriptedFileDialogs dialogs;
  CollectionState state;
  EditExchange edit;
  std::deque<EditorScript> editorScripts;  // the editor cancels when they have run out
  std::vector<CollItem> editorOpenedWith;
  std::vector<std::string> modalShown;  // other dialogs: their titles and version labels
  std::unique_ptr<FrmMain> window;

  WindowTest() { fake.system.collectionFolder = dir.str(); }

  UiContext Context(Platform& platform) {
    UiContext context{state, edit, platform, dialogs};
    context.runModal = [this](QDialog& d) {
      if (auto* editor = dynamic_cast<FrmItemEdit*>(&d)) {
        editorOpenedWith.push_back(edit.EditItem);
        testing::Next(editorScripts, EditorScript(Cancel))(*editor);
      } else {
        std::string shown = d.windowTitle().toStdString();
        if (auto* ver = d.findChild<QLabel*>("lblVer")) shown += " | " + ver->text().toStdString();
        modalShown.push_back(shown);
      }
      return d.result();
    };
    return context;
  }
  FrmMain& Open(const std::string& commandLine = "") {
    window = std::make_unique<FrmMain>(Context(fake.platform), commandLine);
    window->show();
    return *window;
  }
  // Opens the window on a collection "c" that is already loaded.
  FrmMain& Open(const std::vector<CollItem>& items) {
    state.Items = items;
    state.CurrentCollFile = dir.file("c.tavrin");
    return Open(state.CurrentCollFile);
  }
  // A collection file in the collection folder; its items start /bin/<name>.
  void Collection(const std::string& name, const std::vector<std::string>& names) {
    testing::WriteFile(dir.file(name + ".tavrin"), Text(names));
  }
  static std::string Text(const std::vector<std::string>& names) {
    std::vector<CollItem> items;
    for (const auto& n : names) items.push_back(testing::Item(n, "/bin/" + n));
    return testing::CollectionText(items);
  }

  std::string Box() const { return window->cboColl()->currentText().toStdString(); }
  std::vector<std::string> Listed() const {
    std::vector<std::string> names;
    for (int i = 0; i < window->lstItems()->count(); ++i) {
      names.push_back(window->lstItems()->item(i)->text().toStdString());
    }
    return names;
  }
  // What a user sees: the box's text, the listed items, and which of Save, Delete and
  // Execute are enabled, as "Games: chess go [save delete exec]". While the collection has
  // items, a list that is not what the state holds shows as " but stored: <names>".
  std::string Seen() const {
    std::string listed;
    std::string stored;
    for (const auto& name : Listed()) listed += " " + name;
    for (const auto& item : state.Items) stored += " " + item.ItemName;
    std::string text = Box() + ":" + listed + " [";
    if (window->CollButtonEnabled("Save")) text += "save ";
    if (window->CollButtonEnabled("Delete")) text += "delete ";
    if (window->btnExec()->isEnabled()) text += "exec ";
    if (text.back() == ' ') text.pop_back();
    return text + "]" + (state.HasItems && stored != listed ? " but stored:" + stored : "");
  }
  int EntryOf(const std::string& name) const {
    return window->cboColl()->findText(QString::fromStdString(name));
  }
  void Pick(const std::string& name) { window->SelectCollEntry(EntryOf(name)); }
  // Selects item `index` and clicks item button `button`: 0 up, 1 edit, 2 remove, 3 open,
  // 4 down.
  void Press(int index, int button) {
    window->SelectListEntry(index);
    QTest::mouseClick(window->tbItemButton(button), Qt::LeftButton);
  }
};

}  // namespace tavrin
