#include "forms/frm_main.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "collection/collfile.h"
#include "collection/item_list.h"
#include "collection/paths.h"
#include "collection/text.h"
#include "forms/details.h"
#include "forms/keys.h"
#include "launch/capture.h"
#include "launch/launch.h"
#include "launch/run_records.h"
#include "launch/stop_request.h"
#include "platform/text_encoding.h"
#include "shellreg/association.h"

namespace tavrin {
namespace {

const char* const kNone = "<None>";
const char* const kNewCollection = "<New Collection>";
const char* const kCurrentCollection = "<Current Collection>";
const char* const kCaption = "The Tavrin";
const char* const kWaitingCaption = "The Tavrin - Waiting for program to finish...";

// The item toolbar's buttons, tbItem(0) to tbItem(4).
constexpr MainControl kItemButtons[] = {MainControl::tbItemUp, MainControl::tbItemEdit,
                                        MainControl::tbItemRemove, MainControl::tbItemOpen,
                                        MainControl::tbItemDown};

// The entries of the popup shown for a selected item.
enum PopItem2 { kPopAdd = 0, kPopEdit = 1, kPopRemove = 2, kPopOpenItem = 4, kPopRunOptions = 5 };
// The name of the collection that the first start puts into a new, empty folder.
constexpr char kExampleCollection[] = "Welcome";

// The window's place as it is kept: "LEFT TOP WIDTH HEIGHT MAXIMIZED", a line.
std::string PlaceText(const WindowPlace& place) {
  return std::to_string(place.left) + " " + std::to_string(place.top) + " " +
         std::to_string(place.width) + " " + std::to_string(place.height) + " " +
         (place.maximized ? "1" : "0") + "\n";
}
std::optional<WindowPlace> ReadPlace(const std::string& text) {
  std::istringstream in(text);
  WindowPlace place;
  int maximized = 0;
  // Beyond this, a size or a position is no window's.
  constexpr int kMost = 1000000;
  if (!(in >> place.left >> place.top >> place.width >> place.height >> maximized) ||
      place.width <= 0 || place.height <= 0 || place.width > kMost || place.height > kMost ||
      std::abs(place.left) > kMost || std::abs(place.top) > kMost ||
      (maximized != 0 && maximized != 1)) {
    return std::nullopt;
  }
  place.maximized = maximized == 1;
  return place;
}
// The most a kept place may take, read.
constexpr std::size_t kMostPlaceBytes = 200;

// How much of a window's top a screen must show for the window to open there again: a
// strip where its caption is, this wide (or the whole width) and this high.
constexpr int kShownWidth = 100;
constexpr int kShownHeight = 20;

// The entries of the File and the Options menu.
enum FileItem { kFileCapture = 0, kFileStop = 1, kFileExit = 3 };
enum OptionItem { kOptionRegistry = 0, kOptionRunOptions = 1 };

}  // namespace

FrmMain::FrmMain(FormContext context, std::string commandLine)
    : ctx_(context), commandLine_(std::move(commandLine)) {}

void FrmMain::Form_Load(MainView& view) {
  view_ = &view;
  // The file association is put back if it is missing; a failure is passed over.
  EnsureRegistered(ctx_.platform);
  // As the window is created: nothing to save or delete.
  SetEnabled(MainControl::tbCollSave, false);
  SetEnabled(MainControl::tbCollDelete, false);
  GetTavrinFiles();
  EnableItemButtons(false);
  if (!commandLine_.empty()) {
    AddItemsToList();
    SetBoxText(BaseName(commandLine_));
    // Opened with a collection file: it can be saved and deleted.
    SetEnabled(MainControl::tbCollDelete, true);
    SetEnabled(MainControl::tbCollSave, true);
  } else {
    PutExampleCollection();
  }
  view.MakeFlatToolBars();
}

void FrmMain::PutExampleCollection() {
  const std::string folder = ctx_.platform.system.CollectionFolder();
  if (collEntries_.size() != 1 || !ctx_.platform.files.ListFiles(folder, "").empty()) return;
  CollectionState example;
  example.Items.clear();
  for (const SystemInfo::ExampleItem& item : ctx_.platform.system.ExampleItems()) {
    CollItem added;
    added.File = item.file;
    added.ItemName = item.name;
    added.WinStyle = kStyleNormal;
    example.Items.push_back(std::move(added));
  }
  if (example.Items.empty()) return;
  const std::string path = folder + kNativeSeparator + kExampleCollection + kCollExt;
  if (SaveCollectionFile(example, path, ctx_.platform.files)) return;
  GetTavrinFiles();
  cboColl_Click(CollEntryOf(kExampleCollection));
}

bool FrmMain::Enabled(MainControl control) const {
  switch (control) {
    case MainControl::tbCollSave:
      return saveEnabled_;
    case MainControl::tbCollDelete:
      return deleteEnabled_;
    case MainControl::btnExec:
      return execEnabled_;
    case MainControl::tbItemUp:
    case MainControl::tbItemEdit:
    case MainControl::tbItemRemove:
    case MainControl::tbItemOpen:
    case MainControl::tbItemDown:
      return itemButtonsEnabled_;
    default:
      return true;
  }
}

void FrmMain::SetEnabled(MainControl control, bool enabled) {
  switch (control) {
    case MainControl::tbCollSave:
      saveEnabled_ = enabled;
      break;
    case MainControl::tbCollDelete:
      // Delete and "Stop Started Programs" both need the collection's file.
      deleteEnabled_ = enabled;
      view_->SetMenuEnabled(MainMenu::mnuFile, kFileStop, enabled);
      break;
    case MainControl::btnExec:
      execEnabled_ = enabled;
      break;
    default:
      break;
  }
  view_->SetEnabled(control, enabled);
}

// --- The collection box ------------------------------------------------------------

int FrmMain::CollEntryOf(const std::string& text) const {
  const auto found = std::find(collEntries_.begin(), collEntries_.end(), text);
  return found == collEntries_.end() ? -1 : static_cast<int>(found - collEntries_.begin());
}

std::string FrmMain::CollectionPath(const std::string& name) const {
  return ctx_.platform.system.CollectionFolder() + kNativeSeparator + name + kCollExt;
}

void FrmMain::SetBoxText(const std::string& text) {
  const bool changed = text != collText_;
  collText_ = text;
  // The entry the box shows is its current one, so that the arrow keys go on from
  // there; a text that is no entry ("<Current Collection>") leaves none current.
  view_->ShowCollText(text, CollEntryOf(text));
  if (changed) ExecFollowsBox();
}

void FrmMain::ExecFollowsBox() {
  SetEnabled(MainControl::btnExec, collText_ != kNone && collText_ != kNewCollection);
}

void FrmMain::GetTavrinFiles() {
  collEntries_ = {kNone};
  std::vector<std::string> names;
  const std::string folder = ctx_.platform.system.CollectionFolder();
  for (const std::string& file : ctx_.platform.files.ListFiles(folder, kCollExt)) {
    names.push_back(BaseName(file));
  }
  // In name order, whatever order the system lists the folder in.
  std::sort(names.begin(), names.end(), NameLess);
  collEntries_.insert(collEntries_.end(), names.begin(), names.end());
  view_->SetCollEntries(collEntries_);
  SetBoxText(kNone);
  ExecFollowsBox();
}

void FrmMain::cboColl_Change(const std::string& text) {
  collText_ = text;
  ExecFollowsBox();
}

void FrmMain::cboColl_Click(int index) {
  if (index < 0 || index >= static_cast<int>(collEntries_.size())) return;
  const std::string entry = collEntries_[static_cast<std::size_t>(index)];
  if (!ChangesMayGo()) {
    // The box goes back to the collection that was kept.
    SetBoxText(kCurrentCollection);
    return;
  }
  // A save may have listed a new entry before the one picked.
  LoadCollEntry(CollEntryOf(entry));
}

void FrmMain::LoadCollEntry(int index) {
  if (index < 0 || index >= static_cast<int>(collEntries_.size())) return;
  // The pick shows its entry (the box may have done so already).
  const std::string entry = collEntries_[static_cast<std::size_t>(index)];
  SetBoxText(entry);
  CollChanged(false);
  ClearItems();
  if (index > 0) {
    // The file is named by the entry's bytes as the folder listed them.
    const std::string path = CollectionPath(entry);
    OfferSavedCopy(path, path, ctx_.platform);
    const LoadResult result = ReadCollectionFile(ctx_.state, path, ctx_.platform.files);
    if (result != LoadOk && !ReportLoadResult(result, path, ctx_.state, ctx_.platform)) return;
    ReportDamagedOptions(ctx_.state, path, ctx_.platform);
    AddItemsToList();
    ctx_.state.CurrentCollFile = path;
    SetEnabled(MainControl::tbCollDelete, true);
    SetEnabled(MainControl::tbCollSave, true);
  }
  if (collText_ == kNone || collText_ == kNewCollection) {
    ctx_.state.CurrentCollFile.clear();
    SetEnabled(MainControl::btnExec, false);
    SetEnabled(MainControl::tbCollDelete, false);
    SetEnabled(MainControl::tbCollSave, false);
    EnableItemButtons(false);
  } else {
    SetEnabled(MainControl::btnExec, true);
  }
}

void FrmMain::CollChanged(bool Changed) {
  unsaved_ = Changed;
  SetEnabled(MainControl::tbCollDelete, false);
  SetEnabled(MainControl::tbCollSave, Changed);
  if (Changed) SetBoxText(kCurrentCollection);
}

// --- The collection toolbar --------------------------------------------------------

void FrmMain::tbColl_ButtonClick(MainControl button) {
  switch (button) {
    case MainControl::tbCollOther:
      OpenOtherCollection();
      break;
    case MainControl::tbCollSave:
      SaveCollectionAs();
      break;
    case MainControl::tbCollDelete:
      SubDeleteFile();
      break;
    case MainControl::tbCollNew:
      StartNewCollection();
      break;
    default:
      break;
  }
}

bool FrmMain::ChangesMayGo() {
  if (!unsaved_) return true;
  const std::string& file = ctx_.state.CurrentCollFile;
  const std::string name = file.empty() ? "The new collection" : BaseName(file);
  switch (
      ctx_.platform.toolkit.MsgBox(name + " has changes that are not saved.\n\nSave them first?",
                                   kStyleQuestionYesNoCancel, kCaption)) {
    case kAnswerYes:
      return SaveCollectionAs();
    case kAnswerNo:
      return true;
    default:
      return false;
  }
}

void FrmMain::OpenOtherCollection() {
  if (!ChangesMayGo()) return;
  if (!ShowOpenDialog(OpenFileDlg, 1, ctx_.dialogs)) return;
  const std::string path = CutAtNull(OpenFileDlg.lpstrFile);
  // A load that stops leaves the collection shown before: list and items agree.
  const std::vector<CollItem> previous = ctx_.state.Items;
  OfferSavedCopy(path, FilePart(path), ctx_.platform);
  const LoadResult result = ReadCollectionFile(ctx_.state, path, ctx_.platform.files);
  if (result != LoadOk &&
      !ReportLoadResult(result, FilePart(path), ctx_.state, ctx_.platform, path)) {
    ctx_.state.Items = previous;
    return;
  }
  ReportDamagedOptions(ctx_.state, FilePart(path), ctx_.platform);
  unsaved_ = false;
  AddItemsToList();
  SetBoxText(BaseName(path));
  ctx_.state.CurrentCollFile = path;
  SetEnabled(MainControl::tbCollDelete, true);
  SetEnabled(MainControl::tbCollSave, true);
}

bool FrmMain::SaveCollectionAs() {
  SaveFileDlg.lpstrInitialDir = ctx_.platform.system.CollectionFolder();
  const std::string proposal =
      collText_ == kCurrentCollection ? ctx_.state.CurrentCollFile : collText_;
  const std::size_t used = collText_.size();
  SaveFileDlg.lpstrFile = proposal + std::string(used < 1024 ? 1024 - used : 0, ' ');
  // The form asks before a file is replaced, and not when it is the collection's own.
  if (!ShowSaveDialog(SaveFileDlg, ctx_.dialogs, false)) return false;
  const std::string chosen = CutAtNull(SaveFileDlg.lpstrFile);
  const std::string target = ForceCollExt(chosen);
  SystemInfo& system = ctx_.platform.system;
  if (system.PathCase(target) != system.PathCase(ctx_.state.CurrentCollFile) &&
      ctx_.platform.files.Exists(target) && !AskToReplace(FilePart(target), ctx_.platform)) {
    return false;
  }
  if (SaveCollectionFile(ctx_.state, chosen, ctx_.platform.files)) {
    // Named by the box's list entry; by the chosen file when the box shows none.
    const int entry = CollEntryOf(collText_);
    const std::string name = entry > 0 ? collEntries_[static_cast<std::size_t>(entry)] + kCollExt
                                       : FilePart(ForceCollExt(chosen));
    ctx_.platform.toolkit.MsgBox(name + "\n\nThe Tavrin was unable to save this file!!",
                                 kStyleCriticalOk, kErrorCaption);
    return false;
  }
  GetTavrinFiles();
  SetBoxText(BaseName(ForceCollExt(chosen)));
  ctx_.state.CurrentCollFile = ForceCollExt(chosen);
  unsaved_ = false;
  SetEnabled(MainControl::tbCollDelete, true);
  return true;
}

void FrmMain::SubDeleteFile() {
  const std::string& file = ctx_.state.CurrentCollFile;
  if (file.empty()) return;  // nothing to delete
  // In lower case as the system lowers its paths (where their case does not count).
  const std::string shown = ctx_.platform.system.PathCase(file);
  // To the trash, from which it can be taken back; only where there is none, a question.
  int error = ctx_.platform.files.TrashFile(file);
  if (error == kNoTrash) {
    if (ctx_.platform.toolkit.MsgBox(
            shown + "\n\nThis folder has no trash: the file would be deleted "
                    "for good.\nDo you want to delete it?",
            kStyleQuestionYesNo + kStyleDefaultButton2, kQuestionCaption) != kAnswerYes) {
      return;
    }
    error = ctx_.platform.files.DeleteFile(file);
  }
  if (error != 0) {
    ctx_.platform.toolkit.MsgBox(shown + "\n\nError " + std::to_string(error), kStyleCriticalOk,
                                 kErrorCaption);
    return;
  }
  ClearItems();
  unsaved_ = false;
  SetEnabled(MainControl::tbCollDelete, false);
  GetTavrinFiles();
}

void FrmMain::StartNewCollection() {
  if (!ChangesMayGo()) return;
  unsaved_ = false;
  ctx_.state.ResetItems();
  ClearItems();
  SetEnabled(MainControl::tbCollSave, false);
  SetEnabled(MainControl::tbCollDelete, false);
  EnableItemButtons(false);
  SetBoxText(kNewCollection);
  ctx_.state.CurrentCollFile.clear();
}

// --- The item list and the details pane --------------------------------------------

void FrmMain::ClearItems() {
  view_->ShowDetails("");
  view_->SetItems({});
  selected_ = -1;
  EnableItemButtons(false);
  ctx_.state.HasItems = false;
}

void FrmMain::EnableItemButtons(bool flag) {
  itemButtonsEnabled_ = flag;
  for (MainControl button : kItemButtons) view_->SetEnabled(button, flag);
  view_->SetMenuEnabled(MainMenu::mnuOption, kOptionRunOptions, flag);
}

void FrmMain::AddItemsToList() {
  ClearItems();
  std::vector<std::string> names;
  names.reserve(ctx_.state.Items.size());
  for (const CollItem& item : ctx_.state.Items) names.push_back(WindowText(item.ItemName));
  view_->SetItems(names);
  ctx_.state.HasItems = true;
}

void FrmMain::DisplayDetails(int ItemIndex) {
  if (!IsListedIndex(ctx_.state, ItemIndex)) return;
  const CollItem& item = ctx_.state.Items[static_cast<std::size_t>(ItemIndex)];
  // The type of what the start would open.
  const ResolvedFile resolved = ResolveItemFile(item.File, ctx_.state, ctx_.platform);
  const std::string type = ctx_.platform.system.FileTypeDescription(resolved.path);
  view_->ShowDetails(DetailsText(item, ItemIndex, type, ItemFileFolder(item.File, resolved),
                                 ctx_.platform.system));
}

void FrmMain::SelectListEntry(int index) {
  if (!IsListedIndex(ctx_.state, index)) index = -1;
  view_->SelectItem(index);
  lstItems_Click(index);
}

void FrmMain::lstItems_Click(int index) {
  selected_ = IsListedIndex(ctx_.state, index) ? index : -1;
  // With no entry selected (a click below the last one, a Ctrl+click on the selected
  // one) there is nothing for the item buttons to act on and nothing to describe.
  if (selected_ < 0) {
    view_->ShowDetails("");
    EnableItemButtons(false);
    return;
  }
  DisplayDetails(selected_);
  EnableItemButtons(true);
}

void FrmMain::lstItems_DblClick() {
  const int i = selected_;
  if (i < 0) return;
  OpenItemEditor(i, i);
  DisplayDetails(i);
  view_->SetFocus(MainControl::lstItems);
  SelectListEntry(i);
}

bool FrmMain::lstItems_KeyDown(int KeyCode, int Shift) {
  if (KeyCode == kKeyDelete) {
    RemoveSelectedItem();
    return true;
  }
  // The first arrow key with nothing selected selects the first entry, whichever entry
  // the list's own cursor stands on.
  if ((KeyCode == kKeyDown || KeyCode == kKeyUp) && Shift == 0 && selected_ < 0 &&
      ListedCount(ctx_.state) > 0) {
    SelectListEntry(0);
    return true;
  }
  // The keyboard's way to the popup of the right button: the Menu key or Shift+F10,
  // at the selected entry.
  if (KeyCode == kKeyApps || (KeyCode == kKeyF10 && Shift == kShiftMask)) {
    view_->ShowPopup(selected_ < 0 ? ItemPopup::mnuPopItem1 : ItemPopup::mnuPopItem2,
                     PopupPlace::AtSelection);
    return true;
  }
  return false;
}

void FrmMain::lstItems_MouseUp(int Button) {
  // The right button leaves the selection as it is.
  if (Button != kRightButton) return;
  view_->ShowPopup(selected_ < 0 ? ItemPopup::mnuPopItem1 : ItemPopup::mnuPopItem2,
                   PopupPlace::AtPointer);
}

// --- Items: adding, editing, removing, moving and opening them ---------------------

void FrmMain::OpenItemEditor(int ItemIndex, int Position) {
  CollectionState& st = ctx_.state;
  EditExchange& ex = ctx_.edit;
  const bool adding = ItemIndex == -1;
  // Calls outside what the list shows are refused without a change.
  if (adding) {
    if (Position < 0 || Position > ListedCount(st)) return;
    ex.EditItem.File.clear();
    ex.EditItem.Params.clear();
    ex.EditItem.ItemName = "New Item";
    ex.EditItem.WinStyle = kStyleNormal;
    // Wait keeps the setting of the item last shown in the editor; the run options of
    // that item stay with it.
    ex.EditItem.Options.clear();
  } else {
    if (!IsListedIndex(st, ItemIndex)) return;
    ex.EditItem = st.Items[static_cast<std::size_t>(ItemIndex)];
  }
  {
    FrmItemEdit editor(ctx_);
    view_->ShowModal(editor);
  }
  if (!ex.EditCancelled) {
    if (adding) {
      InsertItem(st, Position, ex.EditItem);
      view_->InsertItem(Position, WindowText(ex.EditItem.ItemName));
      // The selection stays on its item, which moves down when the new one goes above.
      if (selected_ >= Position) ++selected_;
    } else {
      ReplaceItem(st, ItemIndex, ex.EditItem);
      view_->SetItemText(ItemIndex, WindowText(ex.EditItem.ItemName));
    }
    CollChanged(true);
  }
  ex.EditCancelled = false;
}

void FrmMain::OpenRunOptions(int ItemIndex) {
  CollectionState& st = ctx_.state;
  EditExchange& ex = ctx_.edit;
  if (!IsListedIndex(st, ItemIndex)) return;
  ex.EditItem = st.Items[static_cast<std::size_t>(ItemIndex)];
  {
    FrmRunOptions dialog(ctx_);
    view_->ShowModal(dialog);
  }
  if (!ex.EditCancelled && ex.EditItem != st.Items[static_cast<std::size_t>(ItemIndex)]) {
    ReplaceItem(st, ItemIndex, ex.EditItem);
    CollChanged(true);
    DisplayDetails(ItemIndex);
  }
  ex.EditCancelled = false;
}

void FrmMain::DeleteItem(int index) { RemoveItem(ctx_.state, index); }

void FrmMain::MoveUp(int ItemIndex) { SwapEntries(ItemIndex, ItemIndex - 1); }

void FrmMain::MoveDown(int ItemIndex) { SwapEntries(ItemIndex, ItemIndex + 1); }

void FrmMain::SwapEntries(int i, int j) {
  if (!SwapItems(ctx_.state, i, j)) return;
  // The entries are rewritten in place, so the list's selected index stays.
  for (const int k : {i, j}) {
    view_->SetItemText(k, WindowText(ctx_.state.Items[static_cast<std::size_t>(k)].ItemName));
  }
}

void FrmMain::MoveSelected(int step) {
  const int i = selected_;
  // Up on the first entry, Down on the last, or no selection: nothing, not even the mark.
  if (!IsListedIndex(ctx_.state, i) || !IsListedIndex(ctx_.state, i + step)) return;
  if (step < 0) {
    MoveUp(i);
  } else {
    MoveDown(i);
  }
  CollChanged(true);
  view_->SetFocus(MainControl::lstItems);
  SelectListEntry(i + step);
}

void FrmMain::RemoveSelectedItem() {
  const int count = ListedCount(ctx_.state);
  if (count == 0) return;
  if (count == 1) {
    // Removing the only item leaves no collection.
    LoadCollEntry(0);
    return;
  }
  const int i = selected_;
  if (!IsListedIndex(ctx_.state, i)) return;
  DeleteItem(i);
  view_->RemoveItem(i);
  selected_ = -1;
  view_->ShowDetails("");
  CollChanged(true);
  view_->SetFocus(MainControl::lstItems);
  SelectListEntry(ListedCount(ctx_.state) == i ? i - 1 : i);
}

void FrmMain::OpenSelectedItem(bool allowWait) {
  const int i = selected_;
  if (!IsListedIndex(ctx_.state, i)) return;
  const CollItem item = ctx_.state.Items[static_cast<std::size_t>(i)];
  const bool waited = allowWait && item.Wait != 0;
  if (waited) {
    view_->SetCaption(kWaitingCaption);
    view_->SetWindowEnabled(false);
  }
  if (allowWait) view_->SetBusy(true);
  // Shows the waiting state before the launcher's thread blocks.
  ctx_.platform.toolkit.DoEvents();
  const int32_t result =
      LaunchItem(item.File, item.Params, item.WinStyle, waited ? item.Wait : kFalse,
                 ItemBaseFolder(ctx_.state, ctx_.platform.system), ctx_.platform.shell);
  ctx_.platform.toolkit.DoEvents();
  if (allowWait) view_->SetBusy(false);
  if (waited) {
    view_->SetCaption(kCaption);
    view_->SetWindowEnabled(true);
    view_->Activate();
  }
  if (LaunchFailed(result, waited)) {
    ShowLaunchFailure(item.File, LaunchErrorText(result, waited, ctx_.platform.shell),
                      ctx_.platform.toolkit, ctx_.platform.system);
  }
  ctx_.platform.toolkit.DoEvents();
}

void FrmMain::tbItem_ButtonClick(MainControl button) {
  switch (button) {
    case MainControl::tbItemUp:
      MoveSelected(-1);
      break;
    case MainControl::tbItemEdit:
      lstItems_DblClick();
      break;
    case MainControl::tbItemRemove:
      RemoveSelectedItem();
      break;
    case MainControl::tbItemOpen:
      OpenSelectedItem(true);
      break;
    case MainControl::tbItemDown:
      MoveSelected(+1);
      break;
    default:
      break;
  }
}

void FrmMain::mnuPItem1_Click() { OpenItemEditor(-1, ListedCount(ctx_.state)); }

void FrmMain::mnuPitem2_Click(int Index) {
  switch (Index) {
    case kPopAdd:
      if (selected_ >= 0) OpenItemEditor(-1, selected_ + 1);
      break;
    case kPopEdit:
      lstItems_DblClick();
      break;
    case kPopRemove:
      RemoveSelectedItem();
      break;
    case kPopOpenItem:
      OpenSelectedItem(false);
      break;
    case kPopRunOptions:
      OpenRunOptions(selected_);
      break;
    default:
      break;
  }
}

// --- Execute, Exit, the menus and the keys -----------------------------------------

void FrmMain::btnExec_Click() {
  const bool KeepWindow = shiftPressed_;
  view_->SetVisible(false);
  // What runs is what the list shows: nothing while it is empty (no collection, or a
  // pick that could not be loaded), even when records of an earlier one remain.
  if (ctx_.state.HasItems) {
    FrmRunProgress progress(ctx_.platform.toolkit,
                            [this](FrmRunProgress& form) { return view_->MakeProgressView(form); },
                            {});
    // What the run notes (a window given up on) is told in one box once it has ended:
    // a box meanwhile would hold up the windows still to be placed.
    std::string notes;
    progress.SetNoteOut([&notes](const RunWait& where, const std::string& text) {
      notes += (notes.empty() ? "" : "\n") + std::string("item ") + std::to_string(where.position) +
               " \"" + where.itemName + "\": " + text;
    });
    RunAllItems(ctx_.state, ctx_.platform, {}, nullptr, &progress);
    if (!notes.empty()) {
      const std::string& file = ctx_.state.CurrentCollFile;
      ctx_.platform.toolkit.MsgBox((file.empty() ? "" : file + "\n\n") + notes, kStyleExclamationOk,
                                   kErrorCaption);
    }
  }
  // The Cancel of the progress window stopped the run, and asks nothing more.
  if (StopRequested() && StopSignal() == 0) ClearStopRequest();
  // A request to end the program (a termination signal) that came meanwhile is not
  // answered by showing the window again.
  if (KeepWindow && !StopRequested()) {
    view_->SetVisible(true);
  } else {
    view_->Unload();
  }
}

void FrmMain::btnExit_Click() {
  if (ChangesMayGo()) view_->Unload();
}

std::optional<WindowPlace> FrmMain::PlaceToRestore(const std::vector<ScreenArea>& screens) {
  std::string text;
  const std::string file = ctx_.platform.system.WindowPlaceFile();
  if (!file.empty()) {
    if (std::unique_ptr<InFile> in = ctx_.platform.files.OpenForReading(file)) {
      text.resize(kMostPlaceBytes);
      const long got = in->Read(text.data(), text.size());
      text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    }
  }
  if (text.empty()) text = ctx_.platform.system.WindowPlaceKeptElsewhere();
  std::optional<WindowPlace> place = ReadPlace(text);
  if (!place) return std::nullopt;
  for (const ScreenArea& screen : screens) {
    const int left = std::max(place->left, screen.left);
    const int right = std::min(place->left + place->width, screen.left + screen.width);
    const int top = std::max(place->top, screen.top);
    const int bottom = std::min(place->top + kShownHeight, screen.top + screen.height);
    if (right - left < std::min(kShownWidth, place->width) || bottom - top < kShownHeight) {
      continue;
    }
    // A screen that has become smaller since holds the window whole again.
    place->width = std::min(place->width, screen.width);
    place->height = std::min(place->height, screen.height);
    place->left = std::clamp(place->left, screen.left, screen.left + screen.width - place->width);
    place->top = std::clamp(place->top, screen.top, screen.top + screen.height - place->height);
    return place;
  }
  return std::nullopt;
}

void FrmMain::Form_Unload(const WindowPlace& place) {
  const std::string text = PlaceText(place);
  const std::string file = ctx_.platform.system.WindowPlaceFile();
  if (file.empty() || !SaveWholeFile(ctx_.platform.files, file, text)) {
    ctx_.platform.system.KeepWindowPlaceElsewhere(text);
  }
}

void FrmMain::mnuFile_Click(int Index) {
  if (Index == kFileCapture) CaptureWindows();
  if (Index == kFileStop) StopStartedPrograms();
  if (Index == kFileExit) btnExit_Click();
}

void FrmMain::CaptureWindows() {
  // What --capture would write, as a new collection that is not saved yet; the windows
  // left out are told in one box once it shows. Only a capture that has items asks
  // about the collection it would replace.
  const Capture capture = CaptureOpenWindows(ctx_.platform.system.Windows());
  Toolkit& toolkit = ctx_.platform.toolkit;
  if (!capture.listed || capture.items.empty()) {
    toolkit.MsgBox(capture.listed ? "No window of your programs is open."
                                  : std::string("The open windows cannot be captured: ") +
                                        kCannotCaptureText + ".",
                   kStyleExclamationOk, kCaption);
    return;
  }
  if (!ChangesMayGo()) return;
  ctx_.state.Items = capture.items;
  ctx_.state.CurrentCollFile.clear();
  AddItemsToList();
  CollChanged(true);
  if (capture.notes.empty()) return;
  std::string text = "These windows were left out:\n";
  for (const std::string& note : capture.notes) text += "\n" + WindowText(note);
  toolkit.MsgBox(text, kStyleExclamationOk, kCaption);
}

void FrmMain::StopStartedPrograms() {
  // What the runs of the collection's file started is ended as --stop ends it, and one
  // box says how each went; what does not end when asked may then be ended by force.
  const std::string file = ctx_.state.CurrentCollFile;
  if (file.empty() || !deleteEnabled_) return;
  for (const bool force : {false, true}) {
    std::ostringstream lines;
    std::string problem;
    // Asked once already and waited for, what still runs is ended at once by force.
    const bool ended = StopRun(file, force, ctx_.platform.system, ctx_.platform.files, lines,
                               problem, force ? 0 : kStopWait);
    std::string text = lines.str();
    std::replace(text.begin(), text.end(), '\t', ' ');
    if (!problem.empty()) {
      text += (text.empty() ? "" : "\n") + problem;
    } else if (text.empty()) {
      text = "No run of it has started a program that is known.";
    }
    const std::string name = BaseName(file);
    ctx_.platform.toolkit.MsgBox(name + "\n\n" + text,
                                 ended ? kStyleInformationOk : kStyleExclamationOk, kCaption);
    // A line's verdict stands after its last tab (a name's own tabs are escaped).
    const std::string stillRuns =
        std::string("\t") + StopVerdictText(StopVerdict::kStillRunning) + "\n";
    if (ended || force || lines.str().find(stillRuns) == std::string::npos) return;
    if (ctx_.platform.toolkit.MsgBox("End them by force?",
                                     kStyleQuestionYesNo + kStyleDefaultButton2,
                                     kQuestionCaption) != kAnswerYes) {
      return;
    }
  }
}

bool FrmMain::Form_QueryUnload(int UnloadMode) {
  return UnloadMode != kUnloadCloseBox || ChangesMayGo();
}

void FrmMain::mnuOption_Click(int Index) {
  if (Index == kOptionRunOptions) {
    if (itemButtonsEnabled_) OpenRunOptions(selected_);
    return;
  }
  ::tavrin::mnuOption_Click(static_cast<int16_t>(Index), ctx_.platform);
}

void FrmMain::mnuHelp_Click(int) {
  FrmAbout about(ctx_);
  view_->ShowModal(about);
}

void FrmMain::MenuClick(MainMenu menu, int index) {
  switch (menu) {
    case MainMenu::mnuFile:
      mnuFile_Click(index);
      break;
    case MainMenu::mnuOption:
      mnuOption_Click(index);
      break;
    case MainMenu::mnuHelp:
      mnuHelp_Click(index);
      break;
    case MainMenu::mnuPopItem1:
      mnuPItem1_Click();
      break;
    case MainMenu::mnuPopItem2:
      mnuPitem2_Click(index);
      break;
  }
}

bool FrmMain::Form_KeyDown(int KeyCode, int Shift, MainControl focus) {
  if (Shift != 0) shiftPressed_ = true;
  if (focus == MainControl::lstItems && lstItems_KeyDown(KeyCode, Shift)) return true;
  // Up and Down in the closed collection box pick the entry before or after the one it
  // shows (from "<None>" when it shows a text that is no entry).
  if (focus == MainControl::cboColl && (KeyCode == kKeyUp || KeyCode == kKeyDown) && Shift == 0) {
    const int next = CollEntryOf(collText_) + (KeyCode == kKeyDown ? 1 : -1);
    if (next >= 0 && next < static_cast<int>(collEntries_.size())) cboColl_Click(next);
    return true;
  }
  // The window's own keys, ahead of the control that has the focus (a control that
  // claims a key, as a text box claims Ctrl+X, would keep it from the menu).
  if (KeyCode == kKeyX && Shift == kCtrlMask) {
    mnuFile_Click(kFileExit);
    return true;
  }
  if (KeyCode == kKeyF1 && Shift == 0) {
    mnuHelp_Click(0);
    return true;
  }
  if (KeyCode == kKeyEscape && Shift == 0) {
    btnExit_Click();
    return true;
  }
  // Enter presses the focused button, otherwise Execute. With Shift (or Ctrl) held it
  // does the same, and the window stays open after a run, as after a Shift-click.
  if (KeyCode == kKeyReturn && (Shift & kAltMask) == 0) {
    switch (focus) {
      case MainControl::None:
      case MainControl::cboColl:
      case MainControl::lstItems:
        PressButton(MainControl::btnExec);
        break;
      default:
        PressButton(focus);
        break;
    }
    return true;
  }
  return false;
}

void FrmMain::Form_KeyUp(int, int) { shiftPressed_ = false; }

void FrmMain::PressButton(MainControl button) {
  if (!Enabled(button)) return;
  switch (button) {
    case MainControl::tbCollOther:
    case MainControl::tbCollSave:
    case MainControl::tbCollDelete:
    case MainControl::tbCollNew:
      tbColl_ButtonClick(button);
      break;
    case MainControl::btnExec:
      btnExec_Click();
      break;
    case MainControl::btnExit:
      btnExit_Click();
      break;
    default:
      tbItem_ButtonClick(button);
      break;
  }
}

}  // namespace tavrin
