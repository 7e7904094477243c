#include "forms/frm_run_progress.h"

#include <algorithm>
#include <utility>

#include "launch/stop_request.h"
#include "platform/text_encoding.h"

namespace tavrin {
namespace {

// A text of the collection on one line of the window: escaped as the windows show it,
// and a line feed too.
std::string OneLine(std::string_view text) {
  std::string shown;
  for (const char c : WindowText(text)) shown += c == '\n' ? std::string("\\n") : std::string(1, c);
  return shown;
}

}  // namespace

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
      view_->SetText(ProgressControl::lblColl,
                     wait.collection.empty() ? "The new collection" : OneLine(wait.collection));
      view_->Show();
    }
  }
  if (view_) {
    // Names and targets as every window shows them: nothing in them can reorder, hide
    // or break the line.
    RunWait shown = wait;
    shown.itemName = OneLine(wait.itemName);
    shown.target = OneLine(wait.target);
    view_->SetText(ProgressControl::lblItem, StartingText(shown));
    // Before its start an item has not started; while it is waited for, it has.
    view_->SetBar(ProgressControl::barItems,
                  wait.target.empty() ? wait.position - 1 : wait.position, wait.count);
    view_->SetText(ProgressControl::lblWait, WaitingText(shown));
    const auto limit = static_cast<int>(std::max<int64_t>(0, wait.limit));
    view_->SetBar(ProgressControl::barWait,
                  static_cast<int>(std::clamp<int64_t>(wait.waited, 0, limit)), limit);
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

bool FrmRunProgress::PassWait(long ms) { return view_ && toolkit_.DoEventsFor(ms); }

void FrmRunProgress::Note(const RunWait& where, const std::string& text) {
  if (noteOut_) noteOut_(where, text);
}

void FrmRunProgress::ItemFailed(int) {
  // The wait is over: its line does not stay under the box that tells the failure.
  if (!view_) return;
  view_->SetText(ProgressControl::lblWait, "");
  view_->SetBar(ProgressControl::barWait, 0, 1);
  toolkit_.DoEvents();
}

void FrmRunProgress::RunEnded() {
  if (view_) view_->Unload();
  view_.reset();
}

void FrmRunProgress::btnCancel_Click() {
  // A termination signal that came first keeps its number: the program ends for it.
  if (!StopRequested()) RequestStop(0);
}

}  // namespace tavrin
