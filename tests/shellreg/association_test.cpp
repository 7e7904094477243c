// The ".tavrin" association against a registry that behaves like the Windows one.
#include "shellreg/association.h"

#include <gtest/gtest.h>

#include "fakes.h"

namespace tavrin {
namespace {

using testing::FailingFileSystem;
using testing::FakePlatform;

constexpr auto kRoot = Registry::kClassesRoot;

// Program paths of the platform the tests run on (the Windows rules form the path
// from the program's folder and name).
const std::string kProgram =
    kWindowsProgramPath ? "C:\\My Tools\\tavrin.exe" : "/opt/My Tools/tavrin";
const std::string kMovedProgram =
    kWindowsProgramPath ? "D:\\home\\bin\\tavrin.exe" : "/home/me/bin/tavrin";

// What the registry holds after a registration with the program at `program`.
std::string Registered(const std::string& program) {
  return ".tavrin = Tavrin\\0\n"
         "Tavrin = Tavrin Collection\\0\n"
         "Tavrin\\shell\n"
         "Tavrin\\shell\\Open\n"
         "Tavrin\\shell\\Open\\command = \"" +
         program +
         "\" %1\\0\n"
         "Tavrin\\shell\\Run = &Run\\0\n"
         "Tavrin\\shell\\Run\\command = \"" +
         program + "\" %1 /run\\0\n";
}

struct Association : ::testing::Test {
  FailingFileSystem files;
  FakePlatform fake{files};
  testing::MemoryRegistry& registry = fake.registry;
  Platform& platform = fake.platform;

