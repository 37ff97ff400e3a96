// Settings store over SQLite. One database file holds both scopes; WAL mode
// and a busy timeout let several processes write at once without losing
// anything, and a per-key change counter (bumped for the key and all its
// parents on every write) lets watchers notice changes with one cheap query.
#include "platform/settings_store.h"

#include <sqlite3.h>

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <mutex>
#include <thread>

namespace platform {

namespace {

constexpr int kSchemaVersion = 1;
constexpr const char* kFileName = "settings.db";

// Key paths compare without case: components are folded to lower case
// (ASCII letters only, bytes above 127 compare exactly) and joined with '\'.
struct KeyPath {
    std::vector<std::string> parts; // as written
    std::vector<std::string> folded;

    std::string Folded(size_t count) const {
        std::string s;
        for (size_t i = 0; i < count; ++i) {
            if (i) s += '\\';
            s += folded[i];
        }
        return s;
    }
    std::string Folded() const { return Folded(folded.size()); }
};

std::string FoldCase(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return out;
}

// Empty components (doubled, leading or trailing backslashes) are ignored,
// as the registry functions do for a trailing one.
KeyPath ParseKey(std::string_view key) {
    KeyPath path;
    size_t start = 0;
    while (start <= key.size()) {
        size_t end = key.find('\\', start);
        if (end == std::string_view::npos) end = key.size();
        if (end > start) {
            path.parts.emplace_back(key.substr(start, end - start));
            path.folded.push_back(FoldCase(path.parts.back()));
        }
        start = end + 1;
    }
    return path;
}

SettingsStatus StatusFromCode(int rc) {
    switch (rc & 0xff) {
    case SQLITE_OK:
    case SQLITE_DONE:
    case SQLITE_ROW:
        return SettingsStatus::Ok;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return SettingsStatus::Busy;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return SettingsStatus::Corrupt;
    default:
        return SettingsStatus::IoError;
    }
}

// A prepared statement that finalises itself.
class Statement {
public:
    Statement(sqlite3* db, const char* sql) {
        rc_ = sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr);
    }
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool Ok() const { return rc_ == SQLITE_OK || rc_ == SQLITE_ROW || rc_ == SQLITE_DONE; }
    int Code() const { return rc_; }

