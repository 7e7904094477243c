#pragma once

#include "collection/collection.h"

namespace tavrin {

// The rules by which the list of items changes. A window lists `Items` entry for entry
// while HasItems is true, and nothing otherwise; these functions keep that so. Each
// returns false, without a change, for an index or position outside what the list shows;
// RemoveItem alone goes by the records held, whatever HasItems says.

// How many entries the list shows: the items while HasItems is true, none otherwise.
int ListedCount(const CollectionState& state);

// Whether `index` names an entry the list shows.
bool IsListedIndex(const CollectionState& state, int index);

// Puts `item` into the collection so that it stands at `position` (0 to ListedCount):
// the items from there on move one place down. An empty collection's placeholder is
// replaced by it. HasItems becomes true.
bool InsertItem(CollectionState& state, int position, const CollItem& item);

// Replaces the item at `index` with `item`.
bool ReplaceItem(CollectionState& state, int index, const CollItem& item);

// Removes the record at `index` (0 to UpperBound); the items after it move one place up,
// in their order. When the collection holds one record, it becomes the empty placeholder and
// HasItems false, whatever `index` says.
bool RemoveItem(CollectionState& state, int index);

// Swaps the items at `i` and `j`, both entries the list shows.
bool SwapItems(CollectionState& state, int i, int j);

}  // namespace tavrin
