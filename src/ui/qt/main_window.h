#pragma once

#include <QMainWindow>
#include <functional>

#include "forms/frm_main.h"
#include "ui/qt/window_builder.h"

class QComboBox;
class QDialog;
class QGroupBox;
class QListWidget;
class QMenu;
class QPushButton;
class QToolButton;

namespace tavrin::qt {

class DetailsPane;

// Runs a modal dialog and returns its result; empty: the dialog's own modal loop.
using ModalRunner = std::function<int(QDialog&)>;

// The main window in Qt Widgets: the collection box and its toolbar, the item list with
// its toolbar and popups, the details pane, Execute and Exit, and the menu bar. It
// builds the controls, forwards what the user does to the form, and shows what the form
// tells it.
class MainWindow : public QMainWindow, public MainView {
  Q_OBJECT

 public:
  // Builds the window and loads the form into it. `runModal` runs the item editor and
  // the About box (tests answer them without a modal loop).
  explicit MainWindow(FrmMain& form, ModalRunner runModal = {}, QWidget* parent = nullptr);
  ~MainWindow() override;

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

  // The controls, for the tests.
  QComboBox* cboColl() const { return cboColl_; }
  QListWidget* lstItems() const { return lstItems_; }
  QPushButton* btnExec() const { return btnExec_; }
  QPushButton* btnExit() const { return btnExit_; }
  QToolButton* tbItemButton(int index) const;
  QToolButton* collButton(const std::string& key) const;
  QMenu* mnuPopItem1() const { return mnuPopItem1_; }
  QMenu* mnuPopItem2() const { return mnuPopItem2_; }
  DetailsPane* picDetails() const { return picDetails_; }
  // The control of the window that `control` is; null for none.
  QWidget* Control(MainControl control) const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildControls();
  // What the user does with the collection box, the list and the buttons reaches the form.
  void ConnectCollectionBox();
  void ConnectItemList();
  void ConnectButtons();
  void BuildMenus();
  // The control that `focus` is, or is part of, as the form names it.
  MainControl ControlOf(const QWidget* focus) const;
  // The list's selected row, -1 when none.
  int SelectedRow() const;

  FrmMain& form_;
  ModalRunner runModal_;
  bool unloading_ = false;
  bool boxEditEnding_ = false;  // the box's text reports the end of its editing

  MadeControls made_;
  QSize madeSize_;  // the client area as the layout makes it: the smallest it may be
  QGroupBox* frameColl_ = nullptr;
  QComboBox* cboColl_ = nullptr;
  QWidget* tbColl_ = nullptr;
  std::vector<QWidget*> toolBars_;  // the collection's toolbar, then the item list's
  QGroupBox* frameItems_ = nullptr;
  QListWidget* lstItems_ = nullptr;
  DetailsPane* picDetails_ = nullptr;
  QPushButton* btnExec_ = nullptr;
  QPushButton* btnExit_ = nullptr;
  QMenu* mnuPopItem1_ = nullptr;
  QMenu* mnuPopItem2_ = nullptr;
};

}  // namespace tavrin::qt