    Statement& Bind(int index, int64_t v) {
        if (rc_ == SQLITE_OK) rc_ = sqlite3_bind_int64(stmt_, index, v);
        return *this;
    }
    Statement& Bind(int index, std::string_view text) {
        if (rc_ == SQLITE_OK)
            rc_ = sqlite3_bind_text64(stmt_, index, text.data(), text.size(), SQLITE_TRANSIENT,
                                      SQLITE_UTF8);
        return *this;
    }
    Statement& BindBlob(int index, const void* data, size_t size) {
        // A zero-length blob must still be a blob, never NULL.
        if (rc_ == SQLITE_OK)
            rc_ = sqlite3_bind_blob64(stmt_, index, size ? data : "", size, SQLITE_TRANSIENT);
        return *this;
    }
    // True while a row is available; check Ok() afterwards for errors.
    bool Step() {
        if (!(rc_ == SQLITE_OK || rc_ == SQLITE_ROW)) return false;
        rc_ = sqlite3_step(stmt_);
        return rc_ == SQLITE_ROW;
    }
    int64_t Int(int col) const { return sqlite3_column_int64(stmt_, col); }
    std::string Text(int col) const {
        const unsigned char* t = sqlite3_column_text(stmt_, col);
        return t ? std::string(reinterpret_cast<const char*>(t),
                               size_t(sqlite3_column_bytes(stmt_, col)))
                 : std::string();
    }
    const uint8_t* Blob(int col) const {
        return static_cast<const uint8_t*>(sqlite3_column_blob(stmt_, col));
    }
    size_t Bytes(int col) const { return size_t(sqlite3_column_bytes(stmt_, col)); }

private:
    sqlite3_stmt* stmt_ = nullptr;
    int rc_ = SQLITE_OK;
};

std::string DescribeError(sqlite3* db, int rc, const std::string& path) {
    std::string what;
    switch (rc & 0xff) {
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        what = "the settings database is damaged or not a settings database";
        break;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        what = "the settings database stayed locked by another process";
        break;
    default:
        what = "the settings database could not be used";
        break;
    }
    const char* detail = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    return what + " (" + path + "): " + (detail ? detail : "unknown error");
}

int ClampedMs(uint32_t ms) {
    return int(std::min<uint32_t>(ms, INT32_MAX));
}

// Runs a statement without results, retrying while the database is busy:
// switching the journal mode may answer busy without calling the busy handler.
int ExecRetry(sqlite3* db, const char* sql, uint32_t timeoutMs) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        int rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
        if ((rc & 0xff) != SQLITE_BUSY && (rc & 0xff) != SQLITE_LOCKED) return rc;
        if (std::chrono::steady_clock::now() > deadline) return rc;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

// Opens a connection and checks that the file is a settings database.
int OpenConnection(const std::string& path, bool create, sqlite3** out, uint32_t timeoutMs) {
    *out = nullptr;
    sqlite3* db = nullptr;
    int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX | (create ? SQLITE_OPEN_CREATE : 0);
    int rc = sqlite3_open_v2(path.c_str(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        *out = db;
        return rc;
    }
    sqlite3_extended_result_codes(db, 0);
    sqlite3_busy_timeout(db, ClampedMs(timeoutMs));
    rc = ExecRetry(db, "PRAGMA journal_mode=WAL", timeoutMs);
    if (rc == SQLITE_OK) rc = ExecRetry(db, "PRAGMA synchronous=NORMAL", timeoutMs);
    *out = db;
    return rc;
}

const char* const kSchema = "CREATE TABLE IF NOT EXISTS keys("
                            " scope INTEGER NOT NULL, path TEXT NOT NULL, parent TEXT NOT NULL,"
                            " name TEXT NOT NULL, PRIMARY KEY(scope, path));"
                            "CREATE INDEX IF NOT EXISTS keys_parent ON keys(scope, parent);"
                            "CREATE TABLE IF NOT EXISTS vals("
                            " scope INTEGER NOT NULL, path TEXT NOT NULL, fold TEXT NOT NULL,"
                            " name TEXT NOT NULL, type INTEGER NOT NULL, data BLOB NOT NULL,"
                            " PRIMARY KEY(scope, path, fold));"
                            "CREATE TABLE IF NOT EXISTS changes("
                            " scope INTEGER NOT NULL, path TEXT NOT NULL,"
                            " counter INTEGER NOT NULL, PRIMARY KEY(scope, path));";

// Reads the format number; false (with the code in rc) when it cannot be read.
bool ReadVersion(sqlite3* db, int& version, int& rc) {
    Statement st(db, "PRAGMA user_version");
    version = st.Step() ? int(st.Int(0)) : 0;
    rc = st.Ok() ? SQLITE_OK : st.Code();
    return rc == SQLITE_OK;
}

// Makes the tables of a new database. The format is checked before anything
// is written, so a newer file, or a database of some other program, is
// refused untouched (with the reason in `refusal`). Another process may be
// making the same new database: the check is repeated inside the write
// transaction, where that process's tables are seen as ours.
int PrepareSchema(sqlite3* db, const std::string& path, uint32_t timeoutMs, std::string& refusal) {
    int version = 0, rc = SQLITE_OK;
    if (!ReadVersion(db, version, rc)) return rc;
    if (version == kSchemaVersion) return SQLITE_OK;
    if (version < kSchemaVersion) {
        rc = ExecRetry(db, "BEGIN IMMEDIATE", timeoutMs);
        if (rc != SQLITE_OK) return rc;
        int tables = 0;
        if (ReadVersion(db, version, rc) && version == 0) {
            Statement st(db, "SELECT count(*) FROM sqlite_master");
            tables = st.Step() ? int(st.Int(0)) : 0;
            rc = st.Ok() ? SQLITE_OK : st.Code();
        }
        if (rc == SQLITE_OK && version == 0 && tables == 0) {
            rc = sqlite3_exec(db, kSchema, nullptr, nullptr, nullptr);
            if (rc == SQLITE_OK)
                rc = sqlite3_exec(db, "PRAGMA user_version = 1", nullptr, nullptr, nullptr);
            if (rc == SQLITE_OK) rc = ExecRetry(db, "COMMIT", timeoutMs);
            if (rc == SQLITE_OK) return SQLITE_OK;
        }
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK || version == kSchemaVersion) return rc;
        if (version == 0) {
            refusal =
                "the file " + path + " is a database of another program, not a settings database";
            return SQLITE_OK;
        }
    }
    refusal = "the settings database " + path + " was written by a newer version (format " +
              std::to_string(version) + ")";
    return SQLITE_OK;
}

bool IsDamage(int rc) {
    return (rc & 0xff) == SQLITE_CORRUPT || (rc & 0xff) == SQLITE_NOTADB;
}

// Moves a damaged database (with its write-ahead log and index) out of the
// way under a dated name, so a fresh store can start while the old bytes
// are kept for anyone who wants them. Returns the new name, or "" when the
// file could not be moved (or another process moved it first).
std::string MoveAside(const std::string& path) {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    std::string target = path + ".damaged-" + stamp;
    std::error_code ec;
    for (int n = 2; std::filesystem::exists(target, ec); ++n)
        target = path + ".damaged-" + stamp + "-" + std::to_string(n);
    if (std::rename(path.c_str(), target.c_str()) != 0) return "";
    for (const char* suffix : {"-wal", "-shm"}) {
        std::string from = path + suffix;
        if (std::filesystem::exists(from, ec)) std::rename(from.c_str(), (target + suffix).c_str());
    }
    return target;
}

} // namespace

