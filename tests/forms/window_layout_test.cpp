// The windows' descriptions, which both views make their windows from: every control
// the form names is there once, access keys do not clash, and every control fits in
// its frame and its window.
#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <string>

#include "forms/frm_main.h"

namespace tavrin {
namespace {

// The access key of a caption: the character after its '&', lower case; 0 for none.
char AccessKey(const char* text) {
  for (const char* c = text; c != nullptr && *c != '\0'; ++c) {
    if (*c == '&' && c[1] != '\0') return static_cast<char>(std::tolower(c[1]));
  }
  return 0;
}

bool Inside(const TwipsBox& inner, int width, int height) {
  return inner.left >= 0 && inner.top >= 0 && inner.left + inner.width <= width &&
         inner.top + inner.height <= height;
}

template <class Id, class Menu>
void ExpectSound(const WindowLayout<Id, Menu>& layout, int ids) {
  SCOPED_TRACE(layout.caption);
  std::map<int, int> named;
  std::map<char, std::string> keys;
  auto key = [&keys](const char* text) {
    if (const char k = AccessKey(text)) {
      EXPECT_TRUE(keys.emplace(k, text).second) << text << " and " << keys[k] << " share a key";
    }
  };
  TwipsBox frame{0, 0, layout.width, layout.height};
  for (const ControlLayout<Id>& c : layout.controls) {
    SCOPED_TRACE(c.name);
    ++named[static_cast<int>(c.id)];
    for (const ToolButtonLayout<Id>& b : c.buttons) ++named[static_cast<int>(b.id)];
    if (c.kind != ControlKind::Heading && c.kind != ControlKind::Link) key(c.text);
    if (c.inFrame) {
      EXPECT_TRUE(Inside(c.place, frame.width, frame.height)) << "outside its frame";
    } else {
      EXPECT_TRUE(Inside(c.place, layout.width, layout.height)) << "outside the window";
    }
    if (c.kind == ControlKind::Frame) frame = c.place;
  }
  for (const MenuLayout<Menu>& menu : layout.menus) {
    if (!menu.popup) key(menu.text);
  }
  for (int id = 1; id < ids; ++id) EXPECT_EQ(named[id], 1) << "control " << id;
}

TEST(WindowLayout, EachWindowIsSound) {
  ExpectSound(MainWindowLayout(), static_cast<int>(MainControl::btnExit) + 1);
  ExpectSound(ItemEditorLayout(), static_cast<int>(EditControl::tbOpenFind) + 1);
  ExpectSound(AboutBoxLayout(), static_cast<int>(AboutControl::btnOK) + 1);
}

}  // namespace
}  // namespace tavrin
