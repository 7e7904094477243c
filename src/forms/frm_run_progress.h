#pragma once

#include <functional>
#include <memory>
#include <string>

#include "forms/window_layout.h"
#include "launch/run_progress.h"
#include "platform/toolkit.h"

namespace tavrin {

// The controls of a run's progress window, as the form names them to its view.
enum class ProgressControl { None, lblColl, lblItem, barItems, lblWait, barWait, btnCancel };

// The progress window's controls, from which both views make it.
using RunProgressLayout = WindowLayout<ProgressControl>;
const RunProgressLayout& RunProgressWindowLayout();

// What the progress window shows, as the form tells it.
class RunProgressView {
 public:
  virtual ~RunProgressView() = default;
  // A label's text, one line; what does not fit is cut with an ellipsis.
  virtual void SetText(ProgressControl label, const std::string& text) = 0;
  // How far a bar is filled: `value` of `maximum` (0 to maximum).
  virtual void SetBar(ProgressControl bar, int value, int maximum) = 0;
  // Shows the window (not modal: the run goes on while it shows).
  virtual void Show() = 0;
  // Closes the window for good.
  virtual void Unload() = 0;
};

class FrmRunProgress;

// Makes the view of the progress window; null where no window can be shown.
using RunProgressViewMaker = std::function<std::unique_ptr<RunProgressView>(FrmRunProgress&)>;

// The progress of one run. Nothing shows while a run does not wait, nor for a wait
// that ends within kShowAfter. A longer wait shows the window: the collection, "Starting
// 2 of 3: NAME" above a bar of the items started of all, and what it waits for, how long
// so far, above a bar of the wait's share of its limit; it stays until the run ends. The
// texts of the collection are shown escaped (WindowText).
// Where no window can be shown, such a wait is told once to `noWindow` instead.
class FrmRunProgress : public RunProgress {
 public:
  static constexpr int64_t kShowAfter = 1000;

  FrmRunProgress(Toolkit& toolkit, RunProgressViewMaker makeView,
                 std::function<void(const RunWait&)> noWindow);
  ~FrmRunProgress() override;

  // RunProgress.
  void Waiting(const RunWait& wait) override;
  // While the window shows, its events are served as they come during the wait.
  bool PassWait(long ms) override;
  void ItemFailed(int position) override;
  void RunEnded() override;
  void Note(const RunWait& where, const std::string& text) override;
  // Where notes go (a line on standard error); none: they are not told.
  void SetNoteOut(std::function<void(const RunWait&, const std::string&)> out) {
    noteOut_ = std::move(out);
  }

  // Cancel, Esc and the close box: the run stops as at a termination signal (nothing
  // more starts, a wait is given up), but the program is not asked to end. Virtual:
  // the view may be made in the windows module while the run and this form are in the
  // program, and it must reach the program's own request to stop.
  virtual void btnCancel_Click();

 private:
  Toolkit& toolkit_;
  RunProgressViewMaker makeView_;
  std::function<void(const RunWait&)> noWindow_;
  std::function<void(const RunWait&, const std::string&)> noteOut_;
  std::unique_ptr<RunProgressView> view_;
  bool viewTried_ = false;
  // The wait last told to noWindow, so that each wait is told once.
  int toldPosition_ = 0;
  std::string toldTarget_;
};

}  // namespace tavrin
