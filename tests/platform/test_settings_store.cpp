// Settings store: typed values, scopes, case-insensitive names, change
// watching, damaged files and concurrent writers in separate processes.
#include "platform/settings_store.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <fstream>

using namespace platform;
using platform_test::Child;
using platform_test::TempDir;

namespace {

constexpr const char* kKey = "Software\\Quellmar\\Rookfall";

std::unique_ptr<SettingsStore> OpenIn(const TempDir& dir) {
    std::string error;
    auto store = SettingsStore::OpenFolder(dir.Str(), &error);
    EXPECT_TRUE(store) << error;
    return store;
}

} // namespace

TEST(SettingsStore, TypedValuesRoundTripAndSurviveReopening) {
    TempDir dir;
    {
        auto store = OpenIn(dir);
        ASSERT_TRUE(store);
        const uint8_t mode[16] = {0, 4, 0, 0, 0, 3, 0, 0, 0, 0, 0, 0, 22, 0, 0, 0};
        EXPECT_EQ(store->SetDword(SettingsScope::User, kKey, "Volume", 0xDEADBEEF),
                  SettingsStatus::Ok);
        EXPECT_EQ(store->SetString(SettingsScope::User, kKey, "PlayerName", std::string(255, 'x')),
                  SettingsStatus::Ok);
        EXPECT_EQ(store->SetBinary(SettingsScope::User, kKey, "ModeDesc", mode, sizeof mode),
                  SettingsStatus::Ok);
        EXPECT_EQ(store->SetBinary(SettingsScope::User, kKey, "Empty", nullptr, 0),
                  SettingsStatus::Ok);
    }
    auto store = OpenIn(dir);
    ASSERT_TRUE(store);
    uint32_t dword = 0;
    EXPECT_EQ(store->GetDword(SettingsScope::User, kKey, "Volume", dword), SettingsStatus::Ok);
    EXPECT_EQ(dword, 0xDEADBEEFu);
    std::string text;
    EXPECT_EQ(store->GetString(SettingsScope::User, kKey, "PlayerName", text), SettingsStatus::Ok);
    EXPECT_EQ(text, std::string(255, 'x'));
    uint8_t mode[16] = {};
    EXPECT_EQ(store->GetBinary(SettingsScope::User, kKey, "ModeDesc", mode, sizeof mode),
              SettingsStatus::Ok);
    EXPECT_EQ(mode[1], 4);
    EXPECT_EQ(mode[12], 22);
    std::vector<uint8_t> empty{1, 2};
    EXPECT_EQ(store->GetBinary(SettingsScope::User, kKey, "Empty", empty), SettingsStatus::Ok);
    EXPECT_TRUE(empty.empty());
}

TEST(SettingsStore, WrongTypeOrSizeIsRefusedAndLeavesTheTarget) {
    TempDir dir;
    auto store = OpenIn(dir);
    ASSERT_TRUE(store);
    ASSERT_EQ(store->SetString(SettingsScope::User, kKey, "Scene", "Hell's Heart.mis"),
              SettingsStatus::Ok);
    const uint8_t flag = 1;
    ASSERT_EQ(store->SetBinary(SettingsScope::User, kKey, "Mute", &flag, 1), SettingsStatus::Ok);

    uint32_t dword = 77;
    EXPECT_EQ(store->GetDword(SettingsScope::User, kKey, "Scene", dword),
              SettingsStatus::TypeMismatch);
    EXPECT_EQ(dword, 77u);
    EXPECT_FALSE(store->LastError().empty());

    float f = 2.5f; // a 4-byte read of a 1-byte value must not reinterpret it
    EXPECT_EQ(store->GetBinary(SettingsScope::User, kKey, "Mute", &f, sizeof f),
              SettingsStatus::SizeMismatch);
    EXPECT_EQ(f, 2.5f);
    std::string text = "keep";
    EXPECT_EQ(store->GetString(SettingsScope::User, kKey, "Mute", text),
              SettingsStatus::TypeMismatch);
    EXPECT_EQ(text, "keep");
    EXPECT_EQ(store->GetDword(SettingsScope::User, kKey, "Missing", dword),
              SettingsStatus::NotFound);
    EXPECT_EQ(dword, 77u);

    // Rewriting with another type replaces the value.
    ASSERT_EQ(store->SetDword(SettingsScope::User, kKey, "Scene", 3), SettingsStatus::Ok);
    EXPECT_EQ(store->GetDword(SettingsScope::User, kKey, "Scene", dword), SettingsStatus::Ok);
    EXPECT_EQ(dword, 3u);
}

