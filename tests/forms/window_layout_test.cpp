// The windows' descriptions, which both views make their windows from: every control
// the form names is there once, and no two captions of a window share an access key.
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <map>
#include <string>

#include "forms/frm_main.h"

namespace tavrin {
namespace {

template <class Id, class Menu>
void ExpectSound(const WindowLayout<Id, Menu>& layout, int ids) {
  SCOPED_TRACE(layout.caption);
  std::map<int, int> named;
  std::map<char, std::string> keys;
  const auto key = [&keys](const char* text) {
    const char* amp = text != nullptr ? std::strchr(text, '&') : nullptr;
    if (amp == nullptr || amp[1] == '\0') return;
    const auto k = static_cast<char>(std::tolower(amp[1]));
    EXPECT_TRUE(keys.emplace(k, text).second) << text << " and " << keys[k] << " share a key";
  };
  for (const ControlLayout<Id>& c : layout.controls) {
    ++named[static_cast<int>(c.id)];
    for (const ToolButtonLayout<Id>& b : c.buttons) ++named[static_cast<int>(b.id)];
    if (c.kind != ControlKind::Heading && c.kind != ControlKind::Link) key(c.text);
  }
  for (const MenuLayout<Menu>& menu : layout.menus) {
    if (!menu.popup) key(menu.text);
  }
  for (int id = 1; id < ids; ++id) EXPECT_EQ(named[id], 1) << "control " << id;
}

TEST(WindowLayout, EachControlOnceAndNoAccessKeyTwice) {
  ExpectSound(MainWindowLayout(), static_cast<int>(MainControl::btnExit) + 1);
  ExpectSound(ItemEditorLayout(), static_cast<int>(EditControl::tbOpenFind) + 1);
  ExpectSound(AboutBoxLayout(), static_cast<int>(AboutControl::btnOK) + 1);
}

}  // namespace
}  // namespace tavrin
