#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "dialogs/common_dialog.h"
#include "forms/form_context.h"
#include "forms/frm_about.h"
#include "forms/frm_item_edit.h"
#include "forms/frm_run_options.h"
#include "forms/frm_run_progress.h"
#include "forms/window_layout.h"

namespace tavrin {

// The controls of the main window, as the form names them to its view.
enum class MainControl {
  None,
  cboColl,
  tbCollOther,  // the collection toolbar's buttons, by their keys
  tbCollSave,
  tbCollDelete,
  tbCollNew,
  lstItems,
  tbItemUp,  // the item toolbar's buttons, tbItem(0) to tbItem(4)
  tbItemEdit,
  tbItemRemove,
  tbItemOpen,
  tbItemDown,
  btnExec,
  btnExit,
};

// The menus of the main window: the three of the menu bar, and the two popup menus of
// the item list.
enum class MainMenu {
  mnuFile,
  mnuOption,  // "&Registry...", "Run &Options..." (enabled while an item is selected)
  mnuHelp,
  mnuPopItem1,  // "&Add...", while no entry is selected
  mnuPopItem2,  // "&Add...", "&Edit...", "&Remove", a separator, "&Open Item",
                // "Run O&ptions..."
};
// A popup menu of the item list: mnuPopItem1 or mnuPopItem2.
using ItemPopup = MainMenu;

// The main window's controls and menus, from which both views make it.
using MainLayout = WindowLayout<MainControl, MainMenu>;
const MainLayout& MainWindowLayout();

// The main window's place on the screen, in the view's pixels: its rectangle when
// neither maximized nor minimized, and whether it is maximized.
struct WindowPlace {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool maximized = false;
  bool operator==(const WindowPlace&) const = default;
};
// A screen's area for windows, in the same pixels: left, top, width, height.
struct ScreenArea {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

// Where a popup menu opens.
enum class PopupPlace {
  AtPointer,    // the right button
  AtSelection,  // the keyboard: below the selected entry, or at the list's corner
};

// What the main window shows, as the form tells it. A view builds the controls,
// forwards what the user does to the form's handlers and shows what it is told here;
// what the form sets raises no handler.
class MainView {
 public:
  virtual ~MainView() = default;

  // The collection box: the entries of its list (the folder's names as bytes, "<None>"
  // first), and the text it shows with the entry that text is (-1 when it is none).
  virtual void SetCollEntries(const std::vector<std::string>& entries) = 0;
  virtual void ShowCollText(const std::string& text, int entry) = 0;

  // The item list: all its entries (none selected), or one entry changed.
  virtual void SetItems(const std::vector<std::string>& names) = 0;
  virtual void InsertItem(int index, const std::string& name) = 0;
  virtual void RemoveItem(int index) = 0;
  virtual void SetItemText(int index, const std::string& name) = 0;
  // Selects entry `index`; -1 selects none.
  virtual void SelectItem(int index) = 0;

  // The details pane's lines; empty clears it.
  virtual void ShowDetails(const std::string& text) = 0;

  virtual void SetEnabled(MainControl control, bool enabled) = 0;
  // Enables or disables entry `index` of a menu of the bar.
  virtual void SetMenuEnabled(MainMenu menu, int index, bool enabled) = 0;
  virtual void SetFocus(MainControl control) = 0;
  virtual void ShowPopup(ItemPopup popup, PopupPlace place) = 0;
  // Gives the toolbars the flat look: no raised frame unless the pointer is over them.
  virtual void MakeFlatToolBars() = 0;

  // The window itself.
  virtual void SetCaption(const std::string& caption) = 0;
  virtual void SetWindowEnabled(bool enabled) = 0;
  // The hourglass pointer over the window.
  virtual void SetBusy(bool busy) = 0;
  // Hides the window, or shows it again as the active window.
  virtual void SetVisible(bool visible) = 0;
  virtual void Activate() = 0;
  // Closes the window, which ends the program; nothing is asked.
  virtual void Unload() = 0;

  // Shows the item editor, the run options dialog or the About box on `form`, modally
  // over this window, and returns when it has been unloaded.
  virtual void ShowModal(FrmItemEdit& form) = 0;
  virtual void ShowModal(FrmRunOptions& form) = 0;
  virtual void ShowModal(FrmAbout& form) = 0;

  // Makes the window that shows a run's progress while it waits (FrmRunProgress), on
  // its own, for Execute; null where it cannot be shown.
  virtual std::unique_ptr<RunProgressView> MakeProgressView(FrmRunProgress& form) = 0;
};

// The main window: picking, editing, reordering, saving and starting collections.
// Its state is the collection state of the context and what the window shows; every
// change to the items changes the list with them, entry k showing Items(k).
class FrmMain {
 public:
  // `commandLine` is the whole command line the program was started with; when it is
  // not empty the collection it named is already in the state and is listed.
  FrmMain(FormContext context, std::string commandLine);

