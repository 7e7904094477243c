// The ".tavrin" association against a registry that behaves like the Windows one.
#include "shellreg/association.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "fakes.h"

namespace tavrin {
namespace {

constexpr auto kRoot = Registry::kClassesRoot;
constexpr char kQuestion[] = "The Tavrin - Registry Option... (35) ";  // Yes, No and Cancel

// Program paths of the platform the tests run on (the Windows rules form the path from
// the program's folder and name).
const std::string kProgram =
    kWindowsProgramPath ? "C:\\My Tools\\tavrin.exe" : "/opt/My Tools/tavrin";
const std::string kMoved =
    kWindowsProgramPath ? "D:\\home\\bin\\tavrin.exe" : "/home/me/bin/tavrin";

// What the registry holds after a registration with the program at `program`.
std::string Registered(const std::string& program) {
  return ".tavrin = Tavrin\\0\nTavrin = Tavrin Collection\\0\nTavrin\\shell\nTavrin\\shell\\Open\n"
         "Tavrin\\shell\\Open\\command = \"" +
         program +
         "\" %1\\0\n"
         "Tavrin\\shell\\Run = &Run\\0\n"
         "Tavrin\\shell\\Run\\command = \"" +
         program + "\" %1 /run\\0\n";
}

struct Association : ::testing::Test {
  testing::FakePlatform fake;
  testing::MemoryRegistry& registry = fake.registry;
  Platform& platform = fake.platform;

