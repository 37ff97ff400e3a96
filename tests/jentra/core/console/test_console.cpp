// The developer console without a window: line editing, trimming, the
// command table, the display switches it drives, and the last command kept
// in the settings across runs.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "Jentra/JTConsole.h"
#include "Jentra/JTRegistry.h"

namespace fs = std::filesystem;

namespace {

class ConsoleTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* old = std::getenv("JENTRA_SETTINGS_DIR");
        oldSettings = old ? old : "";
        std::string pattern = (fs::temp_directory_path() / "jentra-console-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        settings = pattern;
        setenv("JENTRA_SETTINGS_DIR", settings.c_str(), 1);
        StartSettings();
        for (int i = 0; i < JTCONSOLE_NUM_DISPLAY_FLAGS; ++i) {
            flags[i] = false;
            JTConsole::BindDisplayFlag(JTConsoleDisplayFlag(i), &flags[i]);
        }
        console = std::make_unique<JTConsole>();
        console->SetOpen(true);
    }

    void TearDown() override {
        console.reset();
        for (int i = 0; i < JTCONSOLE_NUM_DISPLAY_FLAGS; ++i)
            JTConsole::BindDisplayFlag(JTConsoleDisplayFlag(i), nullptr);
        StopSettings();
        if (oldSettings.empty())
            unsetenv("JENTRA_SETTINGS_DIR");
        else
            setenv("JENTRA_SETTINGS_DIR", oldSettings.c_str(), 1);
        std::error_code ignored;
        fs::remove_all(settings, ignored);
    }

    void StartSettings() {
        registry = std::make_unique<JTRegistry>();
        ASSERT_EQ(registry->Init(), S_OK);
        gpRegistry = registry.get();
    }
    void StopSettings() {
        gpRegistry = nullptr;
        registry.reset();
    }

    // Types the text and counts the characters the console took.
    int Type(const std::string& keys) {
        int taken = 0;
        for (char c : keys)
            taken += console->ProcessChar(c) ? 1 : 0;
        return taken;
    }
    std::string Text() const { return console->GetText(); }
    bool& Flag(JTConsoleDisplayFlag which) { return flags[which]; }

    std::string oldSettings;
    fs::path settings;
    std::unique_ptr<JTRegistry> registry;
    std::unique_ptr<JTConsole> console;
    bool flags[JTCONSOLE_NUM_DISPLAY_FLAGS];
};

TEST_F(ConsoleTest, SwitchesToggleSetAndClearIgnoringCase) {
    Type("wire\r");
    EXPECT_TRUE(Flag(JTCONSOLE_WIRE));
    Type("wire\r");
    EXPECT_FALSE(Flag(JTCONSOLE_WIRE));
    Type("WIRE ON\n");
    EXPECT_TRUE(Flag(JTCONSOLE_WIRE));
    Type("Wire On\n");
    EXPECT_TRUE(Flag(JTCONSOLE_WIRE));
    Type("wire off\n");
    EXPECT_FALSE(Flag(JTCONSOLE_WIRE));

    Type("bound\nedge on\nlight\nbenmark on\ntex\n");
    EXPECT_TRUE(Flag(JTCONSOLE_BOUND));
    EXPECT_TRUE(Flag(JTCONSOLE_EDGE));
    EXPECT_TRUE(Flag(JTCONSOLE_LIGHT));
    EXPECT_TRUE(Flag(JTCONSOLE_BENMARK));
    EXPECT_TRUE(Flag(JTCONSOLE_TEX));
    EXPECT_FALSE(Flag(JTCONSOLE_WIRE));

    EXPECT_FALSE(console->GetStats());
    Type("stats\n");
    EXPECT_TRUE(console->GetStats());
    Type("STATS OFF\n");
    EXPECT_FALSE(console->GetStats());
    EXPECT_EQ(Text().find("UNRECOGNIZED"), std::string::npos);
}

TEST_F(ConsoleTest, CommandsMatchWholeLinesOnly) {
    Type("wireframe\nwire  on\nwire on please\nxyz\n");
    EXPECT_FALSE(Flag(JTCONSOLE_WIRE));
    std::string text = Text();
    size_t count = 0;
    for (size_t at = text.find("-UNRECOGNIZED COMMAND-\n"); at != std::string::npos;
         at = text.find("-UNRECOGNIZED COMMAND-\n", at + 1))
        ++count;
    EXPECT_EQ(count, 4u);
    // An empty line is no command at all.
    std::string before = Text();
    Type("\n");
    EXPECT_EQ(Text(), before + "\n");
}

TEST_F(ConsoleTest, UnboundDisplaySwitchIsStillACommand) {
    JTConsole::BindDisplayFlag(JTCONSOLE_WIRE, nullptr);
    Type("wire\n");
    EXPECT_FALSE(Flag(JTCONSOLE_WIRE));
    EXPECT_EQ(Text(), "wire\n");
}

