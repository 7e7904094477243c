#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "forms/frm_main.h"
#include "ui/win32/controls.h"
#include "ui/win32/window_builder.h"

namespace tavrin::win32 {

// Tells who owns the modal windows now: the main window, or the item editor while it
// is open (the file dialogs it opens must be owned by it, so that closing them gives
// the input back to it and not to the main window behind it).
using OwnerChanged = std::function<void(Hwnd owner)>;

// The main window in Win32 and the common controls: the collection box and its
// toolbar, the item list with its toolbars and popup menus, the details pane, Execute
// and Exit, and the menu bar. It builds the controls, forwards what the user does to
// the form, and shows what the form tells it.
class MainWindow : public MainView {
 public:
  // Builds the window, loads the form into it, and shows it centred on the screen.
  explicit MainWindow(FrmMain& form, OwnerChanged ownerChanged = {});
  ~MainWindow() override;
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Runs the window's messages until it is closed.
  void Run();
  // Runs the messages waiting now, as Run does, and returns.
  void RunPending();
  // Offers a message of the thread to the window first: key preview, the shortcut
  // keys, the keyboard of a dialog (Tab, access keys). True when it was taken.
  bool PreTranslate(tagMSG& message);

  Hwnd hwnd() const { return hwnd_; }
  bool closed() const { return closed_; }
  // The window's controls as the form names them, and the details pane.
  Hwnd Control(MainControl control) const;
  Hwnd picDetails() const { return picDetails_; }
  // The command identifier of a toolbar button.
  static int CommandOf(MainControl button);

  // MainView.
  void SetCollEntries(const std::vector<std::string>& entries) override;
  void ShowCollText(const std::string& text, int entry) override;
  void SetItems(const std::vector<std::string>& names) override;
  void InsertItem(int index, const std::string& name) override;
  void RemoveItem(int index) override;
  void SetItemText(int index, const std::string& name) override;
  void SelectItem(int index) override;
  void ShowDetails(const std::string& text) override;
  void SetEnabled(MainControl control, bool enabled) override;
  void SetMenuEnabled(MainMenu menu, int index, bool enabled) override;
  void SetFocus(MainControl control) override;
  void ShowPopup(ItemPopup popup, PopupPlace place) override;
  void MakeFlatToolBars() override;
  void SetCaption(const std::string& caption) override;
  void SetWindowEnabled(bool enabled) override;
  void SetBusy(bool busy) override;
  void SetVisible(bool visible) override;
  void Activate() override;
  void Unload() override;
  void ShowModal(FrmItemEdit& form) override;
  void ShowModal(FrmRunOptions& form) override;
  std::unique_ptr<RunProgressView> MakeProgressView(FrmRunProgress& form) override;
  void ShowModal(FrmAbout& form) override;

  // The window procedures' way back to the window.
  std::intptr_t OnMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam);
  std::intptr_t OnListMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam);
  // Draws the list's hint while it holds no entry.
  void PaintListHint();
  void TellListHint();
  // Opens the window where it was closed last; false when it is not to be.
  bool RestorePlace();
  // Keeps the window's place for the next start.
  void KeepPlace();

 private:
  void BuildControls();
  void BuildMenus();
  void OnCommand(int id, int notification);
  // The control that `focus` is, or is part of, as the form names it.
  MainControl ControlOf(Hwnd focus) const;
  int SelectedRow() const;
  // The control that has the focus, kept while the window is active; given the focus
  // again when the window is active once more and no control has it (after a modal
  // window, or when the window shows again), as a dialog does.
  void RememberFocus();
  void RestoreFocus();

  FrmMain& form_;
  OwnerChanged ownerChanged_;
  Hwnd hwnd_ = nullptr;
  bool closed_ = false;
  bool busy_ = false;
  bool pickPending_ = false;  // an entry of the box's open list, picked when it closes
  // Set while the window shows what the form says: the controls' notifications of it
  // are not the user's.
  bool showing_ = false;
  std::unique_ptr<ToolTips> tips_;
  Hwnd focus_ = nullptr;
  int focusButton_ = -1;  // of a toolbar that had the focus: its marked button

  MadeControls made_;
  Hwnd cboColl_ = nullptr;
  Hwnd lstItems_ = nullptr;
  Hwnd picDetails_ = nullptr;
  std::vector<Hwnd> toolbars_;  // the collection toolbar, then tbItem(0) to tbItem(4)
  HMENU__* menuBar_ = nullptr;
  HMENU__* mnuPopItem1_ = nullptr;
  HMENU__* mnuPopItem2_ = nullptr;
  HACCEL__* accelerators_ = nullptr;
  std::intptr_t listProc_ = 0;  // the list box's own window procedure
  bool listHintTold_ = false;   // the list's hint is its text and description now
};

// Shows the main window on `form` and runs it until it is closed.
void RunMainWindow(FrmMain& form, OwnerChanged ownerChanged);

}  // namespace tavrin::win32