TEST(SettingsStore, KeysAndNamesIgnoreCaseAndScopesAreSeparate) {
    TempDir dir;
    auto store = OpenIn(dir);
    ASSERT_TRUE(store);
    ASSERT_EQ(store->SetDword(SettingsScope::User, "Software\\Quellmar\\Lumivane", "Freeze", 1),
              SettingsStatus::Ok);
    ASSERT_EQ(store->SetDword(SettingsScope::Machine, "Software\\Quellmar\\Lumivane", "Freeze", 2),
              SettingsStatus::Ok);
    uint32_t v = 0;
    EXPECT_EQ(store->GetDword(SettingsScope::User, "SOFTWARE\\quellmar\\LUMIVANE\\", "fREEZE", v),
              SettingsStatus::Ok);
    EXPECT_EQ(v, 1u);
    EXPECT_EQ(store->GetDword(SettingsScope::Machine, "software\\QUELLMAR\\lumivane", "freeze", v),
              SettingsStatus::Ok);
    EXPECT_EQ(v, 2u);

    // A second spelling writes the same value, which keeps its first name.
    ASSERT_EQ(store->SetDword(SettingsScope::User, "software\\quellmar\\lumivane", "FREEZE", 5),
              SettingsStatus::Ok);
    std::vector<SettingsValueInfo> values;
    ASSERT_EQ(store->EnumerateValues(SettingsScope::User, "Software\\Quellmar\\Lumivane", values),
              SettingsStatus::Ok);
    ASSERT_EQ(values.size(), 1u);
    EXPECT_EQ(values[0].name, "Freeze");
    EXPECT_EQ(values[0].type, SettingsType::Dword);
    EXPECT_EQ(values[0].size, 4u);

    std::vector<std::string> subkeys;
    ASSERT_EQ(store->SetString(SettingsScope::User, "Software\\Quellmar\\Rookfall", "x", "y"),
              SettingsStatus::Ok);
    ASSERT_EQ(store->EnumerateSubkeys(SettingsScope::User, "software\\quellmar", subkeys),
              SettingsStatus::Ok);
    EXPECT_EQ(subkeys, (std::vector<std::string>{"Lumivane", "Rookfall"}));
    EXPECT_TRUE(store->KeyExists(SettingsScope::User, "SOFTWARE"));
    EXPECT_FALSE(store->KeyExists(SettingsScope::User, "Software\\Other"));
}

TEST(SettingsStore, DeleteValueAndKeyWithItsSubtree) {
    TempDir dir;
    auto store = OpenIn(dir);
    ASSERT_TRUE(store);
    ASSERT_EQ(store->SetDword(SettingsScope::User, "A\\B", "v", 1), SettingsStatus::Ok);
    ASSERT_EQ(store->SetDword(SettingsScope::User, "A\\B\\C", "v", 2), SettingsStatus::Ok);
    ASSERT_EQ(store->SetDword(SettingsScope::User, "A\\B2", "v", 3), SettingsStatus::Ok);

    EXPECT_EQ(store->DeleteValue(SettingsScope::User, "a\\b", "V"), SettingsStatus::Ok);
    EXPECT_EQ(store->DeleteValue(SettingsScope::User, "a\\b", "V"), SettingsStatus::NotFound);
    EXPECT_TRUE(store->KeyExists(SettingsScope::User, "A\\B"));

    EXPECT_EQ(store->DeleteKey(SettingsScope::User, "a\\B"), SettingsStatus::Ok);
    uint32_t v = 0;
    EXPECT_EQ(store->GetDword(SettingsScope::User, "A\\B\\C", "v", v), SettingsStatus::NotFound);
    EXPECT_FALSE(store->KeyExists(SettingsScope::User, "A\\B\\C"));
    // A sibling whose name merely starts the same way is kept.
    EXPECT_EQ(store->GetDword(SettingsScope::User, "A\\B2", "v", v), SettingsStatus::Ok);
    EXPECT_EQ(v, 3u);
    EXPECT_EQ(store->DeleteKey(SettingsScope::User, "A\\B"), SettingsStatus::NotFound);
}