  Association() { fake.system.executablePath = kProgram; }
};

// Missing, an empty text or a value of another type: the association is written with the
// quoted program path. Present, even with stale commands, it is left alone; only when the
// desktop's own files of it have gone are they made again from the store.
TEST_F(Association, EnsureRegisteredAndTheRegistryQuestion) {
  // Nothing, an empty text, a REG_DWORD.
  const std::pair<uint32_t, std::string> before[] = {
      {0, ""}, {Registry::kRegSz, std::string(1, '\0')}, {4, std::string("\1\0\0\0", 4)}};
  for (const auto& [type, value] : before) {
    testing::FakePlatform other;
    other.system.executablePath = kProgram;
    if (type != 0) other.registry.Put(".tavrin", type, value);
    EnsureRegistered(other.platform);
    EXPECT_EQ(other.registry.Contents(), Registered(kProgram)) << type;
    EXPECT_EQ(other.registry.associationChanges, 1);
  }
  EnsureRegistered(platform);
  fake.system.executablePath = kMoved;
  EnsureRegistered(platform);
  EXPECT_EQ(registry.Contents(), Registered(kProgram));
  EXPECT_EQ(registry.associationChanges, 1);
  registry.filesPresent = false;
  EnsureRegistered(platform);
  registry.filesPresent = true;
  EXPECT_EQ(registry.Contents(), Registered(kProgram));
  EXPECT_EQ(registry.associationChanges, 2);
  // Yes registers with the program's new place, Cancel changes nothing, No removes the
  // association, and the next load brings it back.
  fake.toolkit.answers = {kAnswerYes, kAnswerCancel, kAnswerNo};
  mnuOption_Click(0, platform);
  EXPECT_EQ(registry.Contents(), Registered(kMoved));
  EXPECT_EQ(registry.associationChanges, 3);
  mnuOption_Click(1, platform);  // another entry of the menu
  mnuOption_Click(0, platform);
  EXPECT_EQ(registry.Contents(), Registered(kMoved));
  EXPECT_EQ(registry.associationChanges, 3);
  mnuOption_Click(0, platform);
  EXPECT_FALSE(registry.HasKey(".tavrin"));
  // The registry refuses to delete "Tavrin", which has subkeys; it is harmless there, as
  // only ".tavrin" decides whether the association is present.
  EXPECT_TRUE(registry.HasKey("Tavrin"));
  EXPECT_EQ(registry.associationChanges, 4);
  EXPECT_THAT(fake.toolkit.boxes, ::testing::ElementsAre(::testing::StartsWith(kQuestion),
                                                         ::testing::StartsWith(kQuestion),
                                                         ::testing::StartsWith(kQuestion)));
  // Where the file type is registered: the Registry on Windows, the desktop elsewhere.
  EXPECT_THAT(fake.toolkit.boxes[0],
              ::testing::HasSubstr(kWindowsRules ? "registered in Windows Registry."
                                                 : "registered with this desktop."));
  EnsureRegistered(platform);
  EXPECT_EQ(registry.Contents(), Registered(kMoved));
  EXPECT_EQ(registry.OpenHandles(), 0u);
}

// Unregistering removes "Tavrin" too where the registry allows it. Refused writes are passed
// over silently, and without its own path the program writes nothing. What the store or
// the desktop could not do is told after the Registry question, in a box of its own; a
// program path the store cannot name is not written at all. The window's load tells nothing.
TEST_F(Association, WhatCouldNotBeDoneIsToldAfterTheRegistryQuestionAndOnlyThere) {
  registry.Put(".tavrin", Registry::kRegSz, std::string("Tavrin\0", 7));
  registry.Put("Tavrin", Registry::kRegSz, std::string("Tavrin Collection\0", 18));
  EXPECT_EQ(UnregisterFileType(platform), "");
  EXPECT_EQ(registry.Contents(), "");
  registry.readOnly = true;
  EnsureRegistered(platform);
  fake.toolkit.answers = {kAnswerYes};
  mnuOption_Click(0, platform);
  EXPECT_EQ(registry.Contents(), "");
  EXPECT_EQ(fake.toolkit.boxes.size(), 1u);  // the question, and no error box
  registry.readOnly = false;
  fake.system.executablePath = "";
  EnsureRegistered(platform);
  EXPECT_EQ(registry.Contents(), "");
  const std::string told = "The Tavrin - Registry Option... (48) ";
  fake.system.executablePath = kWindowsProgramPath ? "C:\\Odd?\\tavrin.exe" : "/opt/Odd?/tavrin";
  const std::string odd = AssociationProgramPath(fake.system.executablePath);
  const int changes = registry.associationChanges;
  EnsureRegistered(platform);
  fake.toolkit.answers = {kAnswerYes};
  mnuOption_Click(0, platform);
  EXPECT_EQ(registry.Contents(), "");
  EXPECT_EQ(registry.associationChanges, changes);
  ASSERT_EQ(fake.toolkit.boxes.size(), 3u);
  EXPECT_EQ(fake.toolkit.boxes[2], told + odd + "\n\nNot here.");
  fake.system.executablePath = kProgram;
  registry.associationProblem = "/list\n\nLeft alone.";
  EnsureRegistered(platform);
  EXPECT_EQ(registry.Contents(), Registered(kProgram));
  EXPECT_EQ(fake.toolkit.boxes.size(), 3u);
  fake.toolkit.answers = {kAnswerNo, kAnswerOk, kAnswerCancel};
  mnuOption_Click(0, platform);
  mnuOption_Click(0, platform);
  EXPECT_EQ(fake.toolkit.boxes.size(), 6u);  // Cancel changes nothing and tells nothing
  EXPECT_EQ(fake.toolkit.boxes[4], told + "/list\n\nLeft alone.");
}

TEST(RegValues, TextsUpTo255CharactersReadBackAndTheProgramPathIsFormed) {
  testing::MemoryRegistry registry;
  Registry::Key key = 0;
  ASSERT_EQ(registry.CreateKey(kRoot, "Long", key), Registry::kSuccess);
  EXPECT_EQ(SetRegValue(registry, key, "", Registry::kRegSz, std::string(255, 'a')),
            Registry::kSuccess);
  EXPECT_EQ(SetRegValue(registry, key, "named", Registry::kRegSz, std::string(256, 'b')),
            Registry::kSuccess);
  registry.CloseKey(key);
  EXPECT_EQ(GetRegValue(registry, kRoot, "Long", ""), std::string(255, 'a'));
  EXPECT_EQ(GetRegValue(registry, kRoot, "Long", "named"), "");
  // The program path: the Windows rules form it from folder and name; others take the executable's.
  EXPECT_EQ(ProgramPathFromParts("c:\\tools", "launch"), "c:\\tools\\launch.exe");
  EXPECT_EQ(AssociationProgramPath("C:\\Tools\\TAVRIN.EXE", true), "C:\\Tools\\TAVRIN.exe");
  EXPECT_EQ(AssociationProgramPath("c:\\my.tools\\launch", true), "c:\\my.tools\\launch.exe");
  EXPECT_EQ(AssociationProgramPath("/opt/my.tools/tavrin", false), "/opt/my.tools/tavrin");
}

}  // namespace
}  // namespace tavrin
