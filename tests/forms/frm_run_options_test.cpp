// The run options dialog: what it shows of an item's options, what OK writes back and
// what it refuses. (The main window's way to it: the Qt view's test.)
#include <filesystem>

#include "fake_views.h"
#include "forms/time_text.h"

namespace tavrin {
namespace {

using C = OptionsControl;
using Options = std::vector<ItemOption>;
using Gesture = std::function<void(FrmRunOptions&, FakeRunOptionsView&)>;
using Gestures = std::vector<Gesture>;
using testing::With;

Gesture Typed(C box, std::string text) {
  return [box, text](FrmRunOptions&, FakeRunOptionsView& v) { v.Type(box, text); };
}
Gesture Picked(int index) {
  return [index](FrmRunOptions&, FakeRunOptionsView& v) { v.Pick(index); };
}
Gesture Clicked(C box) {
  return [box](FrmRunOptions&, FakeRunOptionsView& v) { v.Click(box); };
}

struct RunOptionsTest : ::testing::Test, testing::FormWorld {
  std::unique_ptr<FrmRunOptions> form;
  std::unique_ptr<FakeRunOptionsView> view;

  // Opens the dialog on an item holding `options`.
  FakeRunOptionsView& Open(const Options& options) {
    edit.EditItem = With(Item("a", "b"), options);
    edit.EditCancelled = false;
    form = std::make_unique<FrmRunOptions>(Context());
    view = std::make_unique<FakeRunOptionsView>(*form);
    form->Form_Load(*view);
    return *view;
  }
  // Opens the dialog on `options`, does `gestures`, and presses OK.
  Options AfterOk(const Options& options, const Gestures& gestures) {
    Open(options);
    for (const Gesture& gesture : gestures) gesture(*form, *view);
    form->btnOK_Click();
    return edit.EditItem.Options;
  }
};

TEST_F(RunOptionsTest, ShowsTheItemsOptionsAsARunReadsThem) {
  FakeRunOptionsView& v = Open({{"delay", "2000"},
                                {"Delay", "9"},
                                {"WAITREADY", "Tcp:host:80"},
                                {"Env", "A=1"},
                                {"Colour", "red"},
                                {"Env", "B=2"},
                                {"SkipIfRunning", "1"},
                                {"StopOnFailure", "0"},
                                {"WorkDir", "/srv/app"},
                                {"place", "0,0,960,1080"},
                                {"Desktop", "2"}});
  // The first value of a key, as a run takes it; the variables a line each.
  std::string shown = std::to_string(v.readyEntries.size()) + " " + std::to_string(v.ready);
  for (C box : {C::txtDelay, C::txtReady, C::txtTimeout, C::txtEnv, C::txtWorkDir, C::txtPlace,
                C::txtDesktop}) {
    shown += "|" + v.texts[box];
  }
  EXPECT_EQ(shown, "4 1|2 s|host:80||A=1\nB=2\n|/srv/app|0,0,960,1080|2");
  EXPECT_TRUE(v.checked[C::cSkip]);
  EXPECT_FALSE(v.checked[C::cStop]);
  EXPECT_EQ(v.focus, C::txtDelay);
}

TEST_F(RunOptionsTest, OkWritesWhatChangedAndKeepsTheRest) {
  const Options kept = {
      {"delay", "2000"}, {"Colour", "red"}, {"Env", "A=1"}, {"stoponfailure", "1"}};
  const struct {
    const char* name;
    Options before;
    Gestures gestures;
    Options after;
  } rows[] = {
      {"nothing changed: every entry as it was, spelling, order and unknown keys", kept, {}, kept},
      {"a new delay", {}, {Typed(C::txtDelay, "1500")}, {{"Delay", "1500"}}},
      {"times with a unit are kept as milliseconds",
       {},
       {Typed(C::txtDelay, " 2 s "), Picked(2), Typed(C::txtReady, "x"),
        Typed(C::txtTimeout, "1.5 MIN")},
       {{"Delay", "2000"}, {"WaitReady", "file:x"}, {"Timeout", "90000"}}},
      {"an emptied delay goes; the unknown key stays",
       kept,
       {Typed(C::txtDelay, "")},
       {{"Colour", "red"}, {"Env", "A=1"}, {"stoponfailure", "1"}}},
      {"waiting for a port, with a timeout",
       {},
       {Picked(1), Typed(C::txtReady, "127.0.0.1:8080"), Typed(C::txtTimeout, "60000")},
       {{"WaitReady", "tcp:127.0.0.1:8080"}, {"Timeout", "60000"}}},
      {"no wait any more", {{"WaitReady", "file:/run/x"}}, {Picked(0), Typed(C::txtReady, "")}, {}},
      {"flags: one set, one cleared",
       {{"StopOnFailure", "1"}},
       {Clicked(C::cSkip), Clicked(C::cStop)},
       {{"SkipIfRunning", "1"}}},
      {"variables a line each; blank lines and carriage returns left out",
       kept,
       {Typed(C::txtEnv, "A=1\r\n\nPATH=/x:/y\n")},
       {{"delay", "2000"},
        {"Colour", "red"},
        {"stoponfailure", "1"},
        {"Env", "A=1"},
        {"Env", "PATH=/x:/y"}}},
      {"a variable holding an ESC, edited: its byte is kept, not its escape",
       {{"Env", "T=\x1b[1m"}},
       {[](FrmRunOptions&, FakeRunOptionsView& v) {
         v.Type(C::txtEnv, v.texts[C::txtEnv] + "U=\\t\n");
       }},
       {{"Env", "T=\x1b[1m"}, {"Env", "U=\\t"}}},
      {"a working folder from the folder dialog",
       {},
       {[this](FrmRunOptions& f, FakeRunOptionsView&) {
         dialogs.answers.push_back({true, dir.str()});
         f.btnBrowse_Click();
       }},
       {{"WorkDir", dir.str()}}},
      {"an address typed with its kind's prefix",
       {},
       {Picked(1), Typed(C::txtReady, "TCP:127.0.0.1:8080")},
       {{"WaitReady", "tcp:127.0.0.1:8080"}}},
      {"a window's place and workspace",
       {},
       {Typed(C::txtPlace, "0,0,960,1080"), Typed(C::txtDesktop, "2")},
       {{"Place", "0,0,960,1080"}, {"Desktop", "2"}}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    fake.toolkit.boxes.clear();
    EXPECT_EQ(AfterOk(row.before, row.gestures), row.after);
    EXPECT_TRUE(view->unloaded);
    EXPECT_THAT(fake.toolkit.boxes, ::testing::IsEmpty());
  }
  ASSERT_EQ(dialogs.requests.size(), 1U);
  EXPECT_TRUE(dialogs.requests[0].folders);
  EXPECT_EQ(dialogs.requests[0].prompt, "Choose the working folder");
  // The folder dialog starts at the folder typed in the box, when it is one.
  const std::string typed = dir.file("app");
  std::filesystem::create_directories(typed);
  for (const std::string& text : {typed, dir.file("none")}) {
    SCOPED_TRACE(text);
    Open({});
    view->Type(C::txtWorkDir, text);
    form->btnBrowse_Click();
    EXPECT_EQ(dialogs.requests.back().initialDir, text == typed ? typed : dir.str());
  }
}

// A time reads back as it is shown, and the file keeps whole milliseconds.
TEST(TimeText, ShowsTheLargestUnitAndReadsWhatItShows) {
  const struct {
    const char* name;
    const char* milliseconds;
    const char* shown;
  } shownRows[] = {
      {"nothing", "", ""},
      {"no time at all", "0", "0 ms"},
      {"less than a second", "500", "500 ms"},
      {"no tenth of a second", "1250", "1250 ms"},
      {"whole seconds", "2000", "2 s"},
      {"a tenth of a second", "2500", "2.5 s"},
      {"whole minutes", "3600000", "60 min"},
      {"a tenth of a minute", "90000", "1.5 min"},
      {"seconds that are no tenth of a minute", "100000", "100 s"},
  };
  for (const auto& row : shownRows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(TimeText(row.milliseconds), row.shown);
    EXPECT_EQ(MillisecondsOf(row.shown), row.milliseconds);
  }
  // A value the file holds that is no number is shown as it is, for OK to refuse.
  EXPECT_EQ(TimeText("soon"), "soon");
  const struct {
    const char* name;
    const char* typed;
    std::optional<std::string> milliseconds;
  } typedRows[] = {
      {"a bare number is milliseconds", "0750", "750"},
      {"a unit without a blank, in any case", "3Sec", "3000"},
      {"a tenth of a millisecond", "0.5 ms", std::nullopt},
      {"a unit of no time", "2 h", std::nullopt},
      {"a unit alone", "s", std::nullopt},
      {"a point without decimals", "2. s", std::nullopt},
      {"a negative time", "-1", std::nullopt},
      {"more digits than any time", "12345678901", std::nullopt},
  };
  for (const auto& row : typedRows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(MillisecondsOf(row.typed), row.milliseconds);
  }
}

TEST_F(RunOptionsTest, OkNamesTheFirstWrongFieldAndChangesNothing) {
  const char* const box = "The Tavrin - Run Options (48) ";
  const struct {
    const char* name;
    Gestures gestures;
    OptionsControl focus;
    std::string text;
  } rows[] = {
      {"a delay that is no number",
       {Typed(C::txtDelay, "soon")},
       C::txtDelay,
       "Delay before start: \"soon\" is no time from 0 ms to 60 min (500 ms, 2 s, 1.5 min; a bare "
       "number is milliseconds)"},
      {"a timeout beyond an hour",
       {Typed(C::txtTimeout, "61 min")},
       C::txtTimeout,
       "How long to wait: \"61 min\" is no time from 1 ms to 60 min (500 ms, 2 s, 1.5 min; a bare "
       "number is milliseconds)"},
      {"a text to wait for, but no kind of wait",
       {Typed(C::txtReady, "x")},
       C::txtReady,
       "Wait until ready: \"x\" is waited for as nothing: pick a port, a file or a window, or "
       "empty its box"},
      {"a host without a port",
       {Picked(1), Typed(C::txtReady, "foo")},
       C::txtReady,
       "Address, file or title: \"foo\" has no port: type HOST:PORT, as 127.0.0.1:8080"},
      {"a port outside 1 to 65535",
       {Picked(1), Typed(C::txtReady, "foo:70000")},
       C::txtReady,
       "Address, file or title: \"foo:70000\": the port \"70000\" is no number from 1 to 65535"},
      {"an empty address",
       {Picked(1)},
       C::txtReady,
       "Address, file or title: nothing to wait for: type HOST:PORT, or pick \"Not at all\""},
      {"a working folder that does not exist",
       {Typed(C::txtWorkDir, "/no/such/folder")},
       C::txtWorkDir,
       "Working folder: \"/no/such/folder\": Working folder not found"},
      {"a variable without its name",
       {Typed(C::txtEnv, "A=1\n=2")},
       C::txtEnv,
       "Environment (NAME=VALUE, one a line): \"=2\" is no NAME=VALUE"},
      {"a place without its height",
       {Typed(C::txtPlace, "0,0,960")},
       C::txtPlace,
       "Window place (X,Y,W,H): \"0,0,960\" is no X,Y,WIDTH,HEIGHT in whole pixels"},
      {"workspace 0",
       {Typed(C::txtDesktop, "0")},
       C::txtDesktop,
       "Workspace (from 1): \"0\" is no workspace number from 1 to 1000"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    fake.toolkit.boxes.clear();
    EXPECT_EQ(AfterOk({{"Delay", "5"}}, row.gestures), (Options{{"Delay", "5"}}));
    EXPECT_FALSE(view->unloaded);
    EXPECT_EQ(view->focus, row.focus);
    EXPECT_THAT(fake.toolkit.boxes, ::testing::ElementsAre(box + row.text));
  }
}

TEST_F(RunOptionsTest, CancelEscAndTheCloseBoxChangeNothing) {
  for (const bool closeBox : {false, true}) {
    SCOPED_TRACE(closeBox ? "the close box" : "Cancel");
    Open({{"Delay", "5"}}).Type(C::txtDelay, "7");
    if (closeBox) {
      form->Form_QueryUnload(kUnloadCloseBox);
    } else {
      EXPECT_TRUE(form->Form_KeyDown(kKeyReturn, 0, C::btnCancel));
    }
    EXPECT_TRUE(edit.EditCancelled);
    EXPECT_EQ(edit.EditItem.Options, (Options{{"Delay", "5"}}));
  }
  // Enter in the variables' box is a new line there, not OK.
  Open({});
  EXPECT_FALSE(form->Form_KeyDown(kKeyReturn, 0, C::txtEnv));
  EXPECT_FALSE(view->unloaded);
}

}  // namespace
}  // namespace tavrin
