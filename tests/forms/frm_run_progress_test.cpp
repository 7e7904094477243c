// A run's progress window: shown only for a wait that goes on, told where the run stands,
// and its Cancel; the clock moves only when the run pauses.
#include "forms/frm_run_progress.h"
#include "platform/traits.h"

#include "fake_views.h"
#include "launch/launch.h"
#include "launch/stop_request.h"

namespace tavrin {
namespace {

using ::testing::ElementsAre;
using testing::With;
using Strings = std::vector<std::string>;

const std::string kTcp = "tcp:127.0.0.1:8080";

// What the progress window was told, kept after the form has let its view go.
struct Shown {
  int made = 0;
  std::map<ProgressControl, std::string> texts;
  std::map<ProgressControl, std::string> bars;  // "VALUE of MAXIMUM"
  bool unloaded = false;
  std::function<void()> onWait;  // run each time the window is told how long it waits
};

struct FakeProgressView : RunProgressView {
  explicit FakeProgressView(Shown& s) : shown(s) { ++shown.made; }
  void SetText(ProgressControl label, const std::string& text) override {
    shown.texts[label] = text;
    if (label == ProgressControl::lblWait && shown.onWait) shown.onWait();
  }
  void SetBar(ProgressControl bar, int value, int maximum) override {
    shown.bars[bar] = std::to_string(value) + " of " + std::to_string(maximum);
  }
  void Show() override {}
  void Unload() override { shown.unloaded = true; }
  Shown& shown;
};

struct RunProgressTest : MainFormTest {
  Shown shown;
  Strings told;  // the waits told where no window shows: "POSITION:TARGET"
  RunProgressViewMaker maker = [this](FrmRunProgress&) {
    return std::make_unique<FakeProgressView>(shown);
  };

