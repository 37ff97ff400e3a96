// The engine's settings key and the player's options over a settings store
// in a fresh temporary folder: defaults, memory rules, round trips, the
// machine-wide settings, values of the wrong size, and a second process.
#include "Jentra/JTRegistry.h"
#include "Jentra/JTTransMap.h"
#include "Jentra/JTUserOptions.h"
#include "platform/settings_store.h"
#include "tests/platform/test_support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const char* const kKey = "Software\\Quellmar\\Jentra";

class UserOptionsTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/jentra-settings-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        setenv("JENTRA_SETTINGS_DIR", folder.c_str(), 1);
        unsetenv("JENTRA_WINDOWED");
        registry = std::make_unique<JTRegistry>();
        ASSERT_EQ(registry->Init(), S_OK);
        gpRegistry = registry.get();
    }
    void TearDown() override {
        gpRegistry = nullptr;
        registry.reset();
        std::filesystem::remove_all(folder);
    }
    std::unique_ptr<platform::SettingsStore> Store() {
        auto store = platform::SettingsStore::OpenFolder(folder);
        EXPECT_NE(store, nullptr);
        return store;
    }

    std::filesystem::path folder;
    std::unique_ptr<JTRegistry> registry;
};

TEST_F(UserOptionsTest, FirstRunKeepsDefaultsAndGoesFullScreen) {
    JTUserOptions options;
    options.Load();
    EXPECT_TRUE(options.FullScreen);
    EXPECT_FLOAT_EQ(options.MouseSens, 0.3f);
    EXPECT_FLOAT_EQ(options.SpeechVolume, 0.75f);
    EXPECT_FLOAT_EQ(options.HUDBrightness, 0.7f);
    EXPECT_TRUE(options.Alert);
    EXPECT_TRUE(options.BumpMapping);
    EXPECT_FALSE(options.HighQualityTextures);
    EXPECT_EQ(options.ModeDesc.Width, 1024u);
    EXPECT_EQ(options.ModeDesc.Height, 768u);
    EXPECT_EQ(options.ModeDesc.RefreshRate, 0u);
    EXPECT_EQ(options.ModeDesc.Format, 22u);
    EXPECT_STREQ(options.PlayerName, "");

    setenv("JENTRA_WINDOWED", "1", 1);
    options.Load();
    EXPECT_FALSE(options.FullScreen);
    unsetenv("JENTRA_WINDOWED");
}

TEST_F(UserOptionsTest, MemoryDecidesQuality) {
    JTUserOptions plenty;
    plenty.SetMemoryInfo(0x4100001, false);
    plenty.Load();
    EXPECT_TRUE(plenty.HighQualityTextures);
    EXPECT_TRUE(plenty.HighQualitySound);

    JTUserOptions borderline;
    borderline.SetMemoryInfo(0x4100000, false);
    borderline.Load();
    EXPECT_FALSE(borderline.HighQualityTextures);

    JTUserOptions stored;
    stored.HighQualityTextures = stored.HighQualitySound = stored.BumpMapping = true;
    stored.Save();
    JTUserOptions low;
    low.SetMemoryInfo(0x3000000, true);
    low.Load();
    EXPECT_FALSE(low.BumpMapping);
    EXPECT_FALSE(low.HighQualityTextures);
    EXPECT_FALSE(low.HighQualitySound);
    // A player's explicit "off" wins over the large-memory default.
    JTUserOptions off;
    off.HighQualitySound = false;
    off.HighQualityTextures = true;
    off.Save();
    JTUserOptions big;
    big.SetMemoryInfo(uint64_t(16) << 30, false);
    big.Load();
    EXPECT_FALSE(big.HighQualitySound);
    EXPECT_TRUE(big.HighQualityTextures);
}

TEST_F(UserOptionsTest, MultisamplingTurnedOnByThePlayerStaysOnAtTheNextStart) {
    JTUserOptions first;
    first.Load();
    EXPECT_FALSE(first.MultisampleSet) << "nobody chose yet";
    first.Multisample = true;
    first.MultisampleSet = true;
    ASSERT_TRUE(first.Save());

    JTUserOptions next;
    next.Multisample = false;
    next.Load();
    EXPECT_TRUE(next.Multisample);
    EXPECT_TRUE(next.MultisampleSet);
}

