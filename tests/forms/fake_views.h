// Recording views of the forms, and the main form on one. Each view holds what its form
// told it and drives the form as a window does: a gesture on a disabled control does not
// reach the form. The item editor is a real FrmItemEdit, answered by a script.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "form_world.h"
#include "forms/frm_about.h"
#include "forms/frm_item_edit.h"
#include "forms/frm_main.h"
#include "forms/frm_run_options.h"
#include "forms/keys.h"

namespace tavrin {

using testing::BinPath;
using testing::Item;
using testing::kErrorBox;

// Whether a control is enabled, by what its form told it (enabled until told otherwise).
template <typename Control>
bool IsEnabled(const std::map<Control, bool>& told, Control control) {
  const auto it = told.find(control);
  return it == told.end() || it->second;
}

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
  bool Enabled(EditControl control) const { return IsEnabled(enabled_, control); }
  // The three boxes, as "name|file|parameters".
  std::string Boxes() {
    return texts[EditControl::txtItem] + "|" + texts[EditControl::txtFile] + "|" +
           texts[EditControl::txtParams];
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

class FakeRunOptionsView : public RunOptionsView {
 public:
  explicit FakeRunOptionsView(FrmRunOptions& form) : form_(form) {}

  void SetReadyEntries(const std::vector<std::string>& entries) override { readyEntries = entries; }
  void SetReadyIndex(int index) override { ready = index; }
  void SetText(OptionsControl box, const std::string& text) override { texts[box] = text; }
  void SetChecked(OptionsControl box, bool value) override { checked[box] = value; }
  void SelectWholeText(OptionsControl box) override { focus = box; }
  void Unload() override { unloaded = true; }

  void Type(OptionsControl box, const std::string& text) {
    texts[box] = text;
    form_.txt_Change(box, text);
  }
  void Pick(int index) {
    ready = index;
    form_.cboReady_Click(index);
  }
  void Click(OptionsControl box) {
    checked[box] = !checked[box];
    form_.c_Click(box, checked[box]);
  }

  std::vector<std::string> readyEntries;
  int ready = -1;
  std::map<OptionsControl, std::string> texts;
  std::map<OptionsControl, bool> checked;
  OptionsControl focus = OptionsControl::None;
  bool unloaded = false;

 private:
  FrmRunOptions& form_;
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

// What the user does in the loaded item editor; it must leave the editor unloaded.
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
  void SetItemText(int index, const std::string& name) override { items.at(index) = name; }
  void SelectItem(int index) override { selected = index; }
  void ShowDetails(const std::string& text) override { details = text; }
  void SetEnabled(MainControl control, bool enabled) override { enabled_[control] = enabled; }
  void SetMenuEnabled(MainMenu menu, int index, bool enabled) override {
    menuEnabled[{menu, index}] = enabled;
  }
  void SetFocus(MainControl control) override { focus = control; }
  void ShowPopup(ItemPopup which, PopupPlace place) override {
    popups.push_back(std::string(which == ItemPopup::mnuPopItem1 ? "mnuPopItem1" : "mnuPopItem2") +
                     (place == PopupPlace::AtPointer ? " at the pointer" : " at the selection"));
  }
  void MakeFlatToolBars() override {}
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
    testing::Next(editorScripts, EditorScript(Cancel))(view);
    EXPECT_TRUE(view.unloaded) << "the script left the item editor open";
  }
  void ShowModal(FrmRunOptions& form) override {
    FakeRunOptionsView view(form);
    form.Form_Load(view);
    ++runOptionsShown;
    form.btnCancel_Click();
  }
  std::unique_ptr<RunProgressView> MakeProgressView(FrmRunProgress& form) override {
    return progressViews ? progressViews(form) : nullptr;
  }
  void ShowModal(FrmAbout& form) override {
    FakeAboutView view;
    form.Form_Load(view);
    aboutShown.push_back(view.version);
    form.btnOK_Click();
  }
  bool Enabled(MainControl control) const { return IsEnabled(enabled_, control); }

  std::vector<std::string> entries;
  std::string collText;
  int collEntry = -1;
  std::vector<std::string> items;
  int selected = -1;
  std::string details;
  MainControl focus = MainControl::None;
  std::vector<std::string> popups;
  std::string caption = "The Tavrin";
  bool windowEnabled = true;
  bool busy = false;
  bool visible = true;
  int activations = 0;
  bool unloaded = false;
  std::deque<EditorScript> editorScripts;          // run in turn; then Cancel
  std::vector<FakeItemEditView> editorOpenedWith;  // the editor as each run opened it
  std::vector<std::string> aboutShown;             // the About boxes, by their versions
  RunProgressViewMaker progressViews;              // no progress window when none

  // The menu entries' enabled states as set so far; how often Run Options showed.
  std::map<std::pair<MainMenu, int>, bool> menuEnabled;
  int runOptionsShown = 0;

 private:
  std::map<MainControl, bool> enabled_;
};

// The main form on a recording view, over the world of a collection folder of its own.
struct MainFormTest : ::testing::Test, testing::FormWorld {
  std::unique_ptr<FrmMain> form;
  std::unique_ptr<FakeMainView> view;
  Platform* platform = &fake.platform;  // what the form is given

