// The main form on a recording view, with boxes, dialogs and launching scripted and
// the collection folder a temporary folder. The item editor is a real FrmItemEdit on a
// recording view, answered by a script.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>

#include "fake_views.h"
#include "fakes.h"
#include "form_world.h"
#include "temp_dir.h"

namespace tavrin {

using Strings = std::vector<std::string>;
using testing::BinPath;
using testing::Cancel;
using testing::EditorScript;
using testing::Ok;
using testing::Rename;

struct MainFormTest : ::testing::Test, testing::FormWorld {
  std::unique_ptr<FrmMain> form;
  std::unique_ptr<testing::FakeMainView> view;

  FrmMain& Open(const std::string& commandLine = "") {
    form = std::make_unique<FrmMain>(Context(), commandLine);
    view = std::make_unique<testing::FakeMainView>();
    form->Form_Load(*view);
    return *form;
  }
  // Opens the window on a collection "c" that is already loaded.
  FrmMain& Open(const std::vector<CollItem>& items) { return Open(Loaded(items)); }

  // What a user sees: the box's text, the listed items, and which of Save, Delete and
  // Execute are enabled, as "Games: chess go [save delete exec]". While the collection has
  // items, a list that is not what the state holds shows as " but stored: <names>".
  std::string Seen() const {
    std::string listed;
    std::string stored;
    for (const auto& name : view->items) listed += " " + name;
    for (const auto& item : state.Items) stored += " " + item.ItemName;
    std::string text = view->collText + ":" + listed + " [";
    if (view->Enabled(MainControl::tbCollSave)) text += "save ";
    if (view->Enabled(MainControl::tbCollDelete)) text += "delete ";
    if (view->Enabled(MainControl::btnExec)) text += "exec ";
    if (text.back() == ' ') text.pop_back();
    return text + "]" + (state.HasItems && stored != listed ? " but stored:" + stored : "");
  }
  // What is enabled of the item buttons, in their order: Up, Edit, Remove, Open, Down.
  std::string ItemButtons() const {
    std::string seen;
    for (MainControl b : {MainControl::tbItemUp, MainControl::tbItemEdit, MainControl::tbItemRemove,
                          MainControl::tbItemOpen, MainControl::tbItemDown}) {
      seen += view->Enabled(b) ? "1" : "0";
    }
    return seen;
  }
  int EntryOf(const std::string& name) const {
    for (std::size_t i = 0; i < view->entries.size(); ++i) {
      if (view->entries[i] == name) return static_cast<int>(i);
    }
    return -1;
  }

  // The user's gestures, as the window forwards them.
  void Pick(const std::string& name) { form->cboColl_Click(EntryOf(name)); }
  void Type(const std::string& text) {
    view->collText = text;
    form->cboColl_Change(text);
  }
  void Select(int index) {
    view->selected = index;
    form->lstItems_Click(index);
  }
  void Key(int code, int shift, MainControl focus) {
    form->Form_KeyDown(code, shift, focus);
    form->Form_KeyUp(code, shift);
  }
  // A click on a button, which reaches the form only while the button is enabled.
  void Click(MainControl button) {
    if (!view->Enabled(button)) return;
    // A button of either toolbar reaches its toolbar's handler; the other ignores it.
    form->tbColl_ButtonClick(button);
    form->tbItem_ButtonClick(button);
    if (button == MainControl::btnExec) form->btnExec_Click();
    if (button == MainControl::btnExit) form->btnExit_Click();
  }
  // Selects item `index` and clicks an item button.
  void Press(int index, MainControl button) {
    Select(index);
    Click(button);
  }
};

}  // namespace tavrin
