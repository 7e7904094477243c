// The texts of the desktop integration: Exec lines, the desktop entry, mimeapps.list.
#include <gtest/gtest.h>

#include "platform/posix/desktop_integration.h"

namespace tavrin::posix {
namespace {

using Words = std::vector<std::string>;

TEST(DesktopText, CommandsSplitAsTheRegistryWritesThem) {
  EXPECT_EQ(SplitCommand("\"/opt/My Tools/tavrin\" %1 /run"),
            (Words{"/opt/My Tools/tavrin", "%1", "/run"}));
  EXPECT_EQ(SplitCommand("c:\\tools\\launch.exe %1"), (Words{"c:\\tools\\launch.exe", "%1"}));
  // A quote inside the program's path does not end it; only one before a blank does.
  EXPECT_EQ(SplitCommand("\"/a\"b/tavrin\" %1"), (Words{"/a\"b/tavrin", "%1"}));
  EXPECT_EQ(SplitCommand("  prog  \"two words\"  x"), (Words{"prog", "two words", "x"}));
  EXPECT_EQ(SplitCommand(""), Words{});
}

TEST(DesktopText, ExecQuotesTheProgramAndTurnsThePlaceholderIntoAFieldCode) {
  EXPECT_EQ(ExecFromCommand("\"/usr/bin/tavrin\" %1 /run"), "\"/usr/bin/tavrin\" %f /run");
  // Blanks, '$', '`', '"', '\' and '%' in the path survive the Desktop Entry rules.
  EXPECT_EQ(ExecFromCommand("\"/opt/My $Tools/a`b\\c\" %1"), "\"/opt/My \\$Tools/a\\`b\\\\c\" %f");
  // A '%' is doubled, and the program is then started through env (see the header).
  EXPECT_EQ(ExecFromCommand("\"/opt/100%/tavrin\" %1 50%"), "env \"/opt/100%%/tavrin\" %f 50%%");
  EXPECT_EQ(ExecArgument("two words"), "\"two words\"");
  EXPECT_EQ(ExecArgument(""), "\"\"");
  EXPECT_EQ(ExecArgument("/run"), "/run");
  EXPECT_EQ(ExecFromCommand("\"\" %1"), "");
  EXPECT_EQ(ExecFromCommand(""), "");
  // The file's own string escapes come on top: a backslash is written twice again.
  EXPECT_EQ(DesktopFileString("\"a\\\\b\"\nc\t"), "\"a\\\\\\\\b\"\\nc\\t");
  EXPECT_EQ(DesktopFileString(" lead"), "\\slead");
}

TEST(DesktopText, DesktopEntryAndMimePackage) {
  const FileTypeAssociation stored{"Tavrin Collection", "\"/opt/My Tools/tavrin\" %1",
                                   "\"/opt/My Tools/tavrin\" %1 /run", "&Run"};
  const std::string entry = DesktopEntry(stored);
  EXPECT_EQ(entry.rfind("[Desktop Entry]\n", 0), 0u) << entry;
  for (const char* line :
       {"\nExec=\"/opt/My Tools/tavrin\" %f\n", "\nMimeType=application/x-tavrin;\n",
        "\nActions=Run;\n",
        "[Desktop Action Run]\nName=Run\nExec=\"/opt/My Tools/tavrin\" %f /run\n"}) {
    EXPECT_NE(entry.find(line), std::string::npos) << line << entry;
  }
  FileTypeAssociation noRun = stored;
  noRun.runCommand.clear();
  EXPECT_EQ(DesktopEntry(noRun).find("Run"), std::string::npos);
  FileTypeAssociation noOpen = stored;
  noOpen.openCommand.clear();
  EXPECT_EQ(DesktopEntry(noOpen), "");

  const std::string xml = MimePackage({"Tavrin <Collection> & more", "", "", ""});
  EXPECT_NE(xml.find("<mime-type type=\"application/x-tavrin\">"), std::string::npos);
  EXPECT_NE(xml.find("<glob pattern=\"*.tavrin\"/>"), std::string::npos);
  EXPECT_NE(xml.find("<comment>Tavrin &lt;Collection&gt; &amp; more</comment>"), std::string::npos);
  EXPECT_EQ(MimePackage({}).find("<comment>"), std::string::npos);
}

constexpr char kType[] = "application/x-tavrin";
constexpr char kId[] = "tavrin-collection.desktop";

// Registering twice changes nothing more; removing gives the list as it was.
TEST(DesktopText, DefaultApplicationLineComesAndGoesLeavingEveryOtherLine) {
  const std::string before[] = {
      "# my settings\n[Added Associations]\napplication/x-tavrin=editor.desktop;\n\n"
      "[Default Applications]\ntext/plain=viewer.desktop;\n\n"
      "[Removed Associations]\nimage/png=gimp.desktop;\n",
      "",
      "[Added Associations]\ntext/plain=viewer.desktop;",  // no line end
      "[Default Applications]\napplication/x-tavrin=old.desktop;\n",
  };
  const std::string after[] = {
      "# my settings\n[Added Associations]\napplication/x-tavrin=editor.desktop;\n\n"
      "[Default Applications]\ntext/plain=viewer.desktop;\n"
      "application/x-tavrin=tavrin-collection.desktop;\n\n"
      "[Removed Associations]\nimage/png=gimp.desktop;\n",
      "[Default Applications]\napplication/x-tavrin=tavrin-collection.desktop;\n",
      "[Added Associations]\ntext/plain=viewer.desktop;\n[Default Applications]\n"
      "application/x-tavrin=tavrin-collection.desktop;\n",
      // An earlier default stays behind ours and comes back.
      "[Default Applications]\napplication/x-tavrin=tavrin-collection.desktop;old.desktop;\n",
  };
  for (int i = 0; i < 4; ++i) {
    const std::string with = WithDefaultApplication(before[i], kType, kId);
    EXPECT_EQ(with, after[i]);
    EXPECT_EQ(WithDefaultApplication(with, kType, kId), with);
    EXPECT_EQ(WithoutDefaultApplication(with, kType, kId), i == 2 ? before[i] + "\n" : before[i]);
  }
  // A default the user chose since is not touched.
  for (const std::string& list :
       {std::string("[Default Applications]\napplication/x-tavrin=mine.desktop;\n"),
        "[Default Applications]\napplication/x-tavrinx=" + std::string(kId) + ";\n"}) {
    EXPECT_EQ(WithoutDefaultApplication(list, kType, kId), list);
  }
}

}  // namespace
}  // namespace tavrin::posix
