#include "forms/frm_about.h"

#include "forms/details.h"
#include "tavrin/version.h"

namespace tavrin {

FrmAbout::FrmAbout(FormContext context) : ctx_(context) {}

void FrmAbout::Form_Load(AboutView& view) {
  view_ = &view;
  view.ShowVersion("Version " + GetAppVersion(kVersionMajor, kVersionMinor, kVersionRevision));
  lblMail_ = kFeedbackAddress;
  view.ShowMailAddress(lblMail_);
}

void FrmAbout::btnOK_Click() { view_->Unload(); }

void FrmAbout::lblMail_Click() {
  ShellRequest request;
  request.verb = "open";
  request.file = "mailto:" + lblMail_ + "?subject=Tavrin Feedback!!";
  request.params = "";
  request.folder = ctx_.platform.system.CollectionFolder();
  request.show = kSwShowNormal;
  if (ctx_.platform.shell.ShellExecute(request) < 32) {
    ctx_.platform.toolkit.MsgBox("Could not find any mailprograms...", kStyleExclamationOk,
                                 "The Tavrin - Send Feedback Failure:");
  }
}

}  // namespace tavrin