const char* SettingsStatusName(SettingsStatus status) {
    switch (status) {
    case SettingsStatus::Ok:
        return "ok";
    case SettingsStatus::NotFound:
        return "not found";
    case SettingsStatus::TypeMismatch:
        return "stored with another type";
    case SettingsStatus::SizeMismatch:
        return "stored with another size";
    case SettingsStatus::InvalidArgument:
        return "invalid argument";
    case SettingsStatus::Busy:
        return "settings database busy";
    case SettingsStatus::Corrupt:
        return "settings database damaged";
    case SettingsStatus::IoError:
        return "settings database error";
    }
    return "unknown";
}

struct SettingsStore::Impl {
    sqlite3* db = nullptr;
    std::string path;
    mutable std::mutex mutex;
    std::string lastError;

    ~Impl() { sqlite3_close_v2(db); }

    SettingsStatus Fail(int rc) {
        lastError = DescribeError(db, rc, path);
        return StatusFromCode(rc);
    }
    SettingsStatus Fail(SettingsStatus status, std::string text) {
        lastError = std::move(text);
        return status;
    }
    SettingsStatus Succeed() {
        lastError.clear();
        return SettingsStatus::Ok;
    }

    // Runs `body` inside an immediate (write) transaction; body returns an
    // SQLite code and the transaction commits only when it is SQLITE_OK.
    template <typename Body> SettingsStatus Write(Body body) {
        // The busy handler waits for other writers here, up to the timeout.
        int rc = sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK) return Fail(rc);
        rc = body();
        if (rc == SQLITE_OK) rc = sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK) {
            SettingsStatus status = Fail(rc);
            sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
            return status;
        }
        return Succeed();
    }

    int EnsureKey(SettingsScope scope, const KeyPath& key) {
        for (size_t n = 1; n <= key.parts.size(); ++n) {
            Statement st(db, "INSERT OR IGNORE INTO keys(scope, path, parent, name)"
                             " VALUES(?1, ?2, ?3, ?4)");
            st.Bind(1, int64_t(scope))
                .Bind(2, key.Folded(n))
                .Bind(3, key.Folded(n - 1))
                .Bind(4, key.parts[n - 1]);
            st.Step();
            if (!st.Ok()) return st.Code();
        }
        return SQLITE_OK;
    }

    // The key itself and every parent up to the root see the change.
    int BumpChange(SettingsScope scope, const KeyPath& key) {
        for (size_t n = 0; n <= key.parts.size(); ++n) {
            Statement st(db, "INSERT INTO changes(scope, path, counter) VALUES(?1, ?2, 1)"
                             " ON CONFLICT(scope, path) DO UPDATE SET counter = counter + 1");
            st.Bind(1, int64_t(scope)).Bind(2, key.Folded(n));
            st.Step();
            if (!st.Ok()) return st.Code();
        }
        return SQLITE_OK;
    }

    // One value, inside a write transaction; the caller bumps the key's
    // change counter.
    int PutValue(SettingsScope scope, const KeyPath& key, std::string_view name, SettingsType type,
                 const void* data, size_t size) {
        int rc = EnsureKey(scope, key);
        if (rc != SQLITE_OK) return rc;
        // The name keeps the spelling of its first write, as the registry does.
        Statement st(db, "INSERT INTO vals(scope, path, fold, name, type, data)"
                         " VALUES(?1, ?2, ?3, ?4, ?5, ?6) ON CONFLICT(scope, path, fold)"
                         " DO UPDATE SET type = excluded.type, data = excluded.data");
        st.Bind(1, int64_t(scope))
            .Bind(2, key.Folded())
            .Bind(3, FoldCase(name))
            .Bind(4, name)
            .Bind(5, int64_t(type))
            .BindBlob(6, data, size);
        st.Step();
        return st.Ok() ? SQLITE_OK : st.Code();
    }

    SettingsStatus SetValue(SettingsScope scope, std::string_view keyText, std::string_view name,
                            SettingsType type, const void* data, size_t size) {
        std::lock_guard lock(mutex);
        KeyPath key = ParseKey(keyText);
        return Write([&] {
            int rc = PutValue(scope, key, name, type, data, size);
            return rc == SQLITE_OK ? BumpChange(scope, key) : rc;
        });
    }

    SettingsStatus SetValues(const std::vector<SettingsBatchItem>& values) {
        std::lock_guard lock(mutex);
        return Write([&] {
            // Watchers hear of each key once, however many of its values change.
            std::vector<std::pair<SettingsScope, std::string>> bumped;
            for (const SettingsBatchItem& v : values) {
                KeyPath key = ParseKey(v.key);
                int rc = PutValue(v.scope, key, v.name, v.type, v.data.data(), v.data.size());
                if (rc != SQLITE_OK) return rc;
                auto id = std::make_pair(v.scope, key.Folded());
                if (std::find(bumped.begin(), bumped.end(), id) != bumped.end()) continue;
                rc = BumpChange(v.scope, key);
                if (rc != SQLITE_OK) return rc;
                bumped.push_back(std::move(id));
            }
            return SQLITE_OK;
        });
    }

    // Reads one value; `take` is called with the stored type and bytes.
    template <typename Take>
    SettingsStatus GetValue(SettingsScope scope, std::string_view keyText, std::string_view name,
                            Take take) {
        std::lock_guard lock(mutex);
        KeyPath key = ParseKey(keyText);
        Statement st(db, "SELECT type, data, name FROM vals WHERE scope = ?1 AND path = ?2"
                         " AND fold = ?3");
        st.Bind(1, int64_t(scope)).Bind(2, key.Folded()).Bind(3, FoldCase(name));
        if (!st.Step()) {
            if (!st.Ok()) return Fail(st.Code());
            return Fail(SettingsStatus::NotFound, "no value \"" + std::string(name) +
                                                      "\" under \"" + std::string(keyText) + "\"");
        }
        SettingsValueInfo info{st.Text(2), SettingsType(st.Int(0)), st.Bytes(1)};
        SettingsStatus status = take(info, st.Blob(1));
        if (status == SettingsStatus::TypeMismatch)
            return Fail(status, "value \"" + info.name + "\" is stored with another type");
        if (status == SettingsStatus::SizeMismatch)
            return Fail(status, "value \"" + info.name + "\" is stored with another size (" +
                                    std::to_string(info.size) + " bytes)");
        return status == SettingsStatus::Ok ? Succeed() : status;
    }
};

