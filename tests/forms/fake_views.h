// Recording views of the three forms. Each holds what its form told it, as the
// window's controls would, and drives the form as a window does: a gesture on a
// control that is disabled, or a key, reaches the form only where a window lets it.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "forms/frm_about.h"
#include "forms/frm_item_edit.h"
#include "forms/frm_main.h"
#include "forms/keys.h"

namespace tavrin::testing {

class FakeItemEditView : public ItemEditView {
 public:
  explicit FakeItemEditView(FrmItemEdit& form) : form_(form) {}

  void SetStyleEntries(const std::vector<std::string>& entries) override { styles = entries; }
  void SetText(EditControl box, const std::string& text) override { texts[box] = text; }
  void SetStyleIndex(int index) override { style = index; }
  void SetWaitChecked(bool checked) override { waitChecked = checked; }
  void SetEnabled(EditControl control, bool enabled) override { enabled_[control] = enabled; }
  void SelectWholeText(EditControl box) override { selectedWhole = box; }
  void Unload() override { unloaded = true; }

  bool Enabled(EditControl control) const {
    const auto it = enabled_.find(control);
    return it == enabled_.end() || it->second;
  }

  // The user's gestures.
  void Type(EditControl box, const std::string& text) {
    texts[box] = text;
    if (box == EditControl::txtItem) form_.txtItem_Change(text);
    if (box == EditControl::txtFile) form_.txtFile_Change(text);
    if (box == EditControl::txtParams) form_.txtParams_Change(text);
  }
  void PickStyle(int index) {
    style = index;
    form_.cboStyle_Click(index);
  }
  void ClickWait() {
    if (!Enabled(EditControl::cWait)) return;
    waitChecked = !waitChecked;
    form_.cWait_Click(waitChecked);
  }
  void Click(EditControl button) {
    if (!Enabled(button)) return;
    if (button == EditControl::btnOk) form_.btnOK_Click();
    if (button == EditControl::btnCancel) form_.btnCancel_Click();
    form_.tbOpen_ButtonClick(button);
  }
  void Enter(EditControl focus, int shift = 0) { form_.Form_KeyDown(kKeyReturn, shift, focus); }
  void CloseBox() {
    form_.Form_QueryUnload(kUnloadCloseBox);
    unloaded = true;
  }

  std::vector<std::string> styles;
  std::map<EditControl, std::string> texts;
  int style = -1;
  bool waitChecked = false;
  EditControl selectedWhole = EditControl::None;
  bool unloaded = false;

 private:
  FrmItemEdit& form_;
  std::map<EditControl, bool> enabled_;
};

class FakeAboutView : public AboutView {
 public:
  void ShowVersion(const std::string& text) override { version = text; }
  void ShowMailAddress(const std::string& address) override { mail = address; }
  void Unload() override { unloaded = true; }

  std::string version;
  std::string mail;
  bool unloaded = false;
};

// What the item editor's script does once the editor is loaded; it must leave the
// editor unloaded, as a user does before the modal run returns.
using EditorScript = std::function<void(FakeItemEditView&)>;

inline void Ok(FakeItemEditView& e) { e.Click(EditControl::btnOk); }
inline void Cancel(FakeItemEditView& e) { e.Click(EditControl::btnCancel); }
inline EditorScript Rename(const std::string& name) {
  return [name](FakeItemEditView& e) {
    e.Type(EditControl::txtItem, name);
    Ok(e);
  };
}

class FakeMainView : public MainView {
 public:
  void SetCollEntries(const std::vector<std::string>& list) override { entries = list; }
  void ShowCollText(const std::string& text, int entry) override {
    collText = text;
    collEntry = entry;
  }
  void SetItems(const std::vector<std::string>& names) override {
    items = names;
    selected = -1;
  }
  void InsertItem(int index, const std::string& name) override {
    items.insert(items.begin() + index, name);
    if (selected >= index) ++selected;  // the selection stays on its entry
  }
  void RemoveItem(int index) override {
    items.erase(items.begin() + index);
    if (selected == index) selected = -1;
    if (selected > index) --selected;
  }
  void SetItemText(int index, const std::string& name) override {
    items.at(static_cast<std::size_t>(index)) = name;
  }
  void SelectItem(int index) override { selected = index; }
  void ShowDetails(const std::string& text) override { details = text; }
  void SetEnabled(MainControl control, bool enabled) override { enabled_[control] = enabled; }
  void SetFocus(MainControl control) override { focus = control; }
  void ShowPopup(ItemPopup which, PopupPlace place) override {
    popups.push_back(std::string(which == ItemPopup::mnuPopItem1 ? "mnuPopItem1" : "mnuPopItem2") +
                     (place == PopupPlace::AtPointer ? " at the pointer" : " at the selection"));
  }
  void MakeFlatToolBars() override { flat = true; }
  void SetCaption(const std::string& text) override { caption = text; }
  void SetWindowEnabled(bool enabled) override { windowEnabled = enabled; }
  void SetBusy(bool value) override { busy = value; }
  void SetVisible(bool value) override { visible = value; }
  void Activate() override { ++activations; }
  void Unload() override {
    unloaded = true;
    visible = false;
  }
  void ShowModal(FrmItemEdit& form) override {
    FakeItemEditView view(form);
    form.Form_Load(view);
    editorOpenedWith.push_back(view);
    if (!editorScripts.empty()) {
      EditorScript script = editorScripts.front();
      editorScripts.erase(editorScripts.begin());
      script(view);
    } else {
      Cancel(view);
    }
    EXPECT_TRUE(view.unloaded) << "the script left the item editor open";
  }
  void ShowModal(FrmAbout& form) override {
    FakeAboutView view;
    form.Form_Load(view);
    modalShown.push_back("About The Tavrin... | " + view.version);
    form.btnOK_Click();
  }

  bool Enabled(MainControl control) const {
    const auto it = enabled_.find(control);
    return it == enabled_.end() || it->second;
  }

  std::vector<std::string> entries;
  std::string collText;
  int collEntry = -1;
  std::vector<std::string> items;
  int selected = -1;
  std::string details;
  MainControl focus = MainControl::None;
  std::vector<std::string> popups;
  bool flat = false;
  std::string caption = "The Tavrin";
  bool windowEnabled = true;
  bool busy = false;
  bool visible = true;
  int activations = 0;
  bool unloaded = false;
  // The item editor runs these in turn, and cancels once they have run out.
  std::vector<EditorScript> editorScripts;
  std::vector<FakeItemEditView> editorOpenedWith;  // the editor as each run opened it
  std::vector<std::string> modalShown;             // the About boxes, with their versions

 private:
  std::map<MainControl, bool> enabled_;
};

}  // namespace tavrin::testing
