#include "forms/frm_run_progress.h"

#include <utility>

#include "launch/stop_request.h"

namespace tavrin {

FrmRunProgress::FrmRunProgress(Toolkit& toolkit, RunProgressViewMaker makeView,
                               std::function<void(const RunWait&)> noWindow)
    : toolkit_(toolkit), makeView_(std::move(makeView)), noWindow_(std::move(noWindow)) {}

FrmRunProgress::~FrmRunProgress() { RunEnded(); }

void FrmRunProgress::Waiting(const RunWait& wait) {
  if (!view_ && wait.waited < kShowAfter) return;
  if (!view_ && !viewTried_) {
    viewTried_ = true;
    if (makeView_) view_ = makeView_(*this);
    if (view_) {
      view_->SetText(ProgressControl::lblColl, wait.collection);
      view_->Show();
    }
  }
  if (view_) {
    view_->SetText(ProgressControl::lblItem, StartingText(wait));
    view_->SetText(ProgressControl::lblWait, WaitingText(wait));
    // The window paints, and a click of Cancel is heard, while the run waits.
    toolkit_.DoEvents();
    return;
  }
  const bool told = toldPosition_ == wait.position && toldTarget_ == wait.target;
  if (told || !noWindow_) return;
  toldPosition_ = wait.position;
  toldTarget_ = wait.target;
  noWindow_(wait);
}

void FrmRunProgress::Note(const RunWait& where, const std::string& text) {
  if (noteOut_) noteOut_(where, text);
}

void FrmRunProgress::RunEnded() {
  if (view_) view_->Unload();
  view_.reset();
}

void FrmRunProgress::btnCancel_Click() { RequestStop(0); }

}  // namespace tavrin
