// What a capture makes of the windows open now: items with safe names, and a note for
// each window whose program cannot be started again.
#include "launch/capture.h"

#include <gtest/gtest.h>

#include "fakes.h"

namespace tavrin {
namespace {

using testing::Item;
using testing::With;

TEST(CapturedName, OneShortLineOfWhatTheTitleShows) {
  struct Case {
    const char* name;
    std::string title, captured;
  };
  const std::vector<Case> cases = {
      {"control characters",
       "a\tb\x01\x7f"
       "c",
       "a b c"},
      {"line feed and line separator", "first\nsecond\xe2\x80\xa8third", "first second third"},
      {"C1 control",
       "a\xc2\x85"
       "b",
       "a b"},
      {"direction controls taken out",
       "abc\xe2\x80\xae"
       "fed\xe2\x81\xa6x\xe2\x80\x8f",
       "abcfedx"},
      {"runs of blanks", "  a   b \t ", "a b"},
      {"only controls", "\x01\x02\n", ""},
      {"bytes that are no UTF-8 kept", "caf\xe9 \xff\xfe", "caf\xe9 \xff\xfe"},
      {"long title", std::string(70, 'x'), std::string(57, 'x') + "..."},
      {"60 columns kept whole", std::string(60, 'y'), std::string(60, 'y')},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CapturedName(c.title, TextEncoding::kUtf8), c.captured) << c.name;
  }
}

// A desktop whose open windows are what the test says.
class ListedWindows : public ProgramWindows {
 public:
  std::optional<std::vector<OpenWindow>> OpenWindows() override { return open; }
  std::optional<std::vector<OpenWindow>> open;
};

TEST(CaptureOpenWindows, AnItemPerWindowAndANotePerWindowLeftOut) {
  ListedWindows windows;
  EXPECT_FALSE(CaptureOpenWindows(windows).listed);

  OpenWindow placed{11,
                    "Editor - notes.txt",
                    3,
                    WindowRect{10, 20, 300, 200},
                    2,
                    "/usr/bin/editor",
                    "'my notes.txt'",
                    "/home/me",
                    ""};
  // The name is the program file's, without its folder and its extension.
  const std::string tool = std::string("tools") + kNativeSeparator + "tool.bin";
  OpenWindow untitled{12, "", 1, WindowRect{0, 0, 0, 0}, 0, tool, "", "", ""};
  OpenWindow ended{13, "Gone\x1b[31m", 1, {}, 1, "", "", "", "it has ended"};
  windows.open = {{placed, ended, untitled}};
  const Capture capture = CaptureOpenWindows(windows);
  EXPECT_TRUE(capture.listed);
  const std::vector<CollItem> items = {
      With(Item("Editor - notes.txt", "/usr/bin/editor", "'my notes.txt'", 3),
           {{"WorkDir", "/home/me"}, {"Place", "10,20,300,200"}, {"Desktop", "2"}}),
      Item("tool", tool)};
  EXPECT_EQ(capture.items, items);
  EXPECT_EQ(capture.notes,
            std::vector<std::string>{"window \"Gone [31m\" (process 13): it has ended"});
}

}  // namespace
}  // namespace tavrin
