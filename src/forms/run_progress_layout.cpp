#include "forms/frm_run_progress.h"

namespace tavrin {
namespace {

using Control = ControlLayout<ProgressControl>;
using K = ControlKind;
using P = ProgressControl;

// Three lines of text (the collection, the item, the wait; an item's name may hold an
// '&', shown as it is), a bar under the item's (items started of all) and under the
// wait's (its share of its limit), and the one button, which Enter and Esc press.
constexpr Control kControls[] = {
    {.kind = K::Heading,
     .id = P::lblColl,
     .name = "lblColl",
     .place = {120, 120, 5160, 285},
     .font = {9.75, true}},
    {.kind = K::Heading, .id = P::lblItem, .name = "lblItem", .place = {120, 480, 5160, 255}},
    {.kind = K::ProgressBar,
     .id = P::barItems,
     .name = "barItems",
     .text = "Items started",
     .place = {120, 765, 5160, 165}},
    {.kind = K::Heading, .id = P::lblWait, .name = "lblWait", .place = {120, 1050, 5160, 255}},
    {.kind = K::ProgressBar,
     .id = P::barWait,
     .name = "barWait",
     .text = "Time waited",
     .place = {120, 1335, 5160, 165}},
    {.kind = K::PushButton,
     .id = P::btnCancel,
     .name = "btnCancel",
     .text = "&Cancel",
     .tip = "Start nothing more and stop waiting",
     .place = {4065, 1650, 1215, 375},
     .font = {9.75, true},
     .isDefault = true},
};

constexpr RunProgressLayout kLayout{"The Tavrin - Running", 5400, 2145, kControls};

}  // namespace

const RunProgressLayout& RunProgressWindowLayout() { return kLayout; }

}  // namespace tavrin
