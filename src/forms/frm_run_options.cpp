#include "forms/frm_run_options.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string_view>

#include "collection/paths.h"
#include "collection/run_options.h"
#include "forms/keys.h"
#include "forms/time_text.h"
#include "launch/launch.h"
#include "launch/run_waits.h"
#include "platform/ascii.h"
#include "platform/text_encoding.h"

namespace tavrin {
namespace {

using C = OptionsControl;

// The readiness list: its index is the kind of wait, its prefix what the file says.
constexpr std::array<const char*, 4> kReadyEntries = {"Not at all", "A port answers (HOST:PORT)",
                                                      "A file exists (PATH)",
                                                      "A window shows (TEXT of its title)"};
constexpr std::array<std::string_view, 4> kReadyPrefixes = {"", "tcp:", "file:", "window:"};
// What each kind of wait is told in its box.
constexpr std::array<std::string_view, 4> kReadyForms = {"", "HOST:PORT", "PATH",
                                                         "TEXT of its title"};

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() &&
         std::equal(prefix.begin(), prefix.end(), text.begin(),
                    [](char a, char b) { return LowerAscii(a) == LowerAscii(b); });
}

// The values `item` holds for `key` (any letter case), in their order.
std::vector<std::string> ValuesOf(const CollItem& item, std::string_view key) {
  std::vector<std::string> values;
  for (const ItemOption& option : item.Options) {
    if (CanonicalOptionKey(option.Key) == key) values.push_back(option.Value);
  }
  return values;
}

// The first value for `key`, as a run reads it; empty when there is none.
std::string FirstOf(const CollItem& item, std::string_view key) {
  const std::vector<std::string> values = ValuesOf(item, key);
  return values.empty() ? std::string() : values.front();
}

// The lines of a multi-line box, each without the carriage return a system may keep.
std::vector<std::string> LinesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

// Why `value` is no value for `key`, without the key the reader starts with; empty
// when it is one.
std::string WhyWrong(std::string_view key, const std::string& value) {
  CollItem probe;
  probe.Options = {{std::string(key), value}};
  RunOptions read;
  std::string why = ReadRunOptions(probe, read);
  if (why.size() > key.size() && why.compare(0, key.size(), key) == 0) why.erase(0, key.size() + 1);
  return why;
}

// Why `address` is no HOST:PORT for a port wait; empty when it is one.
std::string WhyNoAddress(const std::string& address) {
  const std::size_t colon = address.rfind(':');
  const bool bracketed = !address.empty() && address.front() == '[';
  if (colon == std::string::npos || (bracketed && address.back() == ']')) {
    return "\"" + address + "\" has no port: type HOST:PORT, as 127.0.0.1:8080";
  }
  const std::string port = address.substr(colon + 1);
  const bool digits = !port.empty() && port.size() <= 9 &&
                      port.find_first_not_of("0123456789") == std::string::npos;
  if (!digits || std::stol(port) < 1 || std::stol(port) > 65535) {
    return "\"" + address + "\": the port \"" + port + "\" is no number from 1 to 65535";
  }
  if (colon == 0 || (bracketed && colon == 1)) {
    return "\"" + address + "\" has no host: type HOST:PORT, as 127.0.0.1:8080";
  }
  return "";
}

// The label before `box` in the dialog, as the user reads it ("Delay before start").
std::string FieldName(OptionsControl box) {
  const RunOptionsLayout& layout = RunOptionsDialogLayout();
  std::string name;
  for (const auto& control : layout.controls) {
    if (control.id == box) break;
    if (control.kind == ControlKind::Label) name = control.text;
  }
  std::erase(name, '&');
  if (!name.empty() && name.back() == ':') name.pop_back();
  return name;
}

}  // namespace

FrmRunOptions::FrmRunOptions(FormContext context) : ctx_(context) {}

void FrmRunOptions::Form_Load(RunOptionsView& view) {
  view_ = &view;
  const CollItem& item = ctx_.edit.EditItem;
  Fields& f = loaded_;
  f.delay = TimeText(FirstOf(item, "Delay"));
  f.ready = FirstOf(item, "WaitReady");
  // A value of no kind this version knows is shown as it is, under "Not at all", so
  // that OK asks what it is rather than dropping it.
  for (std::size_t kind = 1; kind < kReadyPrefixes.size(); ++kind) {
    if (StartsWithIgnoringCase(f.ready, kReadyPrefixes[kind])) {
      f.readyKind = static_cast<int>(kind);
      f.ready.erase(0, kReadyPrefixes[kind].size());
      break;
    }
  }
  f.timeout = TimeText(FirstOf(item, "Timeout"));
  f.skip = FirstOf(item, "SkipIfRunning") == "1";
  f.stop = FirstOf(item, "StopOnFailure") == "1";
  for (const std::string& value : ValuesOf(item, "Env")) f.env += value + "\n";
  f.workDir = FirstOf(item, "WorkDir");
  f.place = FirstOf(item, "Place");
  f.desktop = FirstOf(item, "Desktop");
  now_ = f;

  view.SetReadyEntries({kReadyEntries.begin(), kReadyEntries.end()});
  view.SetReadyIndex(f.readyKind);
  for (C box : kTextBoxes) {
    shown_[Slot(box)] = ShownBytes(f.*TextField(box));
    view.SetText(box, shown_[Slot(box)].Shown());
  }
  view.SetChecked(C::cSkip, f.skip);
  view.SetChecked(C::cStop, f.stop);
  view.SelectWholeText(C::txtDelay);
}