std::string SettingsStore::DefaultFolder() {
    if (const char* dir = std::getenv("JENTRA_SETTINGS_DIR"); dir && *dir) return dir;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && xdg[0] == '/')
        return std::string(xdg) + "/quellmar";
    const char* home = std::getenv("HOME");
    if (!home || !*home) {
        if (const passwd* pw = getpwuid(getuid())) home = pw->pw_dir;
    }
    return std::string(home && *home ? home : ".") + "/.config/quellmar";
}

std::unique_ptr<SettingsStore> SettingsStore::Open(std::string* error, SettingsStatus* status,
                                                   uint32_t busyTimeoutMs) {
    return OpenFolder(DefaultFolder(), error, status, busyTimeoutMs);
}

namespace {

// Every page of the file is readable and well formed ("ok"); a settings
// database is a few pages, so this is cheap.
int QuickCheck(sqlite3* db) {
    Statement st(db, "PRAGMA quick_check(1)");
    if (!st.Step()) return st.Ok() ? SQLITE_CORRUPT : st.Code();
    return st.Text(0) == "ok" ? SQLITE_OK : SQLITE_CORRUPT;
}

// Opens the connection and checks the file; the SQLite code of the first
// failure, with `refusal` set instead when the file is not ours.
int OpenAndCheck(SettingsStore::Impl& impl, uint32_t timeoutMs, std::string& refusal) {
    int rc = OpenConnection(impl.path, true, &impl.db, timeoutMs);
    if (rc == SQLITE_OK) rc = PrepareSchema(impl.db, impl.path, timeoutMs, refusal);
    if (rc == SQLITE_OK && refusal.empty()) rc = QuickCheck(impl.db);
    return rc;
}

} // namespace