TEST(SettingsStore, WatcherSeesWritesUnderItsKeyOnly) {
    TempDir dir;
    auto store = OpenIn(dir);
    ASSERT_TRUE(store);
    auto watcher = store->Watch(SettingsScope::User, "Software\\Quellmar\\Lumivane", true);
    auto machine = store->Watch(SettingsScope::Machine, "Software\\Quellmar\\Lumivane");
    ASSERT_TRUE(watcher && machine);
    EXPECT_TRUE(watcher->Poll()); // started signalled
    EXPECT_FALSE(watcher->Poll());

    ASSERT_EQ(store->SetDword(SettingsScope::User, "Software\\Quellmar\\Rookfall", "x", 1),
              SettingsStatus::Ok);
    EXPECT_FALSE(watcher->Poll());

    ASSERT_EQ(store->SetDword(SettingsScope::User, "software\\quellmar\\lumivane\\sub", "x", 1),
              SettingsStatus::Ok);
    ASSERT_EQ(store->SetDword(SettingsScope::User, "software\\quellmar\\lumivane", "y", 1),
              SettingsStatus::Ok);
    EXPECT_TRUE(watcher->Poll()); // two changes may be seen as one
    EXPECT_FALSE(watcher->Poll());
    EXPECT_FALSE(machine->Poll());

    ASSERT_EQ(store->SetDword(SettingsScope::Machine, "Software\\Quellmar\\Lumivane", "Unicode", 1),
              SettingsStatus::Ok);
    EXPECT_TRUE(machine->Wait(2000));
    EXPECT_FALSE(machine->Wait(30));

    ASSERT_EQ(store->DeleteKey(SettingsScope::User, "Software\\Quellmar"), SettingsStatus::Ok);
    EXPECT_TRUE(watcher->Poll());
}

// The files of the settings folder other than the live database.
std::vector<std::filesystem::path> MovedAside(const TempDir& dir) {
    std::vector<std::filesystem::path> found;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        if (entry.path().filename().string().rfind("settings.db.damaged-", 0) == 0 &&
            entry.path().extension() != ".db-wal")
            found.push_back(entry.path());
    return found;
}

