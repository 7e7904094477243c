#pragma once

#include <array>
#include <string>
#include <vector>

#include "forms/form_context.h"
#include "forms/window_layout.h"
#include "platform/text_encoding.h"

namespace tavrin {

// The controls of the run options dialog, as the form names them to its view.
enum class OptionsControl {
  None,
  txtDelay,
  cboReady,
  txtReady,
  txtTimeout,
  cSkip,
  cStop,
  txtEnv,
  txtWorkDir,
  btnBrowse,
  txtPlace,
  txtDesktop,
  btnOk,
  btnCancel,
};

// The run options dialog's controls, from which both views make it.
using RunOptionsLayout = WindowLayout<OptionsControl>;
const RunOptionsLayout& RunOptionsDialogLayout();

// What the run options dialog shows, as the form tells it. A view forwards only what
// the user does; what the form sets here raises no handler.
class RunOptionsView {
 public:
  virtual ~RunOptionsView() = default;
  // The entries of the readiness list, in order: the list index is the kind of wait.
  virtual void SetReadyEntries(const std::vector<std::string>& entries) = 0;
  virtual void SetReadyIndex(int index) = 0;
  // The text of a text box; txtEnv holds one line per variable, ended by line feeds.
  virtual void SetText(OptionsControl box, const std::string& text) = 0;
  virtual void SetChecked(OptionsControl box, bool checked) = 0;
  // Selects the whole text of a box and gives it the focus.
  virtual void SelectWholeText(OptionsControl box) = 0;
  // Closes the window; the modal run that showed it returns.
  virtual void Unload() = 0;
};

// The run options dialog: edits the run options of the context's EditItem. OK checks
// every field (a box names the first that is wrong, which then has the focus) and
// writes back what changed; the options of a field left as it was stay exactly as the
// item held them, and keys this version does not know are never touched. Cancel, Esc
// and the close box set EditCancelled and change nothing.
class FrmRunOptions {
 public:
  explicit FrmRunOptions(FormContext context);

  // The window has been created: the form fills it from EditItem's options.
  void Form_Load(RunOptionsView& view);

  // What the user does. A text box's handler gets the text it now holds.
  void txt_Change(OptionsControl box, const std::string& text);
  void cboReady_Click(int index);
  void c_Click(OptionsControl box, bool checked);
  void btnBrowse_Click();
  void btnOK_Click();
  void btnCancel_Click();
  void Form_QueryUnload(int UnloadMode);
  // A key going down while `focus` has the focus; true when the form took it. (Esc is
  // the close box's: the view unloads the dialog.)
  bool Form_KeyDown(int KeyCode, int Shift, OptionsControl focus);

  // What the controls hold.
  const std::string& Text(OptionsControl box) const;
  int ReadyIndex() const { return now_.readyKind; }
  bool Checked(OptionsControl box) const;

 private:
  // The dialog's fields as text and checks, as they are now and as Form_Load set them.
  struct Fields {
    std::string delay, ready, timeout, env, workDir, place, desktop;
    int readyKind = 0;
    bool skip = false, stop = false;
  };
  // Where a text box's text is kept.
  static std::string Fields::*TextField(OptionsControl box);
  // The first field that is wrong, with the box naming it; None when all are right.
  OptionsControl Check(std::string& why) const;

  // The text boxes, and the place of each in shown_.
  static constexpr std::array<OptionsControl, 7> kTextBoxes = {
      OptionsControl::txtDelay,  OptionsControl::txtReady,   OptionsControl::txtTimeout,
      OptionsControl::txtEnv,    OptionsControl::txtWorkDir, OptionsControl::txtPlace,
      OptionsControl::txtDesktop};
  static std::size_t Slot(OptionsControl box);

  FormContext ctx_;
  RunOptionsView* view_ = nullptr;
  // What each text box shows, and the bytes it stands for.
  std::array<ShownBytes, kTextBoxes.size()> shown_;
  Fields now_;
  Fields loaded_;
};

}  // namespace tavrin
