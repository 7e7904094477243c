#include "forms/frm_main.h"

namespace tavrin {
namespace {

using Control = ControlLayout<MainControl>;
using Button = ToolButtonLayout<MainControl>;
using K = ControlKind;
using M = MainControl;

constexpr FontSize kBig{12, true};

constexpr Button kCollButtons[] = {
    {M::tbCollOther, "Other", "cOpen", "Browse for a collection"},
    {M::tbCollSave, "Save", "cSave", "Save current collection"},
    {M::tbCollDelete, "Delete", "cDelete", "Delete the current collection"},
    {M::tbCollNew, "New", "cNew", "Start over from scratch"},
};

// tbItem(0) to tbItem(4): a toolbar each, one above the other beside the list.
constexpr Button kItemButtons[][1] = {
    {{M::tbItemUp, "Up", "iUp", "Move item up in list"}},
    {{M::tbItemEdit, "Edit", "iEdit", "Edit the selected item"}},
    {{M::tbItemRemove, "Remove", "iRemove", "Remove item from list"}},
    {{M::tbItemOpen, "Open", "iOpen", "Open the selected item"}},
    {{M::tbItemDown, "Down", "iDown", "Move item down in list"}},
};

// As the window grows, the list and the details pane share the new width and take all
// the new height; what stands beside or below them keeps its place at their edges.
constexpr Anchor kAcross{.right = 2};
constexpr Anchor kAtTheRight{.left = 2, .right = 2};
constexpr Anchor kLeftHalf{.right = 1, .bottom = 2};
constexpr Anchor kRightHalf{.left = 1, .right = 2, .bottom = 2};
constexpr Anchor kBesideTheList{.left = 1, .right = 1};
constexpr Anchor kAtTheBottom{.top = 2, .bottom = 2};
constexpr Anchor kAtTheBottomRight{.left = 2, .right = 2, .top = 2, .bottom = 2};

constexpr Control ItemBar(int index, int top) {
  constexpr const char* kNames[] = {"tbItem_0", "tbItem_1", "tbItem_2", "tbItem_3", "tbItem_4"};
  return {.kind = K::ToolBar,
          .name = kNames[index],
          .place = {3750, top, 375, 405},
          .inFrame = true,
          .buttons = kItemButtons[index],
          .anchor = kBesideTheList};
}

constexpr Control kControls[] = {
    {.kind = K::Frame,
     .name = "frameColl",
     .text = "Tavrin &Collection",
     .place = {60, 30, 7725, 705},
     .anchor = kAcross},
    {.kind = K::EditableList,
     .id = M::cboColl,
     .name = "cboColl",
     .tip = "Avalible collections",
     .place = {120, 240, 5955, 345},
     .inFrame = true,
     .listHeight = 3000,
     .anchor = kAcross},
    {.kind = K::ToolBar,
     .name = "tbColl",
     .place = {6150, 240, 1485, 390},
     .inFrame = true,
     .buttons = kCollButtons,
     .anchor = kAtTheRight},
    {.kind = K::Frame,
     .name = "frameItems",
     .text = "Tavrin &Items",
     .place = {60, 750, 4155, 2445},
     .anchor = kLeftHalf},
    {.kind = K::ListBox,
     .id = M::lstItems,
     .name = "lstItems",
     .text = "Right-click here to add an item",
     .tip = "Items in the current collection",
     .place = {120, 210, 3585, 2100},
     .inFrame = true,
     .anchor = kLeftHalf},
    ItemBar(0, 180),
    ItemBar(1, 622),
    ItemBar(2, 1064),
    ItemBar(3, 1506),
    ItemBar(4, 1950),
    {.kind = K::Frame,
     .name = "frameDetails",
     .text = "Item Details",
     .place = {4290, 750, 3495, 2445},
     .anchor = kRightHalf},
    {.kind = K::DetailsPane,
     .name = "picDetails",
     .place = {90, 240, 3360, 2145},
     .inFrame = true,
     .anchor = kRightHalf},
    {.kind = K::PushButton,
     .id = M::btnExec,
     .name = "btnExec",
     .text = "Execute &Tavrin",
     .tip = "Run all items in current collection. (Shift-Click to prevent exiting)",
     .place = {60, 3300, 3015, 405},
     .font = kBig,
     .isDefault = true,
     .disabled = true,
     .anchor = kAtTheBottom},
    {.kind = K::PushButton,
     .id = M::btnExit,
     .name = "btnExit",
     .text = "E&xit",
     .tip = "Exit Tavrin",
     .place = {4770, 3300, 3015, 405},
     .font = kBig,
     .anchor = kAtTheBottomRight},
};

constexpr MenuEntryLayout kFileMenu[] = {
    {"&Capture Open Windows..."}, {"&Stop Started Programs"}, {"-"}, {"E&xit", "Ctrl+X"}};
constexpr MenuEntryLayout kOptionMenu[] = {{"&Registry..."}, {"Run &Options..."}};
constexpr MenuEntryLayout kHelpMenu[] = {{"&About", "F1"}};
constexpr MenuEntryLayout kPopItem1[] = {{"&Add..."}};
constexpr MenuEntryLayout kPopItem2[] = {{"&Add..."}, {"&Edit..."},   {"&Remove"},
                                         {"-"},       {"&Open Item"}, {"Run O&ptions..."}};

constexpr MenuLayout<MainMenu> kMenus[] = {
    {MainMenu::mnuFile, "mnuFile", "&File", false, kFileMenu},
    {MainMenu::mnuOption, "mnuOption", "O&ptions", false, kOptionMenu},
    {MainMenu::mnuHelp, "mnuHelp", "&?", false, kHelpMenu},
    {MainMenu::mnuPopItem1, "mnuPopItem1", "", true, kPopItem1},
    {MainMenu::mnuPopItem2, "mnuPopItem2", "", true, kPopItem2},
};

constexpr MainLayout kLayout{"The Tavrin", 7860, 3780, kControls, kMenus};

}  // namespace

const MainLayout& MainWindowLayout() { return kLayout; }

}  // namespace tavrin
