#include "forms/frm_item_edit.h"

#include "collection/paths.h"
#include "collection/text.h"
#include "forms/details.h"
#include "forms/keys.h"
#include "launch/launch.h"
#include "platform/text_encoding.h"
#include "platform/traits.h"

namespace tavrin {
namespace {

const std::vector<std::string> kStyleEntries = {
    "Hidden", "Normal", "Minimized", "Maximized", "Normal no focus", "Minimized no focus"};

}  // namespace

FrmItemEdit::FrmItemEdit(FormContext context) : ctx_(context) {}

void FrmItemEdit::Form_Load(ItemEditView& view) {
  view_ = &view;
  Loading = true;
  view.SetStyleEntries(kStyleEntries);
  // The window as it was designed; then filled from EditItem, the File box's rules
  // running as its text changes, and the wait box set after them.
  SetEnabled(EditControl::btnOk, false);
  SetEnabled(EditControl::tbOpenFind, false);
  SetEnabled(EditControl::cWait, true);
  const CollItem& item = ctx_.edit.EditItem;
  itemShown_ = ShownBytes(item.ItemName);
  item_ = item.ItemName;
  view.SetText(EditControl::txtItem, itemShown_.Shown());
  SetFileText(item.File);
  paramsShown_ = ShownBytes(item.Params);
  params_ = item.Params;
  view.SetText(EditControl::txtParams, paramsShown_.Shown());
  // A code without an entry shows no style and is kept unless the user picks one.
  style_ = item.WinStyle >= 0 && item.WinStyle < static_cast<int>(kStyleEntries.size())
               ? item.WinStyle
               : -1;
  view.SetStyleIndex(style_);
  SetWaitChecked(item.Wait != 0);
  // The whole name is selected, so that typing replaces it.
  view.SelectWholeText(EditControl::txtItem);
  Loading = false;
}

bool FrmItemEdit::Enabled(EditControl control) const {
  switch (control) {
    case EditControl::cWait:
      return waitEnabled_;
    case EditControl::btnOk:
      return okEnabled_;
    case EditControl::tbOpenFind:
      return findEnabled_;
    default:
      return true;
  }
}

void FrmItemEdit::SetEnabled(EditControl control, bool enabled) {
  switch (control) {
    case EditControl::cWait:
      waitEnabled_ = enabled;
      break;
    case EditControl::btnOk:
      okEnabled_ = enabled;
      break;
    case EditControl::tbOpenFind:
      findEnabled_ = enabled;
      break;
    default:
      return;
  }
  view_->SetEnabled(control, enabled);
}

void FrmItemEdit::SetFileText(const std::string& text) {
  if (text == file_) return;
  fileShown_ = ShownBytes(text);
  view_->SetText(EditControl::txtFile, fileShown_.Shown());
  FileChanged(text);
}

void FrmItemEdit::SetWaitChecked(bool checked) {
  if (checked == waitChecked_) return;
  view_->SetWaitChecked(checked);
  cWait_Click(checked);
}

void FrmItemEdit::CheckChange() {
  const CollItem& item = ctx_.edit.EditItem;
  const bool differs = item_ != item.ItemName || file_ != item.File || params_ != item.Params ||
                       (style_ >= 0 && style_ != item.WinStyle) || waitChecked_ != (item.Wait != 0);
  // Once something has differed, OK stays available.
  if (differs) SetEnabled(EditControl::btnOk, true);
}

void FrmItemEdit::txtItem_Change(const std::string& text) {
  itemShown_.Edit(text);
  item_ = itemShown_.Bytes();
  if (!Loading) CheckChange();
}

void FrmItemEdit::txtParams_Change(const std::string& text) {
  paramsShown_.Edit(text);
  params_ = paramsShown_.Bytes();
  if (!Loading) CheckChange();
}

void FrmItemEdit::cboStyle_Click(int index) {
  style_ = index;
  if (!Loading) CheckChange();
}

void FrmItemEdit::cWait_Click(bool checked) {
  waitChecked_ = checked;
  if (!Loading) CheckChange();
}

void FrmItemEdit::txtFile_Change(const std::string& text) {
  fileShown_.Edit(text);
  FileChanged(fileShown_.Bytes());
}

void FrmItemEdit::FileChanged(const std::string& text) {
  file_ = text;
  SetEnabled(EditControl::tbOpenFind, !text.empty());
  if (!Loading) CheckChange();
  // Waiting is for programs only.
  const bool program =
      ResolveItemFile(text, ctx_.state, ctx_.platform).kind == ResolvedFile::Kind::kProgram;
  if (CountsAsProgram(text, program)) {
    SetEnabled(EditControl::cWait, true);
  } else {
    SetWaitChecked(false);
    SetEnabled(EditControl::cWait, false);
  }
}

void FrmItemEdit::tbOpen_ButtonClick(EditControl button) {
  if (button == EditControl::tbOpenOpen) {
    if (!ShowOpenDialog(OpenFileDlg, 2, ctx_.dialogs)) return;
    // In lower case as the system lowers its paths (where their case does not count).
    SetFileText(ctx_.platform.system.PathCase(CutAtNull(OpenFileDlg.lpstrFile)));
  } else if (button == EditControl::tbOpenFind) {
    // The folder of what a start would open; for a bare name, of the program found on
    // the search path (never the program itself).
    const std::string folder =
        ItemFileFolder(file_, ResolveItemFile(file_, ctx_.state, ctx_.platform));
    if (folder.empty()) return;
    ShellRequest request;
    request.verb = "Open";
    request.file = folder;
    request.show = kSwShowNormal;
    ctx_.platform.shell.ShellExecute(request);
  }
}

void FrmItemEdit::btnOK_Click() {
  CollItem& item = ctx_.edit.EditItem;
  item.File = file_;
  item.Params = params_;
  item.ItemName = item_;
  if (style_ >= 0) item.WinStyle = static_cast<int16_t>(style_);
  item.Wait = waitChecked_ ? kTrue : kFalse;
  view_->Unload();
}

void FrmItemEdit::btnCancel_Click() {
  ctx_.edit.EditCancelled = true;
  view_->Unload();
}

void FrmItemEdit::Form_QueryUnload(int UnloadMode) {
  if (UnloadMode == kUnloadCloseBox) ctx_.edit.EditCancelled = true;
}

bool FrmItemEdit::Form_KeyDown(int KeyCode, int Shift, EditControl focus) {
  // Enter presses the focused button (Cancel too), otherwise OK while it is enabled.
  if (KeyCode != kKeyReturn || (Shift & (kCtrlMask | kAltMask)) != 0) return false;
  switch (focus) {
    case EditControl::btnOk:
    case EditControl::btnCancel:
    case EditControl::tbOpenOpen:
    case EditControl::tbOpenFind:
      PressButton(focus);
      break;
    default:
      PressButton(EditControl::btnOk);
      break;
  }
  return true;
}

void FrmItemEdit::PressButton(EditControl button) {
  if (!Enabled(button)) return;
  switch (button) {
    case EditControl::btnOk:
      btnOK_Click();
      break;
    case EditControl::btnCancel:
      btnCancel_Click();
      break;
    case EditControl::tbOpenOpen:
    case EditControl::tbOpenFind:
      tbOpen_ButtonClick(button);
      break;
    default:
      break;
  }
}

}  // namespace tavrin
