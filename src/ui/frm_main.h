#pragma once

#include <QMainWindow>
#include <string>

#include "dialogs/common_dialog.h"
#include "ui/ui_context.h"

class QComboBox;
class QGroupBox;
class QListWidget;
class QMenu;
class QPushButton;
class QToolButton;

namespace tavrin {

class DetailsPane;

// The key codes the window's key handlers take.
inline constexpr int kKeyReturn = 13;
inline constexpr int kKeyDelete = 46;
inline constexpr int kKeyApps = 93;  // the Menu key
inline constexpr int kKeyF10 = 121;

// The main window: the collection box and its toolbar, the item list with its
// toolbar, the details pane, and Execute and Exit.
class FrmMain : public QMainWindow {
  Q_OBJECT

 public:
  // `commandLine` is the whole command line the program was started with; when it is
  // not empty the collection it named is already in the state and is listed.
  FrmMain(UiContext context, std::string commandLine, QWidget* parent = nullptr);
  ~FrmMain() override;

  // Enables a collection toolbar button by its key ("Other", "Save", "Delete", "New").
  void SetCollButtonEnabled(const std::string& key, bool enabled);
  bool CollButtonEnabled(const std::string& key) const;

  // The handlers and operations of the window, callable as the user's gestures call
  // them.
  void GetTavrinFiles();
  void cboColl_Change();
  void cboColl_Click(int index);
  void CollChanged(bool Changed);
  void ClearItems();
  void EnableItemButtons(bool flag);
  void AddItemsToList();
  void DisplayDetails(int ItemIndex);
  void lstItems_Click();
  void tbColl_ButtonClick(const std::string& key);
  void SubDeleteFile();
  void btnExec_Click();
  void btnExit_Click();
  void mnuFile_Click(int Index);
  void mnuOption_Click(int Index);
  void mnuHelp_Click(int Index);
  void MakeFlatToolBars();

  // Items: adding, editing, removing, moving and opening them.
  void OpenItemEditor(int ItemIndex, int Position);
  void DeleteItem(int index);
  void MoveUp(int ItemIndex);
  void MoveDown(int ItemIndex);
  void tbItem_ButtonClick(int Index, const std::string& key);
  void mnuPItem1_Click();
  void mnuPitem2_Click(int Index);
  void lstItems_DblClick();
  // A key going down in the item list; true when the list is not to handle it itself.
  bool lstItems_KeyDown(int KeyCode, int Shift);
  void lstItems_MouseUp(int Button);

  // The list's selected index; -1 when none.
  int SelectedIndex() const;
  // Selects list entry `index` as the program does: the click behaviour runs.
  void SelectListEntry(int index);
  // Selects entry `index` of the collection box's list as the program does.
  void SelectCollEntry(int index);

  bool ShiftPressed() const { return shiftPressed_; }
  std::string DetailsShown() const;

  // The controls, for the tests and the item operations.
  QComboBox* cboColl() const { return cboColl_; }
  QListWidget* lstItems() const { return lstItems_; }
  QPushButton* btnExec() const { return btnExec_; }
  QPushButton* btnExit() const { return btnExit_; }
  QToolButton* tbItemButton(int index) const { return tbItem_[index]; }
  QToolButton* collButton(const std::string& key) const;
  QMenu* mnuPopItem1() const { return mnuPopItem1_; }
  QMenu* mnuPopItem2() const { return mnuPopItem2_; }
  DetailsPane* picDetails() const { return picDetails_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildControls();
  // The frames' controls, moved down by `extra` pixels for the frames' captions.
  void BuildCollectionFrame(int extra);
  void BuildItemFrame(int extra);
  void BuildDetailsFrame(int extra);
  // Execute and Exit, `below` pixels lower than the twips layout puts them.
  void BuildButtons(QWidget* client, int below);
  void BuildMenus();
  void Form_Load();
  void Form_KeyDown(int KeyCode, int Shift);
  void Form_KeyUp(int KeyCode, int Shift);
  std::string CollectionPath(const std::string& name);
  QString BoxText() const;
  // Sets the box's text (cboColl_Change runs when it changes) and makes the entry of
  // that text the current one.
  void SetBoxText(const std::string& text);
  // The index of the box's entry that reads `text` exactly; -1 when there is none.
  int CollEntryOf(const std::string& text) const;
  void RemoveSelectedItem();
  void SwapItems(int i, int j);
  void OpenSelectedItem(bool allowWait);
  // The access key of a frame ("Tavrin &Collection", "Tavrin &Items").
  void FrameAccessKey(const QGroupBox* frame);
  // Shows the item popup at `at`: the one for a selected entry, or the one for none.
  void ShowItemPopup(const QPoint& at);

  UiContext ctx_;
  std::string commandLine_;
  bool shiftPressed_ = false;
  bool unloading_ = false;
  bool boxEditEnding_ = false;  // the box's text reports the end of its editing
  OpenFileName OpenFileDlg;
  OpenFileName SaveFileDlg;

  QGroupBox* frameColl_ = nullptr;
  QComboBox* cboColl_ = nullptr;
  QWidget* tbColl_ = nullptr;
  QGroupBox* frameItems_ = nullptr;
  QListWidget* lstItems_ = nullptr;
  QWidget* tbItemBars_[5] = {};
  QToolButton* tbItem_[5] = {};
  QGroupBox* frameDetails_ = nullptr;
  DetailsPane* picDetails_ = nullptr;
  QPushButton* btnExec_ = nullptr;
  QPushButton* btnExit_ = nullptr;
  QMenu* mnuPopItem1_ = nullptr;
  QMenu* mnuPopItem2_ = nullptr;
};

}  // namespace tavrin