TEST_F(ConsoleTest, LastCommandSurvivesARestart) {
    Flag(JTCONSOLE_TEX) = true;
    Type("tex off\n");
    EXPECT_FALSE(Flag(JTCONSOLE_TEX));

    // A new run: new settings connection, new console.
    console.reset();
    StopSettings();
    StartSettings();
    console = std::make_unique<JTConsole>();
    console->SetOpen(true);
    Flag(JTCONSOLE_TEX) = true;
    Type("last\n");
    EXPECT_FALSE(Flag(JTCONSOLE_TEX));
    EXPECT_EQ(Text(), "last\ntex off\n");
    // "/" recalls it too, and the recalled command stays the last one.
    Flag(JTCONSOLE_TEX) = true;
    Type("/\n");
    EXPECT_FALSE(Flag(JTCONSOLE_TEX));
    EXPECT_EQ(Text(), "last\ntex off\n/\ntex off\n");
}

TEST_F(ConsoleTest, LastWithNothingStoredRecallsAnUnknownEmptyLine) {
    Type("last\n");
    EXPECT_EQ(Text(), "last\n\n-UNRECOGNIZED COMMAND-\n");
}

TEST_F(ConsoleTest, OverlongLineIsNotKeptAsLastCommand) {
    Type("edge\n");
    Type(std::string(300, 'q') + "\n");
    Flag(JTCONSOLE_EDGE) = false;
    Type("last\n");
    EXPECT_TRUE(Flag(JTCONSOLE_EDGE));
}

TEST_F(ConsoleTest, KeepsOnlyTheLastTwentyLines) {
    for (int i = 1; i <= 25; ++i)
        console->Print(("line " + std::to_string(i) + "\n").c_str());
    std::string text = Text();
    std::string expected;
    for (int i = 6; i <= 25; ++i)
        expected += "line " + std::to_string(i) + "\n";
    EXPECT_EQ(text, expected);
    // A line being typed counts as one of the twenty.
    Type("ab");
    EXPECT_EQ(Text(), expected.substr(expected.find('\n') + 1) + "ab");
}

TEST_F(ConsoleTest, BackspaceStopsAtTheStartOfTheLine) {
    Type("tez\bx");
    EXPECT_EQ(Text(), "tex");
    Type("\n");
    EXPECT_TRUE(Flag(JTCONSOLE_TEX));
    const std::string after = Text();
    EXPECT_EQ(Type("\b\b"), 2);
    EXPECT_EQ(Text(), after);
    JTConsole empty;
    empty.SetOpen(true);
    EXPECT_TRUE(empty.ProcessChar('\b'));
    EXPECT_STREQ(empty.GetText(), "");
}

TEST_F(ConsoleTest, ClosedConsoleAndPassThroughKeysAreNotTaken) {
    EXPECT_FALSE(console->ProcessChar('`'));
    EXPECT_FALSE(console->ProcessChar(27));
    EXPECT_TRUE(console->ProcessChar('a'));
    console->SetOpen(false);
    EXPECT_FALSE(console->IsOpen());
    EXPECT_EQ(Type("wire\n"), 0);
    EXPECT_FALSE(Flag(JTCONSOLE_WIRE));
    // The text stays while closed.
    EXPECT_EQ(Text(), "a");
}

TEST_F(ConsoleTest, ClsEmptiesTheText) {
    console->Print("old output\n");
    Type("cls\n");
    EXPECT_EQ(Text(), "");
}

TEST_F(ConsoleTest, CreateWithoutAMainSceneReportsFailure) {
    Type("create knight.jtm\n");
    EXPECT_NE(Text().find("-CREATE FAILED: \"knight.jtm\"\n"), std::string::npos);
    EXPECT_EQ(Text().find("UNRECOGNIZED"), std::string::npos);
}

TEST_F(ConsoleTest, ScreenTextShowsTheCursorOnlyWhileOpen) {
    Type("ab");
    console->Update();
    EXPECT_STREQ(console->GetScreenText(), "ab-");
    console->SetOpen(false);
    console->Update();
    EXPECT_STREQ(console->GetScreenText(), "");
    EXPECT_STREQ(console->GetText(), "ab");
}

TEST_F(ConsoleTest, StatisticsLineTruncatesTheRates) {
    char line[64];
    console->GetStatsText(59.9f, 30.7f, line, sizeof line);
    EXPECT_STREQ(line, "");
    console->Stats(true);
    console->GetStatsText(59.9f, 30.7f, line, sizeof line);
    EXPECT_STREQ(line, "Fps:059 Tps:30");
    console->GetStatsText(1234.0f, 0.0f, line, sizeof line);
    EXPECT_STREQ(line, "Fps:1234 Tps:0");
    console->GetStatsText(std::nanf(""), 1e30f, line, sizeof line);
    EXPECT_STREQ(line, "Fps:000 Tps:0");
    char tiny[6];
    console->GetStatsText(60.0f, 60.0f, tiny, sizeof tiny);
    EXPECT_STREQ(tiny, "Fps:0");
}

using ConsoleDeathTest = ConsoleTest;

TEST_F(ConsoleDeathTest, FatalErrorEndsTheProgramAbnormally) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(Type("fatalerror\n"), "fatalerror");
}

} // namespace