std::unique_ptr<SettingsStore> SettingsStore::OpenFolder(const std::string& folder,
                                                         std::string* error, SettingsStatus* status,
                                                         uint32_t busyTimeoutMs) {
    auto refuse = [&](SettingsStatus why, std::string text) {
        if (error) *error = std::move(text);
        if (status) *status = why;
        return nullptr;
    };
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec)
        return refuse(SettingsStatus::IoError,
                      "cannot create the settings folder " + folder + ": " + ec.message());

    const std::string path = folder + "/" + kFileName;
    auto impl = std::make_unique<Impl>();
    impl->path = path;
    std::string refusal;
    int rc = OpenAndCheck(*impl, busyTimeoutMs, refusal);
    if (IsDamage(rc) && refusal.empty()) {
        // A damaged file would stop every later start; keep its bytes aside
        // and begin again with defaults.
        std::string why = DescribeError(impl->db, rc, path);
        impl = std::make_unique<Impl>(); // closes the damaged file first
        impl->path = path;
        std::string moved = MoveAside(path);
        if (!moved.empty())
            std::fprintf(stderr, "settings: %s; it was moved to %s and fresh settings started\n",
                         why.c_str(), moved.c_str());
        rc = OpenAndCheck(*impl, busyTimeoutMs, refusal);
    }
    if (!refusal.empty()) return refuse(SettingsStatus::Corrupt, refusal);
    if (rc != SQLITE_OK) return refuse(StatusFromCode(rc), DescribeError(impl->db, rc, path));
    if (status) *status = SettingsStatus::Ok;
    return std::unique_ptr<SettingsStore>(new SettingsStore(std::move(impl)));
}