std::string FrmRunOptions::Fields::*FrmRunOptions::TextField(OptionsControl box) {
  switch (box) {
    case C::txtReady:
      return &Fields::ready;
    case C::txtTimeout:
      return &Fields::timeout;
    case C::txtEnv:
      return &Fields::env;
    case C::txtWorkDir:
      return &Fields::workDir;
    case C::txtPlace:
      return &Fields::place;
    case C::txtDesktop:
      return &Fields::desktop;
    default:
      return &Fields::delay;
  }
}

const std::string& FrmRunOptions::Text(OptionsControl box) const { return now_.*TextField(box); }

bool FrmRunOptions::Checked(OptionsControl box) const {
  return box == C::cSkip ? now_.skip : now_.stop;
}

void FrmRunOptions::txt_Change(OptionsControl box, const std::string& text) {
  ShownBytes& shown = shown_[Slot(box)];
  shown.Edit(text);
  now_.*TextField(box) = shown.Bytes();
}

std::size_t FrmRunOptions::Slot(OptionsControl box) {
  return static_cast<std::size_t>(std::find(kTextBoxes.begin(), kTextBoxes.end(), box) -
                                  kTextBoxes.begin()) %
         kTextBoxes.size();
}

void FrmRunOptions::cboReady_Click(int index) {
  if (index >= 0 && index < static_cast<int>(kReadyEntries.size())) now_.readyKind = index;
}

void FrmRunOptions::c_Click(OptionsControl box, bool checked) {
  (box == C::cSkip ? now_.skip : now_.stop) = checked;
}

void FrmRunOptions::btnBrowse_Click() {
  FileDialogRequest request;
  request.folders = true;
  request.keepCurrentDir = true;
  request.prompt = "Choose the working folder";
  // It starts at the folder typed in the box, when there is one.
  const std::string typed =
      ReadyPath(now_.workDir, ItemBaseFolder(ctx_.state, ctx_.platform.system));
  request.initialDir = !now_.workDir.empty() && ctx_.platform.files.IsFolder(typed)
                           ? typed
                           : ctx_.platform.system.CollectionFolder();
  std::string chosen;
  if (!ctx_.dialogs.Show(request, chosen)) return;
  now_.workDir = chosen;
  ShownBytes& shown = shown_[Slot(C::txtWorkDir)];
  shown = ShownBytes(chosen);
  view_->SetText(C::txtWorkDir, shown.Shown());
}

OptionsControl FrmRunOptions::Check(std::string& why) const {
  const auto wrong = [&](OptionsControl box, const std::string& reason) {
    if (reason.empty()) return false;
    why = FieldName(box) + ": " + reason;
    return true;
  };
  // A time is checked as the milliseconds it says; the reason shows what was typed.
  const auto wrongTime = [&](OptionsControl box, std::string_view key, const std::string& typed,
                             const char* least) {
    const std::optional<std::string> ms = MillisecondsOf(typed);
    if (ms && (ms->empty() || WhyWrong(key, *ms).empty())) return false;
    why = FieldName(box) + ": \"" + typed + "\" is no time from " + least +
          " to 60 min (500 ms, 2 s, 1.5 min; a bare number is milliseconds)";
    return true;
  };
  if (wrongTime(C::txtDelay, "Delay", now_.delay, "0 ms")) return C::txtDelay;
  if (now_.readyKind == 0 && !now_.ready.empty()) {
    why = FieldName(C::cboReady) + ": \"" + now_.ready +
          "\" is waited for as nothing: pick a port, a file or a window, or empty its box";
    return C::txtReady;
  }
  const auto kind = static_cast<std::size_t>(now_.readyKind);
  if (kind > 0 && now_.ready.empty()) {
    why = FieldName(C::txtReady) + ": nothing to wait for: type " + std::string(kReadyForms[kind]) +
          ", or pick \"" + kReadyEntries[0] + "\"";
    return C::txtReady;
  }
  if (kind == 1 && wrong(C::txtReady, WhyNoAddress(now_.ready))) return C::txtReady;
  if (now_.readyKind > 0 &&
      wrong(C::txtReady,
            WhyWrong("WaitReady",
                     std::string(kReadyPrefixes[static_cast<std::size_t>(now_.readyKind)]) +
                         now_.ready))) {
    return C::txtReady;
  }
  if (wrongTime(C::txtTimeout, "Timeout", now_.timeout, "1 ms")) return C::txtTimeout;
  for (const std::string& line : LinesOf(now_.env)) {
    if (!line.empty() && wrong(C::txtEnv, WhyWrong("Env", line))) return C::txtEnv;
  }
  if (!now_.workDir.empty() && wrong(C::txtWorkDir, WhyWrong("WorkDir", now_.workDir))) {
    return C::txtWorkDir;
  }
  for (const auto& [box, key] :
       {std::pair{C::txtPlace, "Place"}, std::pair{C::txtDesktop, "Desktop"}}) {
    const std::string& text = now_.*TextField(box);
    if (!text.empty() && wrong(box, WhyWrong(key, text))) return box;
  }
  if (!now_.workDir.empty()) {
    const std::string base = ItemBaseFolder(ctx_.state, ctx_.platform.system);
    if (!ctx_.platform.files.IsFolder(ReadyPath(now_.workDir, base))) {
      why = FieldName(C::txtWorkDir) + ": \"" + now_.workDir + "\": " + kNoWorkDirText;
      return C::txtWorkDir;
    }
  }
  return C::None;
}

