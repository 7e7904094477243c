#pragma once

#include <string>
#include <vector>

#include "dialogs/common_dialog.h"
#include "forms/form_context.h"
#include "forms/window_layout.h"
#include "platform/text_encoding.h"

namespace tavrin {

// The controls of the item editor, as the form names them to its view.
enum class EditControl {
  None,
  txtItem,
  txtFile,
  txtParams,
  cboStyle,
  cWait,
  btnOk,
  btnCancel,
  tbOpenOpen,  // the toolbar button "Open" beside the File box
  tbOpenFind,  // and "Find"
};

// The item editor's controls, from which both views make it.
using ItemEditLayout = WindowLayout<EditControl>;
const ItemEditLayout& ItemEditorLayout();

// What the item editor's window shows, as the form tells it. A view forwards only what
// the user does; what the form sets here raises no handler.
class ItemEditView {
 public:
  virtual ~ItemEditView() = default;
  // The entries of the style list, in order: the list index is the style code.
  virtual void SetStyleEntries(const std::vector<std::string>& entries) = 0;
  // The text of txtItem, txtFile or txtParams.
  virtual void SetText(EditControl box, const std::string& text) = 0;
  // The entry of the style list shown; -1 for none.
  virtual void SetStyleIndex(int index) = 0;
  virtual void SetWaitChecked(bool checked) = 0;
  virtual void SetEnabled(EditControl control, bool enabled) = 0;
  // Selects the whole text of a box, the cursor at its start, and gives it the focus.
  virtual void SelectWholeText(EditControl box) = 0;
  // Closes the window; the modal run that showed it returns.
  virtual void Unload() = 0;
};

// The item editor: edits the context's EditItem. OK writes the five values back;
// Cancel, Esc and the close box set EditCancelled and change nothing. It never
// touches the collection itself.
class FrmItemEdit {
 public:
  explicit FrmItemEdit(FormContext context);

  // The window has been created: the form fills it from EditItem.
  void Form_Load(ItemEditView& view);

  // What the user does. A text box's handler gets the text it now holds.
  void txtItem_Change(const std::string& text);
  void txtFile_Change(const std::string& text);
  void txtParams_Change(const std::string& text);
  void cboStyle_Click(int index);
  void cWait_Click(bool checked);
  void tbOpen_ButtonClick(EditControl button);
  void btnOK_Click();
  void btnCancel_Click();
  void Form_QueryUnload(int UnloadMode);
  // A key going down while `focus` has the focus; true when the form took it.
  bool Form_KeyDown(int KeyCode, int Shift, EditControl focus);

  void CheckChange();

  // What the controls hold.
  const std::string& FileText() const { return file_; }
  int StyleIndex() const { return style_; }
  bool WaitChecked() const { return waitChecked_; }
  bool Enabled(EditControl control) const;

 private:
  // Sets a box's text as the program does: its change handler runs when it changed.
  void SetFileText(const std::string& text);
  // The File box now stands for `text`: its rules run.
  void FileChanged(const std::string& text);
  void SetWaitChecked(bool checked);
  void SetEnabled(EditControl control, bool enabled);
  void PressButton(EditControl button);

  FormContext ctx_;
  ItemEditView* view_ = nullptr;
  bool Loading = false;
  OpenFileName OpenFileDlg;

  // What the three boxes show, and the bytes they stand for.
  ShownBytes itemShown_;
  ShownBytes fileShown_;
  ShownBytes paramsShown_;
  std::string item_;
  std::string file_;
  std::string params_;
  int style_ = -1;
  bool waitChecked_ = false;
  bool waitEnabled_ = true;
  bool okEnabled_ = false;
  bool findEnabled_ = false;
};

}  // namespace tavrin