  FrmMain& Open(const std::string& commandLine = "") {
    form = std::make_unique<FrmMain>(Context(*platform), commandLine);
    view = std::make_unique<FakeMainView>();
    form->Form_Load(*view);
    return *form;
  }
  // Opens the window on a collection "c" that is already loaded.
  FrmMain& Open(const std::vector<CollItem>& items) { return Open(Loaded(items)); }

  // What a user sees: the box, the list with the selection marked, which of Save, Delete
  // and Execute are enabled ("Games: chess *go [save delete exec]"); " but stored: <names>"
  // when the items are not what the list shows.
  std::string Seen() const {
    std::string listed;
    std::string marked;
    std::string stored;
    for (std::size_t i = 0; i < view->items.size(); ++i) {
      listed += " " + view->items[i];
      marked += (static_cast<int>(i) == view->selected ? " *" : " ") + view->items[i];
    }
    for (const auto& item : state.Items) stored += " " + item.ItemName;
    std::string text = view->collText + ":" + marked + " [";
    if (view->Enabled(MainControl::tbCollSave)) text += "save ";
    if (view->Enabled(MainControl::tbCollDelete)) text += "delete ";
    if (view->Enabled(MainControl::btnExec)) text += "exec ";
    if (text.back() == ' ') text.pop_back();
    return text + "]" + (state.HasItems && stored != listed ? " but stored:" + stored : "");
  }
  // Which item buttons are enabled, Up, Edit, Remove, Open, Down: "10011".
  std::string ItemButtons() const {
    std::string seen;
    for (MainControl b : {MainControl::tbItemUp, MainControl::tbItemEdit, MainControl::tbItemRemove,
                          MainControl::tbItemOpen, MainControl::tbItemDown}) {
      seen += view->Enabled(b) ? "1" : "0";
    }
    return seen;
  }
  int EntryOf(const std::string& name) const {
    const auto it = std::find(view->entries.begin(), view->entries.end(), name);
    return it == view->entries.end() ? -1 : static_cast<int>(it - view->entries.begin());
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
  // A click reaches the toolbars' handlers (the other one ignores it) while enabled.
  void Click(MainControl button) {
    if (!view->Enabled(button)) return;
    form->tbColl_ButtonClick(button);
    form->tbItem_ButtonClick(button);
    if (button == MainControl::btnExec) form->btnExec_Click();
    if (button == MainControl::btnExit) form->btnExit_Click();
  }
  void Press(int index, MainControl button) {
    Select(index);
    Click(button);
  }
};

}  // namespace tavrin
