// The rules by which the item list changes: where a new item goes, what removing the
// last one leaves, swapping neighbours, and the indexes each refuses.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "collection/item_list.h"
#include "fakes.h"

namespace tavrin {
namespace {

using ::testing::ElementsAre;
using testing::Item;

// A collection as a window lists it after loading.
CollectionState Listed(std::vector<std::string> names) {
  CollectionState state;
  state.Items.clear();
  for (const auto& name : names) state.Items.push_back(Item(name, "/bin/" + name));
  state.HasItems = true;
  return state;
}

std::vector<std::string> Names(const CollectionState& state) {
  std::vector<std::string> names;
  for (const auto& item : state.Items) names.push_back(item.ItemName);
  return names;
}

TEST(ItemList, InsertAtTheEndFirstOrAfterAnItem) {
  struct Case {
    const char* name;
    int position;
    std::vector<std::string> after;
  };
  for (const Case& c : {Case{"first", 0, {"new", "a", "b", "c"}},
                        Case{"after the second", 2, {"a", "b", "new", "c"}},
                        Case{"at the end", 3, {"a", "b", "c", "new"}}}) {
    SCOPED_TRACE(c.name);
    CollectionState state = Listed({"a", "b", "c"});
    EXPECT_TRUE(InsertItem(state, c.position, Item("new", "")));
    EXPECT_EQ(Names(state), c.after);
  }
  // An empty collection's placeholder gives way to the first item.
  CollectionState empty;
  EXPECT_TRUE(InsertItem(empty, 0, Item("first", "/bin/first")));
  EXPECT_THAT(empty.Items, ElementsAre(Item("first", "/bin/first")));
  EXPECT_TRUE(empty.HasItems);
  // Records left from a collection no longer listed are replaced as the placeholder is.
  CollectionState hidden = Listed({"old", "older"});
  hidden.HasItems = false;
  EXPECT_FALSE(InsertItem(hidden, 1, Item("x", "")));
  EXPECT_TRUE(InsertItem(hidden, 0, Item("x", "")));
  EXPECT_THAT(Names(hidden), ElementsAre("x"));
}

TEST(ItemList, RemoveKeepsTheOrderAndTheLastLeavesThePlaceholder) {
  CollectionState state = Listed({"a", "b", "c"});
  EXPECT_TRUE(RemoveItem(state, 1));
  EXPECT_THAT(Names(state), ElementsAre("a", "c"));
  EXPECT_TRUE(state.HasItems);
  EXPECT_TRUE(RemoveItem(state, 1));
  EXPECT_TRUE(RemoveItem(state, 7));  // one record: the index is not looked at
  EXPECT_THAT(state.Items, ElementsAre(CollItem{}));
  EXPECT_FALSE(state.HasItems);
}

TEST(ItemList, SwapNeighboursAndReplace) {
  CollectionState state = Listed({"First", "Second", "Third"});
  EXPECT_TRUE(SwapItems(state, 0, 1));
  EXPECT_THAT(state.Items, ElementsAre(Item("Second", "/bin/Second"), Item("First", "/bin/First"),
                                       Item("Third", "/bin/Third")));
  EXPECT_TRUE(ReplaceItem(state, 2, Item("3", "/bin/3", "-x", kStyleHidden, kTrue)));
  EXPECT_EQ(state.Items[2], Item("3", "/bin/3", "-x", kStyleHidden, kTrue));
}

// Every index outside what the list shows is refused without a change.
TEST(ItemList, IndexesOutsideTheListAreRefused) {
  const CollectionState before = Listed({"a", "b"});
  CollectionState state = before;
  EXPECT_FALSE(InsertItem(state, -1, Item("x", "")));
  EXPECT_FALSE(InsertItem(state, 3, Item("x", "")));
  EXPECT_FALSE(ReplaceItem(state, 2, Item("x", "")));
  EXPECT_FALSE(RemoveItem(state, 2));
  EXPECT_FALSE(SwapItems(state, 1, 2));
  EXPECT_EQ(state.Items, before.Items);
  EXPECT_TRUE(IsListedIndex(state, 1));
  EXPECT_FALSE(IsListedIndex(state, 2));
  // Nothing is listed while HasItems is false, whatever records remain.
  state.HasItems = false;
  EXPECT_FALSE(IsListedIndex(state, 0));
  EXPECT_FALSE(SwapItems(state, 0, 1));
  EXPECT_EQ(state.Items, before.Items);
}

}  // namespace
}  // namespace tavrin
