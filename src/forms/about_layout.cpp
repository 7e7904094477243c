#include "forms/frm_about.h"

namespace tavrin {
namespace {

using Control = ControlLayout<AboutControl>;
using K = ControlKind;
using A = AboutControl;

constexpr Control kControls[] = {
    {.kind = K::Heading,
     .name = "lblName",
     .text = "The Tavrin",
     .place = {990, 60, 3165, 345},
     .font = {15.75, true}},
    {.kind = K::Heading, .id = A::lblVer, .name = "lblVer", .place = {990, 450, 3165, 225}},
    {.kind = K::Heading,
     .name = "lblLegal1",
     .text = FrmAbout::kLegalNotice[0],
     .place = {990, 720, 3165, 225}},
    {.kind = K::Heading,
     .name = "lblLegal2",
     .text = FrmAbout::kLegalNotice[1],
     .place = {990, 960, 3165, 225}},
    {.kind = K::Link, .id = A::lblMail, .name = "lblMail", .place = {990, 1260, 2460, 285}},
    {.kind = K::Picture, .name = "picBut", .picture = "tavrin", .place = {180, 150, 480, 480}},
    {.kind = K::PushButton,
     .id = A::btnOK,
     .name = "btnOK",
     .text = "OK",
     .place = {1207, 1680, 1875, 405},
     .font = {12, true},
     .isDefault = true},
};

constexpr AboutLayout kLayout{"About The Tavrin...", 4200, 2175, kControls};

}  // namespace

const AboutLayout& AboutBoxLayout() { return kLayout; }

}  // namespace tavrin