TEST_F(UserOptionsTest, SaveAndLoadRoundTrip) {
    JTUserOptions options;
    options.MouseSens = 0.9f;
    options.ReverseTilt = true;
    options.CameraInertia = 3.5f;
    options.MusicVolume = 0.125f;
    options.Alert = false;
    options.Sound = false;
    options.GameSpeed = 1.75f;
    for (int i = 0; i < 16; ++i)
        options.AdapterID[i] = uint8_t(i * 7 + 1);
    options.ModeDesc = {1920, 1080, 60, 23};
    options.EnableConsole = 0xC0DE;
    options.Multisample = false;
    options.MultisampleSet = true;
    options.EditorGoodies = true; // never written
    std::string name(255, 'p');
    std::memcpy(options.PlayerName, name.c_str(), 256);
    options.Save();

    JTUserOptions back;
    back.Load();
    EXPECT_FLOAT_EQ(back.MouseSens, 0.9f);
    EXPECT_TRUE(back.ReverseTilt);
    EXPECT_FALSE(back.ReverseRotate);
    EXPECT_FLOAT_EQ(back.CameraInertia, 3.5f);
    EXPECT_FLOAT_EQ(back.MusicVolume, 0.125f);
    EXPECT_FALSE(back.Alert);
    EXPECT_FALSE(back.Sound);
    EXPECT_FLOAT_EQ(back.GameSpeed, 1.75f);
    EXPECT_EQ(std::memcmp(back.AdapterID, options.AdapterID, 16), 0);
    EXPECT_EQ(back.ModeDesc.Width, 1920u);
    EXPECT_EQ(back.ModeDesc.Format, 23u);
    EXPECT_EQ(back.ModeDesc.RefreshRate, 60u);
    EXPECT_EQ(back.EnableConsole, 0xC0DEu);
    EXPECT_FALSE(back.Multisample);
    EXPECT_TRUE(back.MultisampleSet) << "the player's choice is kept";
    EXPECT_FALSE(back.EditorGoodies);
    EXPECT_EQ(std::string(back.PlayerName), name);

    // What was stored: ModeDesc as sixteen little-endian bytes, bools as one.
    auto store = Store();
    std::vector<uint8_t> mode;
    ASSERT_EQ(store->GetBinary(platform::SettingsScope::User, kKey, "ModeDesc", mode),
              platform::SettingsStatus::Ok);
    ASSERT_EQ(mode.size(), 16u);
    EXPECT_EQ(mode[0] | mode[1] << 8, 1920);
    EXPECT_EQ(mode[12], 23);
    platform::SettingsValueInfo info;
    ASSERT_EQ(store->GetInfo(platform::SettingsScope::User, kKey, "Alert", info),
              platform::SettingsStatus::Ok);
    EXPECT_EQ(info.type, platform::SettingsType::Binary);
    EXPECT_EQ(info.size, 1u);
    EXPECT_EQ(store->GetInfo(platform::SettingsScope::User, kKey, "EditorGoodies", info),
              platform::SettingsStatus::NotFound);
}

TEST_F(UserOptionsTest, MachineSettingsAreReadAndWrittenInTheirOwnScope) {
    auto store = Store();
    ASSERT_EQ(store->SetDword(platform::SettingsScope::Machine, kKey, "Build", 1234),
              platform::SettingsStatus::Ok);
    ASSERT_EQ(store->SetString(platform::SettingsScope::Machine, kKey, "Language", "English"),
              platform::SettingsStatus::Ok);
    DWORD build = 7;
    registry->QueryValue("Build", &build, HKEY_CURRENT_USER);
    EXPECT_EQ(build, 7u);
    registry->QueryValue("Build", &build, HKEY_LOCAL_MACHINE);
    EXPECT_EQ(build, 1234u);
    // Any root other than the user's means the machine's.
    build = 0;
    registry->QueryValue("Build", &build, 0x80000003u);
    EXPECT_EQ(build, 1234u);
    char language[32] = "none";
    registry->QueryValue("Language", language, sizeof language, HKEY_LOCAL_MACHINE);
    EXPECT_STREQ(language, "English");

    registry->SetValue("Build", DWORD(99), HKEY_LOCAL_MACHINE);
    registry->SetValue("Edition", "Gold", 0x80000003u);
    DWORD after = 0;
    registry->QueryValue("Build", &after, HKEY_LOCAL_MACHINE);
    EXPECT_EQ(after, 99u);
    char edition[8] = "";
    registry->QueryValue("Edition", edition, sizeof edition, HKEY_LOCAL_MACHINE);
    EXPECT_STREQ(edition, "Gold");
    EXPECT_EQ(store->GetDword(platform::SettingsScope::User, kKey, "Build", after),
              platform::SettingsStatus::NotFound);
}

