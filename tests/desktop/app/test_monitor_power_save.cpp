// The monitor power-save question as the program's own display asks it:
// about the DPMS of the X display its windows go to (a scripted DPMS here,
// so no real server is ever changed), Yes switching the time-outs off, No
// remembered for good; and a real X server without DPMS (a private Xvfb),
// which is skipped without a word to the user.
#include "desktop/shell/language_table.h"
#include "desktop/shell/log.h"
#include "platform/monitor_power.h"
#include "tests/desktop/app/app_test_support.h"
#include "tests/desktop/app/private_x_server.h"

using namespace lumivane;
using namespace app_test;

namespace {

struct ScriptedDpms {
    platform::MonitorPowerSettings settings{true, 600, 900, 1200};
    std::vector<std::string> displaysAsked;
};

class ScriptedMonitorPower : public platform::MonitorPower {
public:
    explicit ScriptedMonitorPower(ScriptedDpms& dpms) : dpms_(dpms) {}
    bool Read(platform::MonitorPowerSettings& out) override {
        out = dpms_.settings;
        return true;
    }
    bool SetTimeouts(uint16_t standby, uint16_t suspend, uint16_t off) override {
        dpms_.settings.standby = standby;
        dpms_.settings.suspend = suspend;
        dpms_.settings.off = off;
        return true;
    }

private:
    ScriptedDpms& dpms_;
};

class LvMonitorPowerSave : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        for (const char* name : {"SDL_VIDEODRIVER", "DISPLAY"}) {
            const char* value = std::getenv(name);
            savedEnv_.push_back({name, value ? std::optional<std::string>(value) : std::nullopt});
        }
        shell_test::WriteFile(
            dataRoot_ / "Langfile.csv",
            "Lumivane language table\nId,Context,English\n5058,title,Lumivane\n"
            "10117,question,Keep the monitor on?\n10118,declined,Not asked again\n");
        texts_.Load((dataRoot_ / "Langfile.csv").string(), LanguageTable::kColumn1);
        gpLanguageTable = &texts_;
        ASSERT_TRUE(registry_.TryOpen());
        gpRegistry = &registry_;
        // The boxes this test answers itself: their texts, and Yes or No.
        platform::SetMessageBoxHook([this](const platform::MessageBoxRequest& r) {
            asked_.push_back(r.text);
            return answer_;
        });
    }
    void TearDown() override {
        platform::SetMonitorPowerFactory(nullptr);
        gpRegistry = nullptr;
        gpLanguageTable = nullptr;
        for (const auto& [name, value] : savedEnv_) {
            if (value) {
                setenv(name.c_str(), value->c_str(), 1);
            } else {
                unsetenv(name.c_str());
            }
        }
        AppTest::TearDown();
    }
    void UseScriptedDpms() {
        platform::SetMonitorPowerFactory([this](const std::string& display, std::string*) {
            dpms_.displaysAsked.push_back(display);
            return std::make_unique<ScriptedMonitorPower>(dpms_);
        });
    }
    // The program's windows start off screen (as everywhere in these
    // tests); from then on the environment says they go to `display`.
    static void WindowsNowGoTo(const std::string& display) {
        setenv("SDL_VIDEODRIVER", "x11", 1);
        setenv("DISPLAY", display.c_str(), 1);
    }
    // The program's display made again: its device checks the monitor.
    static void MadeAgain(AppDisplay& display) {
        display.ReleaseDevice();
        ASSERT_TRUE(display.Recreate());
    }

    LanguageTable texts_;
    Registry registry_;
    std::vector<std::string> asked_;
    platform::MessageBoxResult answer_ = platform::MessageBoxResult::Yes;
    ScriptedDpms dpms_;
    std::vector<std::pair<std::string, std::optional<std::string>>> savedEnv_;
};

} // namespace

TEST_F(LvMonitorPowerSave, TheProgramsDisplayAsksAboutTheDpmsOfItsWindowsXDisplay) {
    UseScriptedDpms();
    auto host = CreateSystemWindows()->OpenStandInHost("power", 64, 48);
    ASSERT_TRUE(host);
    auto display = MakeProgramDisplay();
    ASSERT_TRUE(display);
    // Windows off screen: no X display to ask about.
    ASSERT_TRUE(display->Create(*host, 64, 48));
    EXPECT_TRUE(dpms_.displaysAsked.empty());
    EXPECT_TRUE(asked_.empty());

    // On X display :7, whose DPMS blanks after ten minutes: Yes keeps the
    // monitor on for the session, and nothing is asked again.
    WindowsNowGoTo(":7");
    MadeAgain(*display);
    EXPECT_EQ(dpms_.displaysAsked.back(), ":7");
    EXPECT_EQ(asked_, std::vector<std::string>{"Keep the monitor on?"});
    EXPECT_EQ(dpms_.settings.standby + dpms_.settings.suspend + dpms_.settings.off, 0);
    MadeAgain(*display);
    EXPECT_EQ(asked_.size(), 1u);
    EXPECT_EQ(registry_.Read(values::kNoCheckMonitorPowerSave), 0u);

    // DPMS switched off: nothing asked either.
    dpms_.settings = {false, 300, 300, 300};
    MadeAgain(*display);
    EXPECT_EQ(asked_.size(), 1u);

    // Blanking again, and No: the answer is kept and said; DPMS stays.
    dpms_.settings = {true, 0, 0, 300};
    answer_ = platform::MessageBoxResult::No;
    MadeAgain(*display);
    EXPECT_EQ(asked_, (std::vector<std::string>{"Keep the monitor on?", "Keep the monitor on?",
                                                "Not asked again"}));
    EXPECT_EQ(registry_.Read(values::kNoCheckMonitorPowerSave), 1u);
    EXPECT_EQ(dpms_.settings.off, 300);
    const size_t asks = dpms_.displaysAsked.size();
    MadeAgain(*display);
    EXPECT_EQ(asked_.size(), 3u);
    EXPECT_EQ(dpms_.displaysAsked.size(), asks); // not even looked at
}

TEST_F(LvMonitorPowerSave, AnXServerWithoutDpmsIsSkippedWithoutAWord) {
    PrivateXServer server;
    if (server.Name().empty()) GTEST_SKIP() << "Xvfb is not installed";
    std::filesystem::current_path(dataRoot_); // where the log goes
    SetLogEnabled(true);
    auto host = CreateSystemWindows()->OpenStandInHost("power", 64, 48);
    ASSERT_TRUE(host);
    auto display = MakeProgramDisplay();
    ASSERT_TRUE(display);
    WindowsNowGoTo(server.Name());
    ASSERT_TRUE(display->Create(*host, 64, 48));
    SetLogEnabled(false);
    EXPECT_TRUE(asked_.empty());
    EXPECT_EQ(registry_.Read(values::kNoCheckMonitorPowerSave), 0u);
    // The real source asked that server.
    EXPECT_NE(LogText().find("Monitor power save not checked: the X display " + server.Name() +
                             " has no DPMS"),
              std::string::npos)
        << LogText();
}