SettingsStore::SettingsStore(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
SettingsStore::~SettingsStore() = default;

const std::string& SettingsStore::DatabasePath() const {
    return impl_->path;
}

void SettingsStore::SetBusyTimeout(uint32_t milliseconds) {
    std::lock_guard lock(impl_->mutex);
    sqlite3_busy_timeout(impl_->db, int(std::min<uint32_t>(milliseconds, INT32_MAX)));
}

std::string SettingsStore::LastError() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->lastError;
}

SettingsStatus SettingsStore::CreateKey(SettingsScope scope, std::string_view keyText) {
    std::lock_guard lock(impl_->mutex);
    KeyPath key = ParseKey(keyText);
    return impl_->Write([&] {
        int rc = impl_->EnsureKey(scope, key);
        return rc == SQLITE_OK ? impl_->BumpChange(scope, key) : rc;
    });
}

bool SettingsStore::KeyExists(SettingsScope scope, std::string_view keyText) {
    std::lock_guard lock(impl_->mutex);
    KeyPath key = ParseKey(keyText);
    if (key.parts.empty()) return true;
    Statement st(impl_->db, "SELECT 1 FROM keys WHERE scope = ?1 AND path = ?2");
    st.Bind(1, int64_t(scope)).Bind(2, key.Folded());
    bool found = st.Step();
    if (!st.Ok()) impl_->Fail(st.Code());
    return found;
}

SettingsStatus SettingsStore::SetDword(SettingsScope scope, std::string_view key,
                                       std::string_view name, uint32_t value) {
    uint8_t bytes[4] = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16),
                        uint8_t(value >> 24)};
    return impl_->SetValue(scope, key, name, SettingsType::Dword, bytes, 4);
}

SettingsStatus SettingsStore::SetString(SettingsScope scope, std::string_view key,
                                        std::string_view name, std::string_view value) {
    return impl_->SetValue(scope, key, name, SettingsType::String, value.data(), value.size());
}

SettingsStatus SettingsStore::SetBinary(SettingsScope scope, std::string_view key,
                                        std::string_view name, const void* data, size_t size) {
    if (size && !data) return SettingsStatus::InvalidArgument;
    return impl_->SetValue(scope, key, name, SettingsType::Binary, data, size);
}

SettingsStatus SettingsStore::SetValues(const std::vector<SettingsBatchItem>& values) {
    return impl_->SetValues(values);
}

SettingsStatus SettingsStore::GetDword(SettingsScope scope, std::string_view key,
                                       std::string_view name, uint32_t& value) {
    return impl_->GetValue(scope, key, name, [&](const SettingsValueInfo& info, const uint8_t* p) {
        if (info.type != SettingsType::Dword) return SettingsStatus::TypeMismatch;
        if (info.size != 4) return SettingsStatus::SizeMismatch;
        value = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
        return SettingsStatus::Ok;
    });
}

SettingsStatus SettingsStore::GetString(SettingsScope scope, std::string_view key,
                                        std::string_view name, std::string& value) {
    return impl_->GetValue(scope, key, name, [&](const SettingsValueInfo& info, const uint8_t* p) {
        if (info.type != SettingsType::String) return SettingsStatus::TypeMismatch;
        value.assign(reinterpret_cast<const char*>(p), info.size);
        return SettingsStatus::Ok;
    });
}

SettingsStatus SettingsStore::GetBinary(SettingsScope scope, std::string_view key,
                                        std::string_view name, std::vector<uint8_t>& value) {
    return impl_->GetValue(scope, key, name, [&](const SettingsValueInfo& info, const uint8_t* p) {
        if (info.type != SettingsType::Binary) return SettingsStatus::TypeMismatch;
        value.assign(p, p + info.size);
        return SettingsStatus::Ok;
    });
}

