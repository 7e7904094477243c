// The rules by which the item list changes: where a new item goes, what removing the
// last one leaves, swapping neighbours, and the indexes each refuses.
#include <gtest/gtest.h>

#include "collection/item_list.h"
#include "fakes.h"

namespace tavrin {
namespace {

using testing::Item;
using Names = std::vector<std::string>;

// Each change: whether it is made and the records after it ("x" the new one); they are
// listed unless only the placeholder is left, or nothing was listed and nothing made.
TEST(ItemList, EachChangeAndTheIndexesItRefuses) {
  const CollItem x = Item("x", "/bin/x", "-x", kStyleHidden, kTrue);
  const struct {
    const char* name;
    Names before;
    bool listed;
    char change;  // Insert, Remove, Swap (i and i + 1), Replace
    int i;
    bool made;
    Names after;
  } cases[] = {
      {"insert first", {"a", "b", "c"}, true, 'I', 0, true, {"x", "a", "b", "c"}},
      {"insert after the second", {"a", "b", "c"}, true, 'I', 2, true, {"a", "b", "x", "c"}},
      {"insert at the end", {"a", "b", "c"}, true, 'I', 3, true, {"a", "b", "c", "x"}},
      {"insert beyond the end", {"a", "b"}, true, 'I', 3, false, {"a", "b"}},
      {"insert before the start", {"a", "b"}, true, 'I', -1, false, {"a", "b"}},
      {"the first replaces records not listed", {"a", "b"}, false, 'I', 0, true, {"x"}},
      {"nothing listed: only at 0", {"a", "b"}, false, 'I', 1, false, {"a", "b"}},
      {"remove keeps the order", {"a", "b", "c"}, true, 'R', 1, true, {"a", "c"}},
      {"remove beyond the end", {"a", "b"}, true, 'R', 2, false, {"a", "b"}},
      // One record: the index is not looked at.
      {"the last leaves the placeholder", {"a"}, true, 'R', 7, true, {""}},
      {"swap neighbours", {"a", "b", "c"}, true, 'S', 0, true, {"b", "a", "c"}},
      {"swap beyond the end", {"a", "b"}, true, 'S', 1, false, {"a", "b"}},
      {"swap where nothing is listed", {"a", "b"}, false, 'S', 0, false, {"a", "b"}},
      {"replace", {"a", "b", "c"}, true, 'P', 2, true, {"a", "b", "x"}},
      {"replace beyond the end", {"a", "b"}, true, 'P', 2, false, {"a", "b"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CollectionState state;
    state.Items.clear();
    for (const auto& name : c.before) state.Items.push_back(Item(name, "/bin/" + name));
    state.HasItems = c.listed;
    const bool made = c.change == 'I'   ? InsertItem(state, c.i, x)
                      : c.change == 'R' ? RemoveItem(state, c.i)
                      : c.change == 'S' ? SwapItems(state, c.i, c.i + 1)
                                        : ReplaceItem(state, c.i, x);
    EXPECT_EQ(made, c.made);
    std::vector<CollItem> after;
    for (const std::string& name : c.after) {
      after.push_back(name == "x" ? x : name.empty() ? CollItem{} : Item(name, "/bin/" + name));
    }
    EXPECT_EQ(state.Items, after);
    EXPECT_EQ(state.HasItems, c.after != Names{""} && (c.made || c.listed));
  }
}

}  // namespace
}  // namespace tavrin
