#include "collection/item_list.h"

#include <utility>

namespace tavrin {
namespace {

std::size_t At(int index) { return static_cast<std::size_t>(index); }

}  // namespace

int ListedCount(const CollectionState& state) {
  return state.HasItems ? static_cast<int>(state.Items.size()) : 0;
}

bool IsListedIndex(const CollectionState& state, int index) {
  return index >= 0 && index < ListedCount(state);
}

bool InsertItem(CollectionState& state, int position, const CollItem& item) {
  if (position < 0 || position > ListedCount(state)) return false;
  if (state.HasItems) {
    state.Items.insert(state.Items.begin() + position, item);
  } else {
    state.Items.assign(1, item);
  }
  state.HasItems = true;
  return true;
}

bool ReplaceItem(CollectionState& state, int index, const CollItem& item) {
  if (!IsListedIndex(state, index)) return false;
  state.Items[At(index)] = item;
  return true;
}

bool RemoveItem(CollectionState& state, int index) {
  if (state.UpperBound() == 0) {
    state.ResetItems();
    state.HasItems = false;
    return true;
  }
  if (index < 0 || index > state.UpperBound()) return false;
  state.Items.erase(state.Items.begin() + index);
  return true;
}

bool SwapItems(CollectionState& state, int i, int j) {
  if (!IsListedIndex(state, i) || !IsListedIndex(state, j)) return false;
  std::swap(state.Items[At(i)], state.Items[At(j)]);
  return true;
}

}  // namespace tavrin