  // The window has been created with its controls: the form fills it.
  void Form_Load(MainView& view);

  // The collection box: the user typed (`text` is what the box now shows), or picked
  // entry `index` of its list.
  void cboColl_Change(const std::string& text);
  void cboColl_Click(int index);
  void tbColl_ButtonClick(MainControl button);

  // The item list: the user selected entry `index` (a click or an arrow key).
  void lstItems_Click(int index);
  void lstItems_DblClick();
  void lstItems_MouseUp(int Button);
  bool lstItems_KeyDown(int KeyCode, int Shift);
  void tbItem_ButtonClick(MainControl button);
  void mnuPItem1_Click();
  void mnuPitem2_Click(int Index);

  void btnExec_Click();
  void btnExit_Click();
  // The window is to close (the close box: kUnloadCloseBox); false keeps it open.
  bool Form_QueryUnload(int UnloadMode);
  void mnuFile_Click(int Index);
  void mnuOption_Click(int Index);
  void mnuHelp_Click(int Index);
  // Entry `index` of `menu` was picked: the menu's own handler runs.
  void MenuClick(MainMenu menu, int index);

  // The place the window had when it was last closed, to open at, moved and cut to lie
  // whole on the screen that shows its top (where its caption is): none when none is
  // kept, when what is kept cannot be read, or when none of `screens` shows that top.
  std::optional<WindowPlace> PlaceToRestore(const std::vector<ScreenArea>& screens);
  // The window closes at `place`: it is kept for the next start (a failure is passed
  // over).
  void Form_Unload(const WindowPlace& place);

  // Key preview: every key of the window, whichever control (`focus`) has the focus.
  // True when the form took the key, so that the control does not get it.
  bool Form_KeyDown(int KeyCode, int Shift, MainControl focus);
  void Form_KeyUp(int KeyCode, int Shift);

  // The operations the handlers share.
  void GetTavrinFiles();
  void CollChanged(bool Changed);
  void ClearItems();
  void EnableItemButtons(bool flag);
  void AddItemsToList();
  void DisplayDetails(int ItemIndex);
  void SubDeleteFile();
  void OpenItemEditor(int ItemIndex, int Position);
  // The run options dialog on the item at `ItemIndex`; OK changes the collection.
  void OpenRunOptions(int ItemIndex);
  void DeleteItem(int index);
  void MoveUp(int ItemIndex);
  void MoveDown(int ItemIndex);

  // What the window shows.
  bool ShiftPressed() const { return shiftPressed_; }
  const std::string& CollText() const { return collText_; }
  int SelectedIndex() const { return selected_; }
  bool Enabled(MainControl control) const;

 private:
  // On the first start in a new, empty collection folder: puts the example collection
  // there and loads it.
  void PutExampleCollection();
  // Selects list entry `index` as the program does: the click behaviour runs.
  void SelectListEntry(int index);
  // Sets the box's text; the Execute button follows it when it changed.
  void SetBoxText(const std::string& text);
  // The Execute button follows the box's text.
  void ExecFollowsBox();
  // The index of the box's entry that is `text` byte for byte; -1 when there is none.
  int CollEntryOf(const std::string& text) const;
  std::string CollectionPath(const std::string& name) const;
  void SetEnabled(MainControl control, bool enabled);
  void PressButton(MainControl button);

  // Loads entry `index` of the box (none for "<None>"), dropping what the list holds.
  void LoadCollEntry(int index);
  // Before unsaved changes would be dropped: asks whether to save them first. True when
  // the caller may go on (saved, or not to be saved).
  bool ChangesMayGo();

  // The collection toolbar's actions.
  void OpenOtherCollection();
  // True when the collection was saved.
  bool SaveCollectionAs();
  void StartNewCollection();
  void CaptureWindows();
  void StopStartedPrograms();
  // The item toolbar's and the popups' actions on the selected item.
  void MoveSelected(int step);
  // Swaps items i and j, in the collection and in the list.
  void SwapEntries(int i, int j);
  void RemoveSelectedItem();
  void OpenSelectedItem(bool allowWait);

  FormContext ctx_;
  std::string commandLine_;
  MainView* view_ = nullptr;
  bool shiftPressed_ = false;
  // The items hold changes that are not saved.
  bool unsaved_ = false;
  OpenFileName OpenFileDlg;
  OpenFileName SaveFileDlg;

  std::vector<std::string> collEntries_;
  std::string collText_;
  int selected_ = -1;
  bool saveEnabled_ = false;
  bool deleteEnabled_ = false;
  bool execEnabled_ = false;
  bool itemButtonsEnabled_ = false;
};

}  // namespace tavrin