TEST_F(UserOptionsTest, ValuesOfAnotherSizeOrKindAreNotRead) {
    auto store = Store();
    const uint8_t two[2] = {1, 2};
    store->SetBinary(platform::SettingsScope::User, kKey, "MouseSens", two, 2);
    store->SetString(platform::SettingsScope::User, kKey, "Alert", "yes");
    store->SetDword(platform::SettingsScope::User, kKey, "ReverseZoom", 1);
    store->SetString(platform::SettingsScope::User, kKey, "PlayerName", std::string(256, 'n'));
    store->SetBinary(platform::SettingsScope::User, kKey, "ModeDesc", two, 2);
    JTUserOptions options;
    std::strcpy(options.PlayerName, "kept");
    options.Load();
    EXPECT_FLOAT_EQ(options.MouseSens, 0.3f);
    EXPECT_TRUE(options.Alert);
    EXPECT_FALSE(options.ReverseZoom);
    EXPECT_STREQ(options.PlayerName, "kept");
    EXPECT_EQ(options.ModeDesc.Width, 1024u);

    // A DWORD reads as any four-byte value.
    store->SetDword(platform::SettingsScope::User, kKey, "Four", 0x3F800000u);
    float one = 0.0f;
    registry->QueryValue("Four", &one, HKEY_CURRENT_USER);
    EXPECT_FLOAT_EQ(one, 1.0f);
    // Short text fits a buffer only with its terminator.
    registry->SetValue("Short", "abcd", HKEY_CURRENT_USER);
    char four[4] = {'x', 'x', 'x', 0};
    registry->QueryValue("Short", four, sizeof four, HKEY_CURRENT_USER);
    EXPECT_STREQ(four, "xxx");
    char five[5];
    registry->QueryValue("Short", five, sizeof five, HKEY_CURRENT_USER);
    EXPECT_STREQ(five, "abcd");
}

TEST_F(UserOptionsTest, AnotherProcessSeesWhatOneWrote) {
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The child opens its own connection to the same settings.
        JTRegistry writer;
        writer.Init();
        gpRegistry = &writer;
        JTUserOptions options;
        options.SfxVolume = 0.25f;
        std::strcpy(options.PlayerName, "from the child");
        options.Save();
        writer.Term();
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0);
    JTUserOptions options;
    options.Load();
    EXPECT_FLOAT_EQ(options.SfxVolume, 0.25f);
    EXPECT_STREQ(options.PlayerName, "from the child");
}

// Holds the settings' write lock from another process, as a second program
// saving its own settings would; the helper beside the test programs does it.
class LockHolder {
public:
    LockHolder(const std::filesystem::path& folder, int milliseconds)
        : child({(platform_test::TestProgramFolder() / "platform_test_helper").string(),
                 "settings-hold", folder.string(), std::to_string(milliseconds)}) {}
    bool Locked() { return child.Started() && child.ReadLine() == "locked"; }
    int Finish() { return child.Finish(); }

private:
    platform_test::Child child;
};

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

