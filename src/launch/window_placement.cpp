#include "launch/window_placement.h"

#include <algorithm>

#include "launch/stop_request.h"

namespace tavrin {
namespace {

constexpr int kHidden = 0;
constexpr int kNormal = 1;
constexpr int kNormalNoFocus = 4;
constexpr int kMinimizedNoFocus = 5;

// "item 2", "items 2, 3".
std::string ItemsText(const std::vector<int>& positions) {
  std::string text = positions.size() == 1 ? "item " : "items ";
  for (std::size_t i = 0; i < positions.size(); ++i) {
    text += (i == 0 ? "" : ", ") + std::to_string(positions[i]);
  }
  return text;
}

}  // namespace

WindowWish WishOf(const CollItem& item, const RunOptions& options) {
  WindowWish wish;
  wish.style = item.WinStyle >= 0 && item.WinStyle <= kMinimizedNoFocus ? item.WinStyle : kNormal;
  wish.place = options.place;
  wish.desktop = options.desktop;
  return wish;
}

std::string UnappliedWishesText(const std::vector<CollItem>& items,
                                const ProgramWindows::Abilities& can) {
  std::vector<int> styles, places, desktops;
  for (std::size_t i = 0; i < items.size(); ++i) {
    RunOptions options;
    if (!ReadRunOptions(items[i], options).empty()) continue;
    const WindowWish wish = WishOf(items[i], options);
    const int position = static_cast<int>(i) + 1;
    if (!can.style && wish.style != kNormal && wish.style != kNormalNoFocus) {
      styles.push_back(position);
    }
    if (!can.place && wish.place) places.push_back(position);
    if (!can.desktop && wish.desktop > 0) desktops.push_back(position);
  }
  std::vector<std::string> parts;
  if (!styles.empty()) parts.push_back("window styles (" + ItemsText(styles) + ")");
  if (!places.empty()) parts.push_back("places (" + ItemsText(places) + ")");
  if (!desktops.empty()) parts.push_back("workspaces (" + ItemsText(desktops) + ")");
  if (parts.empty()) return "";
  std::string text = "this desktop does not apply ";
  for (std::size_t i = 0; i < parts.size(); ++i) {
    text += (i == 0 ? "" : i + 1 == parts.size() ? " and " : ", ") + parts[i];
  }
  return text + "; they start where the desktop puts them";
}

PendingWindows::PendingWindows(SystemInfo& system, Note note)
    : system_(system), windows_(system.Windows()), note_(std::move(note)) {}

bool PendingWindows::Wanted(const WindowWish& wish) const {
  if (!wish.AsksAnything()) return false;
  const ProgramWindows::Abilities can = windows_.Can();
  return (can.style && !can.styleAtStart && wish.style != kNormal) || (can.place && wish.place) ||
         (can.desktop && wish.desktop > 0);
}

void PendingWindows::Add(int position, const std::string& itemName, int64_t pid,
                         const WindowWish& wish) {
  if (pid == 0 || !Wanted(wish)) return;
  Pending p{position, itemName, pid, wish, system_.SteadyMilliseconds()};
  if (wish.style == kNormalNoFocus || wish.style == kMinimizedNoFocus) {
    p.wish.focused = windows_.FocusedWindow();
  }
  pending_.push_back(std::move(p));
}

bool PendingWindows::Look(Pending& p, int64_t now) {
  if (p.window == 0) {
    p.window = windows_.FirstWindowOf(p.pid);
    if (p.window == 0) {
      if (now - p.since < kWindowWaitLimit) return false;
      if (note_) {
        note_(p.position, p.itemName,
              "its window did not appear within " + std::to_string(kWindowWaitLimit / 1000) +
                  " s and was left where the desktop puts it");
      }
      return true;
    }
    windows_.Apply(p.window, p.wish);
    p.placedAt = now;
    return false;
  }
  // A splash replaced by the real window, or a window its program moved back, gets the
  // wish once more.
  const WindowHandle first = windows_.FirstWindowOf(p.pid);
  if (first != 0 && first != p.window) {
    windows_.Apply(first, p.wish);
    return true;
  }
  // A window that went (a splash whose real window is still to come) leaves the watch
  // open until a window shows again, within the limit; a hidden one went as asked.
  if (first == 0 && p.wish.style != kHidden) return now - p.since >= kWindowWaitLimit;
  // Moved back: seen where it was asked to be, then elsewhere (until the desktop has done
  // what it was asked, the window still stands where it came).
  const bool holds = windows_.Holds(p.window, p.wish);
  if (!holds && p.seenPlaced) {
    windows_.Apply(p.window, p.wish);
    return true;
  }
  p.seenPlaced = p.seenPlaced || holds;
  if (now - p.placedAt < kWindowWatch) return false;
  // Never seen standing as asked (the program drew its window at its old size after
  // the desktop placed it, before the first look): asked once more.
  if (!p.seenPlaced) windows_.Apply(p.window, p.wish);
  return true;
}

void PendingWindows::Poll() {
  const int64_t now = system_.SteadyMilliseconds();
  std::erase_if(pending_, [&](Pending& p) { return Look(p, now); });
}

void PendingWindows::Finish() {
  constexpr long kLookEvery = 20;
  for (Poll(); !pending_.empty() && !StopRequested(); Poll()) system_.Pause(kLookEvery);
}

}  // namespace tavrin
