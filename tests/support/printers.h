// How GoogleTest prints the program's records in a failure: by their fields.
#pragma once

#include <ostream>

#include "collection/collection.h"

namespace tavrin {

inline void PrintTo(const CollItem& item, std::ostream* os) {
  *os << "{ItemName \"" << item.ItemName << "\", File \"" << item.File << "\", Params \""
      << item.Params << "\", WinStyle " << item.WinStyle << ", Wait " << item.Wait;
  for (const ItemOption& option : item.Options) {
    *os << ", " << option.Key << " \"" << option.Value << "\"";
  }
  *os << "}";
}

inline void PrintTo(const ItemOption& option, std::ostream* os) {
  *os << option.Key << " \"" << option.Value << "\"";
}

}  // namespace tavrin
