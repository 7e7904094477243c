#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tavrin {

// 16-bit Boolean values as the collection stores them.
inline constexpr int16_t kTrue = -1;
inline constexpr int16_t kFalse = 0;

// Window style codes an item can hold.
enum WinStyleCode : int16_t {
  kStyleHidden = 0,
  kStyleNormal = 1,
  kStyleMinimized = 2,
  kStyleMaximized = 3,
  kStyleNormalNoFocus = 4,
  kStyleMinimizedNoFocus = 5,
};

// One run option of an item: a key (`Delay`, `Env`, ... or one this version does not
// know) and its value, both as the file holds them.
struct ItemOption {
  std::string Key;
  std::string Value;

  bool operator==(const ItemOption&) const = default;
};

// One program or document to start. A value-initialised record is the empty record.
// Its run options travel with it wherever it goes (insert, remove, swap, edit, save),
// in the order the file gave them; a key may appear more than once (`Env`).
struct CollItem {
  std::string File;
  std::string ItemName;
  std::string Params;
  int16_t WinStyle = 0;
  int16_t Wait = kFalse;
  std::vector<ItemOption> Options;

  bool operator==(const CollItem&) const = default;
};

// The current collection: one instance per program, handed to whoever needs it.
struct CollectionState {
  // Never empty: with no items it holds the empty record as a placeholder.
  std::vector<CollItem> Items{CollItem{}};
  bool HasItems = false;
  std::string CurrentCollFile;
  bool StartingUp = false;
  // Set by each load: the line from which the file's run options could not be read
  // (they were left out from there on), 0 when they all were read or there were none.
  int OptionsBadLine = 0;

  // Items becomes one empty record.
  void ResetItems() { Items.assign(1, CollItem{}); }
  int UpperBound() const { return static_cast<int>(Items.size()) - 1; }
  // True when Items holds nothing but the empty record: the placeholder of an empty
  // collection (also what a saved empty collection reads back as).
  // The one empty record, whatever run options it carries: they have nothing to act on.
  bool IsEmptyCollection() const {
    if (Items.size() != 1) return false;
    const CollItem& only = Items.front();
    return only.File.empty() && only.ItemName.empty() && only.Params.empty() &&
           only.WinStyle == CollItem{}.WinStyle && only.Wait == CollItem{}.Wait;
  }
};

// The record and flag through which the main window and the item editor exchange
// an item.
struct EditExchange {
  CollItem EditItem;
  bool EditCancelled = false;
};

}  // namespace tavrin