TEST_F(UserOptionsTest, SavingWhileAnotherProcessHoldsTheSettingsReportsBusyPromptly) {
    JTUserOptions options;
    options.MouseSens = 0.9f;
    options.SfxVolume = 0.1f;
    std::strcpy(options.PlayerName, "patient");
    {
        LockHolder holder(folder, 1500);
        ASSERT_TRUE(holder.Locked());
        testing::internal::CaptureStderr();
        auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(options.Save());
        EXPECT_LT(SecondsSince(start), 1.5);
        std::string said = testing::internal::GetCapturedStderr();
        EXPECT_NE(said.find("not saved"), std::string::npos) << said;
        EXPECT_FLOAT_EQ(options.MouseSens, 0.9f); // still in effect here
        JTUserOptions stored;
        stored.Load();
        EXPECT_FLOAT_EQ(stored.MouseSens, 0.3f); // and nothing half-written
        EXPECT_EQ(holder.Finish(), 0);
    }
    EXPECT_TRUE(options.Save());
    JTUserOptions stored;
    stored.Load();
    EXPECT_FLOAT_EQ(stored.MouseSens, 0.9f);
    EXPECT_FLOAT_EQ(stored.SfxVolume, 0.1f);
    EXPECT_STREQ(stored.PlayerName, "patient");
    EXPECT_FLOAT_EQ(stored.HUDBrightness, 0.7f);
}

TEST_F(UserOptionsTest, StartUpWaitsOutABrieflyHeldLockAndNeverEndsTheProgramOverOne) {
    registry.reset();
    gpRegistry = nullptr;
    {
        LockHolder holder(folder, 800);
        ASSERT_TRUE(holder.Locked());
        JTRegistry brief(JTRegistry::kDefaultRegKey);
        EXPECT_EQ(brief.Init(), S_OK);
        EXPECT_TRUE(brief.IsOpen());
        brief.SetValue("After", DWORD(5), HKEY_CURRENT_USER);
        EXPECT_EQ(brief.LastError(), "");
        EXPECT_EQ(holder.Finish(), 0);
    }
    {
        LockHolder holder(folder, 6000);
        ASSERT_TRUE(holder.Locked());
        testing::internal::CaptureStderr();
        auto start = std::chrono::steady_clock::now();
        JTRegistry held(JTRegistry::kDefaultRegKey);
        EXPECT_EQ(held.Init(), S_OK);
        EXPECT_LT(SecondsSince(start), 5.0);
        std::string said = testing::internal::GetCapturedStderr();
        EXPECT_NE(said.find("going on"), std::string::npos) << said;
        DWORD value = 0;
        held.QueryValue("After", &value, HKEY_CURRENT_USER); // reading still works
        EXPECT_EQ(value, 5u);
    }
}

TEST_F(UserOptionsTest, ADamagedSettingsFileIsMovedAsideAndTheGameStartsOnDefaults) {
    JTUserOptions saved;
    saved.MouseSens = 0.8f;
    ASSERT_TRUE(saved.Save());
    registry.reset();
    gpRegistry = nullptr;
    const auto file = folder / "settings.db";
    for (const char* suffix : {"-wal", "-shm"})
        std::filesystem::remove(folder / (std::string("settings.db") + suffix));
    std::filesystem::resize_file(file, 700); // cut off mid-write

    testing::internal::CaptureStderr();
    registry = std::make_unique<JTRegistry>();
    EXPECT_EQ(registry->Init(), S_OK);
    gpRegistry = registry.get();
    std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("moved to"), std::string::npos) << said;
    JTUserOptions options;
    options.Load();
    EXPECT_FLOAT_EQ(options.MouseSens, 0.3f);
    int asides = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        asides += entry.path().filename().string().rfind("settings.db.damaged-", 0) == 0;
    EXPECT_GE(asides, 1);
    EXPECT_TRUE(options.Save()); // the fresh store takes saves again
}

void OpenUnusableSettings(const std::string& where) {
    setenv("JENTRA_SETTINGS_DIR", where.c_str(), 1);
    static JTTransMap map;
    map.SetString(25, JTTransMap::Foreign, "The settings could not be opened.");
    gpTransMap = &map;
    JTRegistry broken;
    broken.Init();
}

TEST(RegistryDeathTest, UnusableUserSettingsEndTheProgram) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    char pattern[] = "/tmp/jentra-settings-file-XXXXXX";
    int fd = mkstemp(pattern);
    ASSERT_GE(fd, 0);
    close(fd);
    // A plain file where the settings folder should be.
    EXPECT_EXIT(OpenUnusableSettings(pattern), testing::ExitedWithCode(1),
                "The settings could not be opened.");
    std::filesystem::remove(pattern);
}

} // namespace