  Association() { fake.system.executablePath = kProgram; }
};

TEST_F(Association, MissingAssociationIsWrittenWithTheQuotedProgramPath) {
  EnsureRegistered(platform);
  EXPECT_EQ(registry.Contents(), Registered(kProgram));
  EXPECT_EQ(registry.associationChanges, 1);
}

TEST_F(Association, RegistrationWritesInTheOrderTheShellExpects) {
  RegisterFileType(platform);
  const std::string quoted = "\"" + kProgram + "\"";
  EXPECT_EQ(registry.calls,
            (std::vector<std::string>{
                "create .tavrin", "set .tavrin @ 1 Tavrin\\0", "close .tavrin",
                "create Tavrin\\shell\\Open\\command",
                "set Tavrin\\shell\\Open\\command @ 1 " + quoted + " %1\\0",
                "close Tavrin\\shell\\Open\\command", "create Tavrin\\shell\\Run\\command",
                "set Tavrin\\shell\\Run\\command @ 1 " + quoted + " %1 /run\\0",
                "close Tavrin\\shell\\Run\\command", "open Tavrin",
                "set Tavrin @ 1 Tavrin Collection\\0", "close Tavrin", "open Tavrin\\shell\\Run",
                "set Tavrin\\shell\\Run @ 1 &Run\\0", "close Tavrin\\shell\\Run", "changed"}));
}

TEST_F(Association, EmptyValueCountsAsMissingAndPresentOneIsLeftAlone) {
  registry.Put(".tavrin", "", Registry::kRegSz, std::string(1, '\0'));
  EnsureRegistered(platform);
  EXPECT_EQ(registry.Contents(), Registered(kProgram));

  // Present, even with stale commands: nothing is written and the desktop is not told.
  fake.system.executablePath = "/elsewhere/tavrin";
  registry.calls.clear();
  EnsureRegistered(platform);
  EXPECT_EQ(registry.Contents(), Registered(kProgram));
  EXPECT_EQ(registry.calls,
            (std::vector<std::string>{"open .tavrin", "query .tavrin @", "close .tavrin"}));
  EXPECT_EQ(registry.associationChanges, 1);
}

TEST_F(Association, ValueOfAnotherTypeCountsAsMissing) {
  registry.Put(".tavrin", "", 4, std::string("\x01\x00\x00\x00", 4));  // REG_DWORD
  EnsureRegistered(platform);
  EXPECT_EQ(registry.DefaultValue(".tavrin"), std::string("Tavrin\0", 7));
}

TEST_F(Association, RegistryQuestionAsksWithYesNoCancel) {
  mnuOption_Click(0, platform);
  ASSERT_EQ(fake.toolkit.boxes.size(), 1u);
  EXPECT_EQ(fake.toolkit.boxes[0].text,
            "The Tavrin is currently registered in Windows Registry.\n"
            "Do you want Tavrin to be registered?");
  EXPECT_EQ(fake.toolkit.boxes[0].caption, "The Tavrin - Registry Option...");
  EXPECT_EQ(fake.toolkit.boxes[0].style, 35);

  mnuOption_Click(1, platform);  // another entry of the menu
  EXPECT_EQ(fake.toolkit.boxes.size(), 1u);
}

TEST_F(Association, YesRewritesTheCommandsWithTheProgramsNewPlace) {
  EnsureRegistered(platform);
  fake.system.executablePath = kMovedProgram;  // the program was moved
  fake.toolkit.answers = {kAnswerYes};
  mnuOption_Click(0, platform);
  EXPECT_EQ(registry.Contents(), Registered(kMovedProgram));
  EXPECT_EQ(registry.associationChanges, 2);
}

TEST_F(Association, NoRemovesTheAssociationAndTheNextLoadBringsItBack) {
  EnsureRegistered(platform);
  fake.toolkit.answers = {kAnswerNo};
  mnuOption_Click(0, platform);
  EXPECT_FALSE(registry.HasKey(".tavrin"));
  // The registry refuses to delete "Tavrin", which has subkeys; it is harmless there,
  // as only ".tavrin" decides whether the association is present.
  EXPECT_TRUE(registry.HasKey("Tavrin"));
  EXPECT_EQ(GetRegValue(registry, kRoot, ".tavrin", ""), "");
  EXPECT_EQ(registry.associationChanges, 2);

  EnsureRegistered(platform);
  EXPECT_EQ(registry.Contents(), Registered(kProgram));
}

TEST_F(Association, NoRemovesTheTypeKeyWhereTheRegistryAllowsIt) {
  registry.Put(".tavrin", "", Registry::kRegSz, std::string("Tavrin\0", 7));
  registry.Put("Tavrin", "", Registry::kRegSz, std::string("Tavrin Collection\0", 18));
  UnregisterFileType(platform);
  EXPECT_EQ(registry.Contents(), "");
  EXPECT_EQ(registry.associationChanges, 1);
}

TEST_F(Association, CancelChangesNothing) {
  EnsureRegistered(platform);
  const std::string before = registry.Contents();
  registry.calls.clear();
  fake.toolkit.answers = {kAnswerCancel};
  mnuOption_Click(0, platform);
  EXPECT_EQ(registry.Contents(), before);
  EXPECT_TRUE(registry.calls.empty());
}

TEST_F(Association, RefusedWritesArePassedOverSilently) {
  registry.readOnly = true;
  EnsureRegistered(platform);
  fake.toolkit.answers = {kAnswerYes};
  mnuOption_Click(0, platform);
  EXPECT_EQ(registry.Contents(), "");
  EXPECT_EQ(fake.toolkit.boxes.size(), 1u);  // the question, and no error box
}

TEST_F(Association, UnknownProgramPathWritesNothing) {
  fake.system.executablePath = "";
  EnsureRegistered(platform);
  EXPECT_EQ(registry.Contents(), "");
  EXPECT_EQ(registry.associationChanges, 0);
}

TEST(RegValues, TextsUpTo255CharactersReadBackAndLongerOnesReadEmpty) {
  testing::MemoryRegistry registry;
  Registry::Key key = 0;
  ASSERT_EQ(registry.CreateKey(kRoot, "Long", key), Registry::kSuccess);
  EXPECT_EQ(SetRegValue(registry, key, "", Registry::kRegSz, std::string(255, 'a')),
            Registry::kSuccess);
  EXPECT_EQ(SetRegValue(registry, key, "named", Registry::kRegSz, std::string(256, 'b')),
            Registry::kSuccess);
  registry.CloseKey(key);
  EXPECT_EQ(registry.DefaultValue("Long"), std::string(255, 'a') + '\0');
  EXPECT_EQ(GetRegValue(registry, kRoot, "Long", ""), std::string(255, 'a'));
  EXPECT_EQ(GetRegValue(registry, kRoot, "Long", "named"), "");
  EXPECT_EQ(GetRegValue(registry, kRoot, "Long", "missing"), "");
  EXPECT_EQ(GetRegValue(registry, kRoot, "Missing", ""), "");
  // Every key opened for reading is closed again.
  int opened = 0;
  int closed = 0;
  for (const auto& call : registry.calls) {
    opened += call.rfind("open ", 0) == 0;
    closed += call.rfind("close ", 0) == 0;
  }
  EXPECT_EQ(opened, 4);
  EXPECT_EQ(closed, 1 + 3);
}

TEST(ProgramPath, FolderGetsASeparatorUnlessItEndsWithOne) {
  EXPECT_EQ(ProgramPathFromParts("c:\\tools", "launch"), "c:\\tools\\launch.exe");
  EXPECT_EQ(ProgramPathFromParts("c:\\", "launch"), "c:\\launch.exe");
}

TEST(ProgramPath, WindowsRulesFormThePathFromFolderAndName) {
  EXPECT_EQ(AssociationProgramPath("c:\\tools\\launch.exe", true), "c:\\tools\\launch.exe");
  EXPECT_EQ(AssociationProgramPath("C:\\Tools\\TAVRIN.EXE", true), "C:\\Tools\\TAVRIN.exe");
  EXPECT_EQ(AssociationProgramPath("c:\\launch.exe", true), "c:\\launch.exe");
  EXPECT_EQ(AssociationProgramPath("c:\\my.tools\\launch", true), "c:\\my.tools\\launch.exe");
}

TEST(ProgramPath, ElsewhereTheExecutablesOwnPathIsTaken) {
  EXPECT_EQ(AssociationProgramPath("/opt/my.tools/tavrin", false), "/opt/my.tools/tavrin");
}

}  // namespace
}  // namespace tavrin
