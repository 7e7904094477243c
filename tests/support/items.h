#pragma once

#include <string>
#include <vector>

#include "collection/collection.h"

namespace tavrin::testing {

inline CollItem Item(std::string name, std::string file, std::string params = "",
                     int16_t style = kStyleNormal, int16_t wait = kFalse) {
  return CollItem{std::move(file), std::move(name), std::move(params), style, wait};
}

// The bytes of a collection file of the current version holding `items`.
inline std::string CollectionText(const std::vector<CollItem>& items) {
  std::string text = "\"Tavrin File 1.2\"\r\n" + std::to_string(items.size() - 1) + "\r\n";
  for (const auto& i : items) {
    text += "\"" + i.ItemName + "\",\"" + i.File + "\",\"" + i.Params + "\"," +
            std::to_string(i.WinStyle) + (i.Wait ? ",#TRUE#\r\n" : ",#FALSE#\r\n");
  }
  return text;
}

}  // namespace tavrin::testing
