// When a run gives the windows it started their style, place and workspace, against a
// desktop whose windows show when the test says and a clock that moves only when the run
// pauses.
#include "launch/window_placement.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <limits>

#include "fakes.h"

namespace tavrin {
namespace {

using testing::FakeProgramWindows;
using testing::FakeSystemInfo;
using testing::Item;
using testing::With;
using Shown = FakeProgramWindows::Shown;
constexpr int64_t kForever = std::numeric_limits<int64_t>::max();

WindowWish Wish(int style, std::optional<WindowRect> place = {}, int desktop = 0) {
  WindowWish wish;
  wish.style = style;
  wish.place = place;
  wish.desktop = desktop;
  return wish;
}

TEST(PendingWindows, EachWindowGetsItsWishWhenItShowsAndOnceMoreWhenReplacedOrMovedBack) {
  const WindowRect left{0, 0, 960, 1080};
  const struct {
    const char* name;
    WindowWish wish;
    std::vector<Shown> shown;  // the windows of process 7
    int64_t movesBackAt;       // when the program moves its window back; -1: never
    ProgramWindows::Abilities can;
    std::vector<WindowHandle> applied;
    bool noted;
  } rows[] = {
      {"a window that shows at once, placed once",
       Wish(1, left),
       {{100, 0, kForever}},
       -1,
       {true, true, true, true},
       {100},
       false},
      {"a window that shows after 3 s",
       Wish(3),
       {{100, 3000, kForever}},
       -1,
       {true, true, true, true},
       {100},
       false},
      {"a splash, then the real window, each gets it",
       Wish(2, left, 2),
       {{100, 0, 700}, {200, 700, kForever}},
       -1,
       {true, true, true, true},
       {100, 200},
       false},
      {"a splash that goes a while before the real window comes",
       Wish(1, left),
       {{100, 0, 700}, {200, 3000, kForever}},
       -1,
       {true, true, true, true},
       {100, 200},
       false},
      {"a window its program moves back gets it once more",
       Wish(1, left),
       {{100, 0, kForever}},
       900,
       {true, true, true, true},
       {100, 100},
       false},
      {"a window never seen where asked gets it once more when the watch ends",
       Wish(1, left),
       {{100, 0, kForever}},
       0,
       {true, true, true, true},
       {100, 100},
       false},
      {"a window that never shows: a note, nothing applied",
       Wish(0),
       {},
       -1,
       {true, true, true, true},
       {},
       true},
      {"a normal window without place or workspace is left alone",
       Wish(1),
       {{100, 0, kForever}},
       -1,
       {true, true, true, true},
       {},
       false},
      {"a desktop that can only place: a maximized window is left alone",
       Wish(3),
       {{100, 0, kForever}},
       -1,
       {true, false, true, false},
       {},
       false},
      {"a desktop that lets nothing be done",
       Wish(2, left, 2),
       {{100, 0, kForever}},
       -1,
       {},
       {},
       false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    FakeSystemInfo system;
    FakeProgramWindows& desktop = system.programWindows;
    desktop.can = row.can;
    desktop.windows[7] = row.shown;
    system.duringPause = [&](int64_t now) {
      if (row.movesBackAt >= 0 && now >= row.movesBackAt && now - 50 < row.movesBackAt) {
        desktop.movedBack.insert(100);
      }
    };
    std::vector<std::string> notes;
    PendingWindows pending(system,
                           [&](int position, const std::string& name, const std::string& text) {
                             notes.push_back(std::to_string(position) + " " + name + ": " + text);
                           });
    pending.Add(2, "Editor", 7, row.wish);
    pending.Finish();
    std::vector<WindowHandle> applied;
    for (const auto& [window, wish] : desktop.applied) {
      applied.push_back(window);
      EXPECT_EQ(wish.place, row.wish.place);
      EXPECT_EQ(wish.desktop, row.wish.desktop);
    }
    EXPECT_EQ(applied, row.applied);
    EXPECT_TRUE(pending.Empty());
    if (row.noted) {
      EXPECT_THAT(notes, ::testing::ElementsAre("2 Editor: its window did not appear within "
                                                "10 s and was left where the desktop puts it"));
    } else {
      EXPECT_THAT(notes, ::testing::IsEmpty());
    }
  }
}

TEST(PendingWindows, TheNoFocusStylesGiveTheFocusBackToTheWindowThatHadIt) {
  for (const int style : {4, 5}) {
    SCOPED_TRACE(style);
    FakeSystemInfo system;
    system.programWindows.focused = 55;
    system.programWindows.windows[7] = {{100, 0, kForever}};
    PendingWindows pending(system, {});
    pending.Add(1, "Editor", 7, Wish(style, WindowRect{0, 0, 10, 10}));
    pending.Finish();
    ASSERT_EQ(system.programWindows.applied.size(), 1U);
    EXPECT_EQ(system.programWindows.applied[0].second.focused, 55U);
  }
}

TEST(UnappliedWishes, ACheckSaysOnceWhatThisDesktopDoesNotApply) {
  const std::vector<CollItem> items = {
      Item("plain", "/bin/a"),
      With(Item("placed", "/bin/b", "", 3), {{"Place", "0,0,960,1080"}, {"Desktop", "2"}}),
      With(Item("on 2", "/bin/c"), {{"desktop", "2"}}),
      Item("minimized", "/bin/d", "", 2),
      With(Item("wrong", "/bin/e"), {{"Place", "x"}}),
  };
  const struct {
    const char* name;
    ProgramWindows::Abilities can;
    std::string text;
  } rows[] = {
      {"a desktop that applies everything", {true, true, true, true}, ""},
      {"a desktop without workspaces",
       {true, true, true, false},
       "this desktop does not apply workspaces (items 2, 3); they start where the desktop "
       "puts them"},
      {"a desktop that applies nothing",
       {},
       "this desktop does not apply window styles (items 2, 4), places (item 2) and "
       "workspaces (items 2, 3); they start where the desktop puts them"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(UnappliedWishesText(items, row.can), row.text);
  }
}

}  // namespace
}  // namespace tavrin