std::string ReadAll(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST(SettingsStore, DamagedFilesAreMovedAsideAndAFreshStoreStarts) {
    // Bytes that are no database at all.
    TempDir dir;
    std::string garbage;
    for (int i = 0; i < 8192; ++i)
        garbage += char((i * 131 + 7) & 0xff);
    const auto file = dir.Path() / "settings.db";
    {
        std::ofstream out(file, std::ios::binary);
        out << garbage;
    }
    testing::internal::CaptureStderr();
    auto store = OpenIn(dir);
    std::string said = testing::internal::GetCapturedStderr();
    ASSERT_TRUE(store);
    EXPECT_EQ(store->SetDword(SettingsScope::User, kKey, "Fresh", 1), SettingsStatus::Ok);
    auto moved = MovedAside(dir);
    ASSERT_EQ(moved.size(), 1u);
    EXPECT_EQ(ReadAll(moved[0]), garbage);
    EXPECT_NE(said.find(moved[0].string()), std::string::npos) << said;
    EXPECT_NE(said.find("damaged"), std::string::npos) << said;

    // A real settings database cut short in the middle of a run.
    TempDir cut;
    {
        auto full = OpenIn(cut);
        ASSERT_TRUE(full);
        for (int i = 0; i < 400; ++i)
            full->SetString(SettingsScope::User, kKey + std::string("\\k") + std::to_string(i), "v",
                            std::string(100, 'x'));
    }
    const auto cutFile = cut.Path() / "settings.db";
    const auto size = std::filesystem::file_size(cutFile);
    ASSERT_GT(size, 16384u);
    std::filesystem::resize_file(cutFile, size / 2);
    testing::internal::CaptureStderr();
    auto again = OpenIn(cut);
    said = testing::internal::GetCapturedStderr();
    ASSERT_TRUE(again);
    EXPECT_EQ(MovedAside(cut).size(), 1u) << said;
    EXPECT_FALSE(again->KeyExists(SettingsScope::User, kKey));
    // Once is enough: the fresh store opens quietly from now on.
    again.reset();
    testing::internal::CaptureStderr();
    EXPECT_TRUE(OpenIn(cut));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(MovedAside(cut).size(), 1u);
}

TEST(SettingsStore, AnotherProgramsDatabaseIsRefusedAndLeftUntouched) {
    TempDir dir;
    const std::string file = (dir.Path() / "settings.db").string();
    auto run = [&](const char* sql) {
        sqlite3* db = nullptr;
        EXPECT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
        std::string rows;
        sqlite3_exec(
            db, sql,
            [](void* out, int n, char** values, char**) {
                for (int i = 0; i < n; ++i)
                    *static_cast<std::string*>(out) +=
                        std::string(values[i] ? values[i] : "") + ";";
                return 0;
            },
            &rows, nullptr);
        sqlite3_close(db);
        return rows;
    };
    run("CREATE TABLE notes(text TEXT); INSERT INTO notes VALUES('keep me')");

    std::string error;
    EXPECT_FALSE(SettingsStore::OpenFolder(dir.Str(), &error));
    EXPECT_NE(error.find("another program"), std::string::npos) << error;
    EXPECT_EQ(run("SELECT name FROM sqlite_master ORDER BY name"), "notes;");
    EXPECT_EQ(run("PRAGMA user_version"), "0;");
    EXPECT_EQ(run("SELECT text FROM notes"), "keep me;");
}

TEST(SettingsStore, TwoWritingProcessesLoseNothingAndAThirdSeesTheChange) {
    TempDir dir;
    auto store = OpenIn(dir);
    ASSERT_TRUE(store);
    const std::string helper = platform_test::HelperPath();
    const int count = 300;

    Child watcher({helper, "settings-watch", dir.Str(), "SOFTWARE\\Quellmar", "20000"});
    ASSERT_TRUE(watcher.Started());
    ASSERT_EQ(watcher.ReadLine(), "ready");

    Child a({helper, "settings-write", dir.Str(), kKey, "a", std::to_string(count)});
    Child b({helper, "settings-write", dir.Str(), "software\\quellmar\\ROOKFALL", "b",
             std::to_string(count)});
    ASSERT_TRUE(a.Started() && b.Started());
    EXPECT_EQ(a.Finish(), 0) << a.Stderr();
    EXPECT_EQ(b.Finish(), 0) << b.Stderr();
    EXPECT_EQ(watcher.Finish(), 0) << watcher.Stderr();

    std::vector<SettingsValueInfo> values;
    ASSERT_EQ(store->EnumerateValues(SettingsScope::User, kKey, values), SettingsStatus::Ok);
    EXPECT_EQ(values.size(), size_t(2 * count));
    for (const char* prefix : {"a", "b"}) {
        for (int i = 0; i < count; ++i) {
            uint32_t v = 0;
            ASSERT_EQ(store->GetDword(SettingsScope::User, kKey, prefix + std::to_string(i), v),
                      SettingsStatus::Ok)
                << prefix << i;
            EXPECT_EQ(v, uint32_t(i * 7 + 1));
        }
    }
}

TEST(SettingsStore, LockedDatabaseGivesBusyThenRecovers) {
    TempDir dir;
    auto store = OpenIn(dir);
    ASSERT_TRUE(store);
    ASSERT_EQ(store->SetDword(SettingsScope::User, kKey, "Before", 1), SettingsStatus::Ok);
    store->SetBusyTimeout(100);

    Child holder({platform_test::HelperPath(), "settings-hold", dir.Str(), "1500"});
    ASSERT_TRUE(holder.Started());
    ASSERT_EQ(holder.ReadLine(), "locked");
    EXPECT_EQ(store->SetDword(SettingsScope::User, kKey, "During", 2), SettingsStatus::Busy);
    EXPECT_NE(store->LastError().find("locked"), std::string::npos) << store->LastError();
    const std::vector<SettingsBatchItem> batch = {
        {SettingsScope::User, kKey, "One", SettingsType::Dword, {1, 0, 0, 0}},
        {SettingsScope::Machine, "Software\\Other", "Two", SettingsType::String, {'t', 'w', 'o'}},
    };
    EXPECT_EQ(store->SetValues(batch), SettingsStatus::Busy);
    // Opening for reading is not held up either.
    std::string error;
    SettingsStatus opened = SettingsStatus::IoError;
    EXPECT_TRUE(SettingsStore::OpenFolder(dir.Str(), &error, &opened, 100)) << error;
    EXPECT_EQ(opened, SettingsStatus::Ok);
    // Readers are not held up by a writer.
    uint32_t v = 0;
    EXPECT_EQ(store->GetDword(SettingsScope::User, kKey, "Before", v), SettingsStatus::Ok);
    EXPECT_EQ(v, 1u);

    store->SetBusyTimeout(10000);
    EXPECT_EQ(store->SetDword(SettingsScope::User, kKey, "After", 3), SettingsStatus::Ok);
    EXPECT_EQ(holder.Finish(), 0) << holder.Stderr();
    EXPECT_EQ(store->GetDword(SettingsScope::User, kKey, "During", v), SettingsStatus::NotFound);
    EXPECT_EQ(store->GetDword(SettingsScope::User, kKey, "One", v), SettingsStatus::NotFound);
    // The whole batch lands in one write once the lock is gone.
    EXPECT_EQ(store->SetValues(batch), SettingsStatus::Ok);
    EXPECT_EQ(store->GetDword(SettingsScope::User, kKey, "One", v), SettingsStatus::Ok);
    EXPECT_EQ(v, 1u);
    std::string two;
    EXPECT_EQ(store->GetString(SettingsScope::Machine, "software\\other", "two", two),
              SettingsStatus::Ok);
    EXPECT_EQ(two, "two");
    EXPECT_EQ(store->GetDword(SettingsScope::User, kKey, "After", v), SettingsStatus::Ok);
    EXPECT_EQ(v, 3u);
}
