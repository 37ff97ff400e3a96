// Start-up: the data root (and the program's words when it is missing),
// the mode's windows and settings, the quality default by desktop width,
// the graphics check, and the texture cache run on the first start.
#include "desktop/shell/registry.h"
#include "platform/image/jpeg2000.h"
#include "platform/settings_store.h"
#include "tests/desktop/app/app_test_support.h"

#include <cstdlib>

using namespace lumivane;
using namespace app_test;

namespace {

class LvStartup : public AppTest {
protected:
    DesktopApp::StartupResult Start(DesktopApp& app, const std::vector<std::string>& args) {
        EXPECT_TRUE(app.SetUpMode(args));
        return app.Startup();
    }
};

} // namespace

TEST_F(LvStartup, AMissingDataFolderIsNamedOnStderrAndEndsTheProgramWithOne) {
    const auto nowhere = Dir() / "nowhere" / "LumivaneData";
    SetMachine("WorkingDir", nowhere.string());
    platform_test::Child desktop({LUMIVANE_PROGRAM, "1a2b"});
    EXPECT_EQ(desktop.Finish(), 1);
    EXPECT_NE(
        desktop.Stderr().find("data folder " + nowhere.string() +
                              " (named by the machine setting \"WorkingDir\") does not exist"),
        std::string::npos)
        << desktop.Stderr();

    // A folder without the script configuration; the screen saver says so
    // on stderr alone.
    std::filesystem::remove(dataRoot_ / "script.dat");
    SetMachine("WorkingDir", dataRoot_.string());
    platform_test::Child saver({LUMIVANE_PROGRAM, "--window-id", "0x2a"});
    EXPECT_EQ(saver.Finish(), 1);
    EXPECT_NE(saver.Stderr().find(dataRoot_.string() + " (named by the machine setting "
                                                       "\"WorkingDir\") holds no script.dat"),
              std::string::npos)
        << saver.Stderr();
}

TEST_F(LvStartup, WindowModeIsMutedHighQualityAndWithoutLogo) {
    SetUser(values::kHighQualityMode, uint8_t(0));
    SetUser(values::kLogo, uint8_t(1));
    DesktopApp app(Services());
    ASSERT_EQ(Start(app, {"/w1a2b"}), DesktopApp::StartupResult::Ready);
    EXPECT_FLOAT_EQ(app.Volume(), 0.0f);
    EXPECT_TRUE(app.HighQualityMode());
    EXPECT_FALSE(app.LogoShown());
    EXPECT_EQ(app.DataRoot(), dataRoot_);
    EXPECT_EQ(std::filesystem::current_path(), dataRoot_);
}

TEST_F(LvStartup, QualityFollowsTheDesktopWidthUnlessStored) {
    {
        windows_.desktopWidth = 1280;
        DesktopApp app(Services());
        ASSERT_EQ(Start(app, {"1a2b"}), DesktopApp::StartupResult::Ready);
        EXPECT_FALSE(app.HighQualityMode());
        EXPECT_TRUE(app.LogoShown());
        EXPECT_FLOAT_EQ(app.Volume(), 0.5f);
    }
    {
        windows_.desktopWidth = 1024;
        DesktopApp app(Services());
        ASSERT_EQ(Start(app, {"1a2b"}), DesktopApp::StartupResult::Ready);
        EXPECT_TRUE(app.HighQualityMode());
    }
    {
        SetUser(values::kHighQualityMode, uint8_t(0));
        DesktopApp app(Services());
        ASSERT_EQ(Start(app, {"1a2b"}), DesktopApp::StartupResult::Ready);
        EXPECT_FALSE(app.HighQualityMode());
    }
}

TEST_F(LvStartup, EachModeMakesTheWindowsItNeeds) {
    {
        DesktopApp app(Services());
        ASSERT_EQ(Start(app, {}), DesktopApp::StartupResult::Ready);
        EXPECT_EQ(windows_.screensaverWindows, 1);
        EXPECT_EQ(app.Host()->Handle(), 0x5001u);
        EXPECT_FALSE(app.LogoShown());
    }
    {
        DesktopApp app(Services());
        ASSERT_EQ(Start(app, {"--window"}), DesktopApp::StartupResult::Ready);
        EXPECT_EQ(windows_.standInHosts, 1);
        ASSERT_TRUE(windows_.lastHost);
        EXPECT_EQ(windows_.lastHost->width, 1280);
        EXPECT_EQ(windows_.lastHost->height, 720);
        EXPECT_TRUE(app.WindowMode());
    }
    EXPECT_EQ(windows_.screensaverWindows, 1);
}

TEST_F(LvStartup, TheDataRootDefaultsBesideTheProgramAndEmptyMeansHere) {
    // Never stored: "LumivaneData" beside the program.
    const std::filesystem::path programFolder = Dir() / "bin";
    std::filesystem::create_directories(programFolder / "LumivaneData");
    std::filesystem::copy(dataRoot_ / "script.dat", programFolder / "LumivaneData" / "script.dat");
    auto store = platform::SettingsStore::Open();
    ASSERT_TRUE(store);
    ASSERT_EQ(
        store->DeleteValue(platform::SettingsScope::Machine, SettingsKey::kKeyPath, "WorkingDir"),
        platform::SettingsStatus::Ok);
    const char* runtime = std::getenv("JENTRA_RUNTIME_DIR");
    const std::string savedRuntime = runtime ? runtime : "";
    setenv("JENTRA_RUNTIME_DIR", programFolder.c_str(), 1);
    {
        DesktopApp app(Services());
        EXPECT_EQ(Start(app, {"1a2b"}), DesktopApp::StartupResult::Ready);
        EXPECT_EQ(app.DataRoot(), programFolder / "LumivaneData");
    }
    if (runtime) {
        setenv("JENTRA_RUNTIME_DIR", savedRuntime.c_str(), 1);
    } else {
        unsetenv("JENTRA_RUNTIME_DIR");
    }

    // Stored empty: the folder the program was started in.
    std::filesystem::current_path(dataRoot_);
    SetMachine("WorkingDir", std::string());
    DesktopApp app(Services());
    EXPECT_EQ(Start(app, {"1a2b"}), DesktopApp::StartupResult::Ready);
    EXPECT_EQ(app.DataRoot(), dataRoot_);
}

TEST_F(LvStartup, MissingGraphicsOffersTheDownloadPageAndStops) {
    windows_.graphicsPresent = false;
    DesktopApp app(Services());
    EXPECT_EQ(Start(app, {"1a2b"}), DesktopApp::StartupResult::Failed);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0], "Too old");
}

TEST_F(LvStartup, TheFirstStartConvertsTheTextureCache) {
    platform::image::Image picture =
        platform::image::MakeImage(platform::image::PixelFormat::X8R8G8B8, 16, 16);
    std::vector<uint8_t> jp2;
    ASSERT_TRUE(platform::image::EncodeJpeg2000(picture, platform::image::Jpeg2000Kind::Jp2, jp2));
    std::filesystem::create_directories(dataRoot_ / "models" / "textures");
    shell_test::WriteFile(dataRoot_ / "models" / "textures" / "hull.tex",
                          std::string(jp2.begin(), jp2.end()));
    DesktopApp app(Services());
    ASSERT_EQ(Start(app, {"1a2b"}), DesktopApp::StartupResult::Ready);
    EXPECT_TRUE(std::filesystem::exists(dataRoot_ / "models" / "textures" / "hull.dds"));
    EXPECT_FALSE(std::filesystem::exists(dataRoot_ / "models" / "textures" / "hull.tex"));
}