  // Runs `items` of the collection "c" with the clock at 0, ports answering at `readyAt`.
  void Run(const std::vector<CollItem>& items, int64_t readyAt) {
    ClearStopRequest();
    state.Items = items;
    state.CurrentCollFile = dir.file("c.tavrin");
    fake.system.now = 0;
    fake.system.readyAt = readyAt;
    FrmRunProgress progress(fake.toolkit, maker, [this](const RunWait& wait) {
      told.push_back(std::to_string(wait.position) + ":" + wait.target);
    });
    RunAllItems(state, fake.platform, {}, nullptr, &progress);
  }
};

TEST_F(RunProgressTest, OnlyAWaitThatGoesOnShowsTheWindowUntilTheRunEnds) {
  struct Case {
    const char* name;
    std::vector<CollItem> items;
    int64_t readyAt;
    Strings lines;  // the collection, the item and the wait the window showed last
  };
  const Case cases[] = {
      {"no waits", {Item("a", "a"), Item("b", "b")}, 0, {}},
      {"a wait within a second", {With(Item("a", "a"), {{"Delay", "900"}})}, 0, {}},
      {"a port that answers at once", {With(Item("a", "a"), {{"WaitReady", kTcp}})}, 0, {}},
      {"a delay of two seconds",
       {Item("a", "a"), With(Item("b & c", "b"), {{"Delay", "2000"}})},
       0,
       {"c", "Starting 2 of 2: b & c", "Waiting to start, 1 s of 2 s"}},
      {"a port that answers after three seconds, a shorter wait after it",
       {With(Item("s", "s"), {{"WaitReady", kTcp}}), With(Item("b", "b"), {{"Delay", "300"}})},
       3000,
       {"c", "Starting 2 of 2: b", "Waiting to start, 0 s of 1 s"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    shown = {};
    Run(c.items, c.readyAt);
    EXPECT_EQ(shown.made, c.lines.empty() ? 0 : 1);
    if (c.lines.empty()) continue;
    EXPECT_EQ((Strings{shown.texts[ProgressControl::lblColl], shown.texts[ProgressControl::lblItem],
                       shown.texts[ProgressControl::lblWait]}),
              c.lines);
    EXPECT_TRUE(shown.unloaded);
  }
  EXPECT_THAT(told, ::testing::IsEmpty());
}

// Once the window shows, the rest of the wait is passed in its event loop, which serves
// each event as it comes; before, and without a window, the run sleeps.
TEST_F(RunProgressTest, TheWindowServesItsEventsWhileTheRunWaits) {
  int64_t inTheLoop = 0;
  fake.toolkit.eventsFor = [&](long ms) {
    inTheLoop += ms;
    fake.system.now += ms;
    return true;
  };
  int64_t asleep = 0;
  fake.system.duringPause = [&, last = int64_t{0}](int64_t now) mutable {
    asleep += now - last;
    last = now;
  };
  Run({With(Item("a", "a"), {{"Delay", "2000"}})}, 0);
  EXPECT_EQ(shown.made, 1);
  EXPECT_EQ(asleep, FrmRunProgress::kShowAfter);
  EXPECT_EQ(inTheLoop, 2000 - FrmRunProgress::kShowAfter);
}

// The texts are shown escaped (a collection never saved by its name for that); the bars
// show the items started of all and the wait's share of its limit; a failed item's wait
// does not stay under its box; a Cancel after a termination signal keeps the signal.
TEST_F(RunProgressTest, EscapedTextsBarsAndTheEndOfAWait) {
  ClearStopRequest();
  FrmRunProgress progress(fake.toolkit, maker, {});
  progress.Waiting({"", 2, 4,
                    "Invoice\xe2\x80\xae"
                    "fdp.exe\t",
                    "window:<b>x</b>\n", 1500, 2000});
  EXPECT_EQ(shown.texts[ProgressControl::lblColl], "The new collection");
  // A direction control is a character of UTF-8 only; the ANSI code page shows its bytes.
  EXPECT_EQ(shown.texts[ProgressControl::lblItem],
            kWindowsRules ? "Starting 2 of 4: Invoice\xe2\x80\xae"
                            "fdp.exe\\t"
                          : "Starting 2 of 4: Invoice\\xe2\\x80\\xaefdp.exe\\t");
  EXPECT_EQ(shown.texts[ProgressControl::lblWait], "Waiting for window:<b>x</b>\\n, 1 s of 2 s");
  EXPECT_EQ(shown.bars[ProgressControl::barItems], "2 of 4");
  EXPECT_EQ(shown.bars[ProgressControl::barWait], "1500 of 2000");
  progress.Waiting({"c", 3, 4, "d", "", 500, 1000});
  EXPECT_EQ(shown.bars[ProgressControl::barItems], "2 of 4") << "a delay comes before the start";
  progress.ItemFailed(3);
  EXPECT_EQ(shown.texts[ProgressControl::lblWait], "");
  RequestStop(15);
  progress.btnCancel_Click();
  EXPECT_EQ(StopSignal(), 15);
  ClearStopRequest();
}

// From the main window, Cancel stops the run and the window comes back, as with Shift.
TEST_F(RunProgressTest, CancelInTheWindowStopsTheRunAndKeepsTheProgram) {
  Open({With(Item("s", "s"), {{"WaitReady", kTcp}}), Item("b", "b")});
  fake.system.readyAt = int64_t{1} << 40;
  view->progressViews = [&](FrmRunProgress& progress) {
    shown.onWait = [&progress] { progress.btnCancel_Click(); };
    return std::make_unique<FakeProgressView>(shown);
  };
  form->Form_KeyDown(kKeyShift, kShiftMask, MainControl::btnExec);
  Click(MainControl::btnExec);
  EXPECT_THAT(fake.shell.calls, ElementsAre("shell:s"));
  EXPECT_TRUE(shown.unloaded);
  EXPECT_FALSE(StopRequested());
  EXPECT_TRUE(view->visible);
  EXPECT_FALSE(view->unloaded);
}

}  // namespace
}  // namespace tavrin
