#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "collection/collection.h"
#include "collection/run_options.h"
#include "platform/program_windows.h"
#include "platform/system.h"

namespace tavrin {

// How long a started program has to show its first window, and how long after its window
// is placed a replaced or moved-back window gets its style and place once more
// (milliseconds).
inline constexpr int64_t kWindowWaitLimit = 10000;
inline constexpr int64_t kWindowWatch = 2000;

// What `item`, with its run options, asks of its first window.
WindowWish WishOf(const CollItem& item, const RunOptions& options);

// What the desktop cannot apply of what the items ask of their windows, said once for a
// check: "this desktop does not apply window places (item 2) and workspaces (items 2,
// 3); they start where the desktop puts them"; empty when it applies all they ask.
std::string UnappliedWishesText(const std::vector<CollItem>& items,
                                const ProgramWindows::Abilities& can);

// The windows a run still has to give their style, place and workspace. The run adds
// each program it starts; each look (Poll) finds the windows that have appeared and
// applies the wish, applies it once more when the program replaced its window (a window
// that goes is waited for to come back, within kWindowWaitLimit) or moved it back within
// kWindowWatch (or when the window was never seen where asked within kWindowWatch), and
// gives up on one that has not appeared within kWindowWaitLimit with a
// note.
class PendingWindows {
 public:
  // Told of each window given up on: the item's position and name, and the note.
  using Note =
      std::function<void(int position, const std::string& itemName, const std::string& text)>;
  PendingWindows(SystemInfo& system, Note note);

  // Whether an item with this wish is worth watching here.
  bool Wanted(const WindowWish& wish) const;
  void Add(int position, const std::string& itemName, int64_t pid, const WindowWish& wish);
  // One look at every pending window.
  void Poll();
  // Looks until no window is pending, pausing between looks.
  void Finish();
  bool Empty() const { return pending_.empty(); }

 private:
  struct Pending {
    int position = 0;
    std::string itemName;
    int64_t pid = 0;
    WindowWish wish;
    int64_t since = 0;        // when the program started
    WindowHandle window = 0;  // its window, once found
    int64_t placedAt = 0;     // when the wish was applied
    bool seenPlaced = false;  // the window has been seen standing as asked
  };
  // Whether `p` is done with.
  bool Look(Pending& p, int64_t now);

  SystemInfo& system_;
  ProgramWindows& windows_;
  Note note_;
  std::vector<Pending> pending_;
};

}  // namespace tavrin
