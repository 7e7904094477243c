// A recording view of the run options dialog: it holds what the form told it, and the
// user's gestures reach the form as the window forwards them.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "forms/frm_run_options.h"

namespace tavrin {

class FakeRunOptionsView : public RunOptionsView {
 public:
  explicit FakeRunOptionsView(FrmRunOptions& form) : form_(form) {}

  void SetReadyEntries(const std::vector<std::string>& entries) override { readyEntries = entries; }
  void SetReadyIndex(int index) override { ready = index; }
  void SetText(OptionsControl box, const std::string& text) override { texts[box] = text; }
  void SetChecked(OptionsControl box, bool value) override { checked[box] = value; }
  void SelectWholeText(OptionsControl box) override { focus = box; }
  void Unload() override { unloaded = true; }

  void Type(OptionsControl box, const std::string& text) {
    texts[box] = text;
    form_.txt_Change(box, text);
  }
  void Pick(int index) {
    ready = index;
    form_.cboReady_Click(index);
  }
  void Click(OptionsControl box) {
    checked[box] = !checked[box];
    form_.c_Click(box, checked[box]);
  }

  std::vector<std::string> readyEntries;
  int ready = -1;
  std::map<OptionsControl, std::string> texts;
  std::map<OptionsControl, bool> checked;
  OptionsControl focus = OptionsControl::None;
  bool unloaded = false;

 private:
  FrmRunOptions& form_;
};

}  // namespace tavrin