void FrmRunOptions::btnOK_Click() {
  // An address typed with its kind's prefix ("tcp:127.0.0.1:8080" under "A port
  // answers") is taken without it.
  const std::string_view prefix = kReadyPrefixes[static_cast<std::size_t>(now_.readyKind)];
  if (!prefix.empty() && StartsWithIgnoringCase(now_.ready, prefix)) {
    now_.ready.erase(0, prefix.size());
  }
  std::string why;
  if (const OptionsControl wrong = Check(why); wrong != C::None) {
    ctx_.platform.toolkit.MsgBox(WindowText(why), kStyleExclamationOk,
                                 RunOptionsDialogLayout().caption);
    view_->SelectWholeText(wrong);
    return;
  }
  // What each changed field now says, in the order of the run; a field left as it was
  // keeps the item's own entries, duplicates and spelling included.
  std::vector<ItemOption> added;
  std::vector<std::string_view> replaced;
  const auto field = [&](bool changed, std::string_view key, std::vector<std::string> values) {
    if (!changed) return;
    replaced.push_back(key);
    for (std::string& value : values) added.push_back({std::string(key), std::move(value)});
  };
  const auto some = [](const std::string& value) {
    return value.empty() ? std::vector<std::string>{} : std::vector<std::string>{value};
  };
  const auto flag = [](bool on) {
    return on ? std::vector<std::string>{"1"} : std::vector<std::string>{};
  };
  const CollItem& before = ctx_.edit.EditItem;
  const auto flagChanged = [&](bool now, bool loaded, std::string_view key) {
    const std::string value = FirstOf(before, key);
    return now != loaded || (value != "" && value != "0" && value != "1");
  };
  field(now_.delay != loaded_.delay, "Delay", some(MillisecondsOf(now_.delay).value_or("")));
  field(now_.readyKind != loaded_.readyKind || now_.ready != loaded_.ready, "WaitReady",
        now_.readyKind == 0
            ? std::vector<std::string>{}
            : std::vector<std::string>{
                  std::string(kReadyPrefixes[static_cast<std::size_t>(now_.readyKind)]) +
                  now_.ready});
  field(now_.timeout != loaded_.timeout, "Timeout",
        some(MillisecondsOf(now_.timeout).value_or("")));
  field(flagChanged(now_.skip, loaded_.skip, "SkipIfRunning"), "SkipIfRunning", flag(now_.skip));
  field(flagChanged(now_.stop, loaded_.stop, "StopOnFailure"), "StopOnFailure", flag(now_.stop));
  std::vector<std::string> env;
  for (std::string& line : LinesOf(now_.env)) {
    if (!line.empty()) env.push_back(std::move(line));
  }
  field(now_.env != loaded_.env, "Env", std::move(env));
  field(now_.workDir != loaded_.workDir, "WorkDir", some(now_.workDir));
  field(now_.place != loaded_.place, "Place", some(now_.place));
  field(now_.desktop != loaded_.desktop, "Desktop", some(now_.desktop));

  std::vector<ItemOption>& options = ctx_.edit.EditItem.Options;
  std::erase_if(options, [&](const ItemOption& option) {
    return std::find(replaced.begin(), replaced.end(), CanonicalOptionKey(option.Key)) !=
           replaced.end();
  });
  options.insert(options.end(), added.begin(), added.end());
  view_->Unload();
}

void FrmRunOptions::btnCancel_Click() {
  ctx_.edit.EditCancelled = true;
  view_->Unload();
}

void FrmRunOptions::Form_QueryUnload(int UnloadMode) {
  if (UnloadMode == kUnloadCloseBox) ctx_.edit.EditCancelled = true;
}

bool FrmRunOptions::Form_KeyDown(int KeyCode, int Shift, OptionsControl focus) {
  // Enter presses the focused button, otherwise OK; in the environment box it starts a
  // new line.
  if (KeyCode != kKeyReturn || (Shift & (kCtrlMask | kAltMask)) != 0 || focus == C::txtEnv) {
    return false;
  }
  switch (focus) {
    case C::btnCancel:
      btnCancel_Click();
      break;
    case C::btnBrowse:
      btnBrowse_Click();
      break;
    default:
      btnOK_Click();
      break;
  }
  return true;
}

}  // namespace tavrin