SettingsStatus SettingsStore::GetBinary(SettingsScope scope, std::string_view key,
                                        std::string_view name, void* data, size_t size) {
    return impl_->GetValue(scope, key, name, [&](const SettingsValueInfo& info, const uint8_t* p) {
        if (info.type != SettingsType::Binary) return SettingsStatus::TypeMismatch;
        if (info.size != size) return SettingsStatus::SizeMismatch;
        if (size) std::memcpy(data, p, size);
        return SettingsStatus::Ok;
    });
}

SettingsStatus SettingsStore::GetInfo(SettingsScope scope, std::string_view key,
                                      std::string_view name, SettingsValueInfo& info) {
    return impl_->GetValue(scope, key, name, [&](const SettingsValueInfo& found, const uint8_t*) {
        info = found;
        return SettingsStatus::Ok;
    });
}

SettingsStatus SettingsStore::DeleteValue(SettingsScope scope, std::string_view keyText,
                                          std::string_view name) {
    std::lock_guard lock(impl_->mutex);
    KeyPath key = ParseKey(keyText);
    bool found = false;
    SettingsStatus status = impl_->Write([&] {
        Statement st(impl_->db, "DELETE FROM vals WHERE scope = ?1 AND path = ?2 AND fold = ?3");
        st.Bind(1, int64_t(scope)).Bind(2, key.Folded()).Bind(3, FoldCase(name));
        st.Step();
        if (!st.Ok()) return st.Code();
        found = sqlite3_changes(impl_->db) > 0;
        return found ? impl_->BumpChange(scope, key) : SQLITE_OK;
    });
    if (status == SettingsStatus::Ok && !found)
        return impl_->Fail(SettingsStatus::NotFound, "no value \"" + std::string(name) + "\"");
    return status;
}

SettingsStatus SettingsStore::DeleteKey(SettingsScope scope, std::string_view keyText) {
    std::lock_guard lock(impl_->mutex);
    KeyPath key = ParseKey(keyText);
    if (key.parts.empty())
        return impl_->Fail(SettingsStatus::InvalidArgument, "the root key cannot be deleted");
    std::string path = key.Folded();
    // Everything below "a\b" sorts between "a\b\" and "a\b]" ('\' + 1 is ']').
    std::string low = path + "\\", high = path + "]";
    bool found = false;
    SettingsStatus status = impl_->Write([&] {
        const char* const tables[] = {
            "DELETE FROM keys WHERE scope = ?1 AND (path = ?2 OR (path >= ?3 AND path < ?4))",
            "DELETE FROM vals WHERE scope = ?1 AND (path = ?2 OR (path >= ?3 AND path < ?4))",
        };
        for (const char* sql : tables) {
            Statement st(impl_->db, sql);
            st.Bind(1, int64_t(scope)).Bind(2, path).Bind(3, low).Bind(4, high);
            st.Step();
            if (!st.Ok()) return st.Code();
            found = found || sqlite3_changes(impl_->db) > 0;
        }
        // Watchers of the deleted subkeys must hear of it too.
        Statement st(impl_->db, "UPDATE changes SET counter = counter + 1 WHERE scope = ?1"
                                " AND path >= ?2 AND path < ?3");
        st.Bind(1, int64_t(scope)).Bind(2, low).Bind(3, high);
        st.Step();
        if (!st.Ok()) return st.Code();
        return found ? impl_->BumpChange(scope, key) : SQLITE_OK;
    });
    if (status == SettingsStatus::Ok && !found)
        return impl_->Fail(SettingsStatus::NotFound, "no key \"" + std::string(keyText) + "\"");
    return status;
}

