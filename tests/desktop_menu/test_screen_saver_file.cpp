// Editing xscreensaver preferences: entries found in every layout the file
// may have, an entry added and removed leaving the other lines byte for
// byte, and resource lines replaced and put back.
#include "desktop_menu/module/screen_saver_file.h"

#include <gtest/gtest.h>

using namespace lumivane::menu;

namespace {

// The layout xscreensaver writes: one entry a line, each ending in "\n\",
// the list ended by an empty line.
const std::string kWritten = "# XScreenSaver Preferences File\n"
                             "mode:\t\trandom\n"
                             "selected:\t-1\n"
                             "programs:\t\t\t\t\t\t\t\t      \\\n"
                             "\t\t\t\tmaze -root\t\t\t\t    \\n\\\n"
                             "- GL:\t\t\t\tsuperquadrics -root\t\t\t    \\n\\\n"
                             "  \"Qix (solid)\"  qix -root -solid\t\t    \\n\\\n"
                             "\n"
                             "pointerPollTime:\t0:00:05\n";

TEST(ScreenSaverFile, EntriesAreCountedAndTheirProgramsRead) {
    const ScreenSaverFile file(kWritten);
    EXPECT_EQ(file.Programs(), (std::vector<std::string>{"maze", "superquadrics", "qix"}));
    EXPECT_EQ(file.Mode(), "random");
    EXPECT_EQ(file.Selected(), -1);
    EXPECT_EQ(file.Text(), kWritten);
    EXPECT_EQ(ProgramOfEntry("- default-n: \"Name\" '/opt/my apps/Lumivane' --root"),
              "/opt/my apps/Lumivane");
    EXPECT_EQ(ProgramOfEntry("  "), "");
    EXPECT_EQ(QuoteForShell("/opt/lumivane/Lumivane"), "/opt/lumivane/Lumivane");
    EXPECT_EQ(QuoteForShell("/opt/my apps/Lumivane"), "'/opt/my apps/Lumivane'");
}

TEST(ScreenSaverFile, AnAddedEntryIsLastAndRemovingItGivesTheFileBack) {
    ScreenSaverFile file(kWritten);
    const auto added = file.AddProgram("Lumivane", "'/opt/my apps/Lumivane' --root");
    EXPECT_FALSE(added.madeList);
    EXPECT_FALSE(added.oldFirstLine);
    EXPECT_EQ(file.Programs(),
              (std::vector<std::string>{"maze", "superquadrics", "qix", "/opt/my apps/Lumivane"}));
    // Still one list: the resource after it is untouched.
    EXPECT_EQ(file.ResourceLines("pointerPollTime"), "pointerPollTime:\t0:00:05");
    EXPECT_TRUE(file.RemoveProgramLine("/opt/my apps/Lumivane", false));
    EXPECT_EQ(file.Text(), kWritten);
    EXPECT_FALSE(file.RemoveProgramLine("/opt/my apps/Lumivane", false));
}

TEST(ScreenSaverFile, AListOnOneLineAndAMissingListAreExtendedAndPutBack) {
    const std::string oneLine = "mode: one\r\nprograms: maze -root \\n qix -root\r\ndpmsEnabled: "
                                "False\r\n";
    ScreenSaverFile file(oneLine);
    const auto added = file.AddProgram("Lumivane", "/opt/Lumivane --root");
    ASSERT_TRUE(added.oldFirstLine);
    EXPECT_EQ(file.Programs(), (std::vector<std::string>{"maze", "qix", "/opt/Lumivane"}));
    EXPECT_EQ(file.ResourceLines("dpmsEnabled"), "dpmsEnabled: False");
    EXPECT_NE(file.Text().find("--root \\n\r\ndpms"), std::string::npos) << file.Text();
    file.RemoveProgramLine("/opt/Lumivane", false);
    file.SetProgramsFirstLine(*added.oldFirstLine);
    EXPECT_EQ(file.Text(), oneLine);

    ScreenSaverFile none("timeout: 0:05:00");
    EXPECT_TRUE(none.AddProgram("Lumivane", "/opt/Lumivane --root").madeList);
    EXPECT_EQ(none.Programs(), std::vector<std::string>{"/opt/Lumivane"});
    none.RemoveProgramLine("/opt/Lumivane", true);
    EXPECT_EQ(none.Text(), "timeout: 0:05:00");
}

TEST(ScreenSaverFile, ResourceLinesAreReplacedInPlaceOrAddedAtTheTop) {
    ScreenSaverFile file("! comment: not a resource\nmode: blank\nselected: 4\nselected: 2");
    EXPECT_EQ(file.Selected(), 2); // the last definition counts
    EXPECT_EQ(file.ResourceLines("comment"), std::nullopt);
    file.SetResourceLines("selected", "selected:\t0");
    file.SetResourceLines("mode", "mode:\t\tone");
    file.SetResourceLines("lock", "lock:\t\tFalse");
    EXPECT_EQ(file.Text(), "lock:\t\tFalse\n! comment: not a resource\nmode:\t\tone\n"
                           "selected: 4\nselected:\t0");
    file.RemoveResource("lock");
    EXPECT_EQ(file.Mode(), "one");
    EXPECT_EQ(file.Selected(), 0);
    EXPECT_FALSE(file.Blank());
    EXPECT_TRUE(ScreenSaverFile(" \n\t\n").Blank());
}

} // namespace
