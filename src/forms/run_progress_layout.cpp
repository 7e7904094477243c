#include "forms/frm_run_progress.h"

namespace tavrin {
namespace {

using Control = ControlLayout<ProgressControl>;
using K = ControlKind;
using P = ProgressControl;

// Three lines of text (the collection, the item, the wait; an item's name may hold an
// '&', shown as it is) and the one button, which Enter and Esc press.
constexpr Control kControls[] = {
    {.kind = K::Heading,
     .id = P::lblColl,
     .name = "lblColl",
     .place = {120, 120, 5160, 285},
     .font = {9.75, true}},
    {.kind = K::Heading, .id = P::lblItem, .name = "lblItem", .place = {120, 480, 5160, 255}},
    {.kind = K::Heading, .id = P::lblWait, .name = "lblWait", .place = {120, 810, 5160, 255}},
    {.kind = K::PushButton,
     .id = P::btnCancel,
     .name = "btnCancel",
     .text = "&Cancel",
     .tip = "Start nothing more and stop waiting",
     .place = {4065, 1230, 1215, 375},
     .font = {9.75, true},
     .isDefault = true},
};

constexpr RunProgressLayout kLayout{"The Tavrin - Running", 5400, 1725, kControls};

}  // namespace

const RunProgressLayout& RunProgressWindowLayout() { return kLayout; }

}  // namespace tavrin
