#include "forms/frm_run_options.h"

namespace tavrin {
namespace {

using Control = ControlLayout<OptionsControl>;
using K = ControlKind;
using O = OptionsControl;

constexpr FontSize kBold{9.75, true};

// Each label stands before the box its access key leads to; the boxes of numbers are
// short, the others take the rest of their row.
constexpr Control kControls[] = {
    {.kind = K::Label,
     .name = "lblDelay",
     .text = "&Delay before start:",
     .place = {60, 120, 2400, 255}},
    {.kind = K::TextBox,
     .id = O::txtDelay,
     .name = "txtDelay",
     .tip = "How long to wait before this item starts: 500 ms, 2 s, 1.5 min (up to 60 min)",
     .place = {2520, 60, 1500, 330}},
    {.kind = K::Label,
     .name = "lblReady",
     .text = "&Wait until ready:",
     .place = {60, 510, 2400, 255}},
    {.kind = K::PickList,
     .id = O::cboReady,
     .name = "cboReady",
     .tip = "What must be there before the next item starts",
     .place = {2520, 450, 3420, 345},
     .listHeight = 1500},
    {.kind = K::Label,
     .name = "lblReadyText",
     .text = "&Address, file or title:",
     .place = {60, 900, 2400, 255}},
    {.kind = K::TextBox,
     .id = O::txtReady,
     .name = "txtReady",
     .tip = "HOST:PORT that answers, the PATH of a file, or TEXT in a window's title",
     .place = {2520, 840, 3420, 330}},
    {.kind = K::Label,
     .name = "lblTimeout",
     .text = "How &long to wait:",
     .place = {60, 1290, 2400, 255}},
    {.kind = K::TextBox,
     .id = O::txtTimeout,
     .name = "txtTimeout",
     .tip = "How long to wait until ready: 500 ms, 2 s, 1.5 min (up to 60 min; empty: 30 s)",
     .place = {2520, 1230, 1500, 330}},
    {.kind = K::CheckBox,
     .id = O::cSkip,
     .name = "cSkip",
     .text = "&Skip when the program already runs",
     .tip = "Do not start a second copy of this item's program",
     .place = {60, 1650, 5880, 255}},
    {.kind = K::CheckBox,
     .id = O::cStop,
     .name = "cStop",
     .text = "Stop the &run when this item fails",
     .tip = "Start nothing after this item when it fails to start or to become ready",
     .place = {60, 1950, 5880, 255}},
    {.kind = K::Label,
     .name = "lblEnv",
     .text = "&Environment (NAME=VALUE, one a line):",
     .place = {60, 2310, 5880, 255}},
    {.kind = K::TextArea,
     .id = O::txtEnv,
     .name = "txtEnv",
     .tip = "Variables set for this item's program, one NAME=VALUE a line",
     .place = {60, 2580, 5880, 900}},
    {.kind = K::Label,
     .name = "lblWorkDir",
     .text = "Working &folder:",
     .place = {60, 3660, 2400, 255}},
    {.kind = K::TextBox,
     .id = O::txtWorkDir,
     .name = "txtWorkDir",
     .tip = "The folder this item starts in (empty: its program's folder)",
     .place = {2520, 3600, 2340, 330}},
    {.kind = K::PushButton,
     .id = O::btnBrowse,
     .name = "btnBrowse",
     .text = "&Browse...",
     .tip = "Choose the working folder",
     .place = {4920, 3585, 1020, 360}},
    {.kind = K::PushButton,
     .id = O::btnOk,
     .name = "btnOk",
     .text = "&OK",
     .tip = "Accept changes",
     .place = {60, 4110, 1215, 375},
     .font = kBold,
     .isDefault = true},
    {.kind = K::PushButton,
     .id = O::btnCancel,
     .name = "btnCancel",
     .text = "&Cancel",
     .tip = "Discard changes",
     .place = {4725, 4110, 1215, 375},
     .font = kBold},
};

constexpr RunOptionsLayout kLayout{"The Tavrin - Run Options", 6000, 4590, kControls};

}  // namespace

const RunOptionsLayout& RunOptionsDialogLayout() { return kLayout; }

}  // namespace tavrin
