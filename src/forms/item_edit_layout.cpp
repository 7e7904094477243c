#include "forms/frm_item_edit.h"

namespace tavrin {
namespace {

using Control = ControlLayout<EditControl>;
using K = ControlKind;
using E = EditControl;

constexpr FontSize kBold{9.75, true};

constexpr ToolButtonLayout<EditControl> kOpenButtons[] = {
    {E::tbOpenOpen, "Open", "Open", "Browse for an executable"},
    {E::tbOpenFind, "Find", "Find", "Find target"},
};

// Each label stands before the box its access key leads to.
constexpr Control kControls[] = {
    {.kind = K::Label, .name = "lblItem", .text = "Item &Name:", .place = {60, 120, 1245, 255}},
    {.kind = K::TextBox,
     .id = E::txtItem,
     .name = "txtItem",
     .tip = "Item name",
     .place = {1440, 60, 3960, 330}},
    {.kind = K::Label, .name = "lblFile", .text = "&File:", .place = {60, 510, 1245, 255}},
    {.kind = K::TextBox,
     .id = E::txtFile,
     .name = "txtFile",
     .tip = "This item's executable file",
     .place = {1440, 450, 3225, 315}},
    {.kind = K::Label, .name = "lblParams", .text = "&Parameters:", .place = {60, 900, 1245, 255}},
    {.kind = K::TextBox,
     .id = E::txtParams,
     .name = "txtParams",
     .tip = "Parameters to the executable",
     .place = {1440, 840, 3960, 330}},
    {.kind = K::Label, .name = "lblStyle", .text = "Window&style:", .place = {60, 1320, 1245, 255}},
    {.kind = K::PickList,
     .id = E::cboStyle,
     .name = "cboStyle",
     .tip = "How this item's program will be shown",
     .place = {1440, 1260, 3960, 345},
     .listHeight = 2000},
    {.kind = K::CheckBox,
     .id = E::cWait,
     .name = "cWait",
     .text = "&Wait until finished",
     .tip = "Wait for this program to finish before running the next item",
     .place = {1440, 1710, 2625, 255}},
    {.kind = K::PushButton,
     .id = E::btnOk,
     .name = "btnOk",
     .text = "&OK",
     .tip = "Accept changes",
     .place = {60, 1710, 1215, 375},
     .font = kBold,
     .isDefault = true,
     .disabled = true},
    {.kind = K::PushButton,
     .id = E::btnCancel,
     .name = "btnCancel",
     .text = "&Cancel",
     .tip = "Discard changes",
     .place = {4200, 1710, 1215, 375},
     .font = kBold},
    {.kind = K::ToolBar, .name = "tbOpen", .place = {4680, 450, 735, 390}, .buttons = kOpenButtons},
};

constexpr ItemEditLayout kLayout{"Item Editor", 5475, 2145, kControls};

}  // namespace

const ItemEditLayout& ItemEditorLayout() { return kLayout; }

}  // namespace tavrin