SettingsStatus SettingsStore::EnumerateValues(SettingsScope scope, std::string_view keyText,
                                              std::vector<SettingsValueInfo>& values) {
    std::lock_guard lock(impl_->mutex);
    KeyPath key = ParseKey(keyText);
    values.clear();
    Statement st(impl_->db, "SELECT name, type, length(data) FROM vals WHERE scope = ?1"
                            " AND path = ?2 ORDER BY fold");
    st.Bind(1, int64_t(scope)).Bind(2, key.Folded());
    while (st.Step())
        values.push_back({st.Text(0), SettingsType(st.Int(1)), size_t(st.Int(2))});
    if (!st.Ok()) return impl_->Fail(st.Code());
    return impl_->Succeed();
}

SettingsStatus SettingsStore::EnumerateSubkeys(SettingsScope scope, std::string_view keyText,
                                               std::vector<std::string>& names) {
    std::lock_guard lock(impl_->mutex);
    KeyPath key = ParseKey(keyText);
    names.clear();
    Statement st(impl_->db, "SELECT name FROM keys WHERE scope = ?1 AND parent = ?2"
                            " ORDER BY path");
    st.Bind(1, int64_t(scope)).Bind(2, key.Folded());
    while (st.Step())
        names.push_back(st.Text(0));
    if (!st.Ok()) return impl_->Fail(st.Code());
    return impl_->Succeed();
}

// ---------------------------------------------------------------------------

struct SettingsWatcher::Impl {
    sqlite3* db = nullptr;
    std::string path;
    SettingsScope scope = SettingsScope::User;
    std::string key;
    int64_t dataVersion = -1;
    int64_t counter = 0;
    bool signalled = false;
    std::mutex mutex;

    ~Impl() { sqlite3_close_v2(db); }

    // False when the database could not be read; the state stays as it was.
    bool Read(int64_t& version, int64_t& count) {
        Statement v(db, "PRAGMA data_version");
        if (!v.Step()) return false;
        version = v.Int(0);
        if (version == dataVersion) {
            count = counter;
            return true;
        }
        Statement c(db, "SELECT counter FROM changes WHERE scope = ?1 AND path = ?2");
        c.Bind(1, int64_t(scope)).Bind(2, key);
        count = c.Step() ? c.Int(0) : 0;
        return c.Ok();
    }
};

std::unique_ptr<SettingsWatcher> SettingsStore::Watch(SettingsScope scope, std::string_view keyText,
                                                      bool startSignalled, std::string* error) {
    auto impl = std::make_unique<SettingsWatcher::Impl>();
    impl->path = impl_->path;
    impl->scope = scope;
    impl->key = ParseKey(keyText).Folded();
    impl->signalled = startSignalled;
    int rc = OpenConnection(impl->path, false, &impl->db, kDefaultBusyTimeoutMs);
    if (rc == SQLITE_OK && !impl->Read(impl->dataVersion, impl->counter))
        rc = sqlite3_errcode(impl->db);
    if (rc != SQLITE_OK) {
        if (error) *error = DescribeError(impl->db, rc, impl->path);
        return nullptr;
    }
    return std::make_unique<SettingsWatcher>(std::move(impl));
}

SettingsWatcher::SettingsWatcher(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
SettingsWatcher::~SettingsWatcher() = default;

bool SettingsWatcher::Poll() {
    std::lock_guard lock(impl_->mutex);
    int64_t version = 0, count = 0;
    if (impl_->Read(version, count)) {
        impl_->dataVersion = version;
        if (count != impl_->counter) {
            impl_->counter = count;
            impl_->signalled = true;
        }
    }
    bool changed = impl_->signalled;
    impl_->signalled = false;
    return changed;
}

bool SettingsWatcher::Wait(uint32_t timeoutMs) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (Poll()) return true;
        auto now = std::chrono::steady_clock::now();
        if (now >= deadline) return false;
        auto step = std::min<std::chrono::steady_clock::duration>(deadline - now,
                                                                  std::chrono::milliseconds(10));
        std::this_thread::sleep_for(step);
    }
}

} // namespace platform
