// Creating, opening, sharing and removing the segments of named objects.
#include "platform/named/named_segment.h"

#include "platform/display_session.h"
#include "platform/named/exit_release.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <thread>

namespace platform::named_detail {

namespace {

constexpr uint32_t kSegmentReady = 0x4f4e564cu; // "LVNO"
constexpr uint32_t kLayoutVersion = 1;
// How long an opener waits for a creator still setting the segment up before
// it takes the segment for one left half made by a process that died.
constexpr auto kSetUpWait = std::chrono::milliseconds(2000);
constexpr int kAttachTries = 8;

bool IsNameCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

void AppendMapped(std::string& out, std::string_view text) {
    bool pendingSeparator = false;
    for (char c : text) {
        if (!IsNameCharacter(c)) {
            pendingSeparator = true;
            continue;
        }
        if (pendingSeparator && !out.empty() && out.back() != '/') out += '_';
        pendingSeparator = false;
        out += c;
    }
    if (pendingSeparator) out += '_';
}

// Reads the state letter and the start time of a process from /proc.
bool ReadProcessStat(int32_t pid, char& state, uint64_t& startTicks) {
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%d/stat", int(pid));
    int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    char buffer[1024];
    ssize_t length = read(fd, buffer, sizeof buffer - 1);
    close(fd);
    if (length <= 0) return false;
    buffer[length] = '\0';
    // The command name may hold blanks and parentheses: fields follow the last ')'.
    const char* p = std::strrchr(buffer, ')');
    if (!p) return false;
    ++p;
    // Field 3 is the state; the start time is field 22.
    for (int field = 3; field <= 22; ++field) {
        while (*p == ' ')
            ++p;
        if (!*p) return false;
        if (field == 3) state = *p;
        if (field == 22) {
            char* end = nullptr;
            startTicks = std::strtoull(p, &end, 10);
            return end != p;
        }
        while (*p && *p != ' ')
            ++p;
    }
    return false;
}

bool SameObject(int fd, const std::string& systemName) {
    struct stat mine {
    }, named{};
    if (fstat(fd, &mine) != 0) return false;
    int other = shm_open(systemName.c_str(), O_RDONLY | O_CLOEXEC, 0);
    if (other < 0) return false;
    bool same =
        fstat(other, &named) == 0 && named.st_ino == mine.st_ino && named.st_dev == mine.st_dev;
    close(other);
    return same;
}

// Removes the name when it still refers to the segment behind `fd`, which
// a process that died while creating it left unusable.
void UnlinkIfSame(int fd, const std::string& systemName) {
    if (SameObject(fd, systemName)) shm_unlink(systemName.c_str());
}

int CountLiveUsers(Segment& segment) {
    int live = 0;
    for (ProcessStamp& user : segment.users) {
        if (user.pid == 0) continue;
        if (IsAlive(user)) {
            ++live;
        } else {
            user = ProcessStamp{};
        }
    }
    segment.attachCount = uint32_t(live);
    return live;
}

bool AddUser(Segment& segment, const ProcessStamp& stamp) {
    for (ProcessStamp& user : segment.users) {
        if (user.pid == 0) {
            user = stamp;
            ++segment.attachCount;
            return true;
        }
    }
    return false;
}

bool WaitFor(const std::function<bool()>& condition) {
    const auto deadline = std::chrono::steady_clock::now() + kSetUpWait;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

bool InitialiseMutex(pthread_mutex_t& mutex) {
    pthread_mutexattr_t attributes;
    if (pthread_mutexattr_init(&attributes) != 0) return false;
    bool ok = pthread_mutexattr_setpshared(&attributes, PTHREAD_PROCESS_SHARED) == 0 &&
              pthread_mutexattr_setrobust(&attributes, PTHREAD_MUTEX_ROBUST) == 0 &&
              pthread_mutex_init(&mutex, &attributes) == 0;
    pthread_mutexattr_destroy(&attributes);
    return ok;
}

// The handles this process holds open, for the exit release. A slot is
// taken and given back by exchange, so the release and a handle closing at
// the same moment never both work on one handle.
constexpr size_t kListedHandles = 64;
std::array<std::atomic<SegmentHandle*>, kListedHandles> gOpenHandles{};

bool List(SegmentHandle* handle) {
    for (auto& slot : gOpenHandles) {
        SegmentHandle* empty = nullptr;
        if (slot.compare_exchange_strong(empty, handle)) return true;
    }
    return false;
}

// False when the exit release took the handle first.
bool Unlist(SegmentHandle* handle) {
    for (auto& slot : gOpenHandles) {
        SegmentHandle* expected = handle;
        if (slot.compare_exchange_strong(expected, nullptr)) return true;
    }
    return false;
}

// Takes the segment's lock, waiting at most `waitMs` (0: without limit);
// a holder that died leaves it consistent again. False when not taken.
bool LockSegment(Segment& segment, int waitMs) {
    int result = 0;
    if (waitMs <= 0) {
        result = pthread_mutex_lock(&segment.mutex);
    } else {
        timespec deadline{};
        clock_gettime(CLOCK_REALTIME, &deadline);
        deadline.tv_nsec += long(waitMs % 1000) * 1000000L;
        deadline.tv_sec += waitMs / 1000 + deadline.tv_nsec / 1000000000L;
        deadline.tv_nsec %= 1000000000L;
        result = pthread_mutex_timedlock(&segment.mutex, &deadline);
    }
    if (result == EOWNERDEAD) {
        pthread_mutex_consistent(&segment.mutex);
        return true;
    }
    return result == 0;
}

std::string Describe(const std::string& systemName, const char* what) {
    return "named object " + systemName + ": " + what + " (" + std::strerror(errno) + ")";
}

} // namespace

std::string SystemName(std::string_view name) {
    std::string out = "/";
    if (const char* prefix = std::getenv("JENTRA_NAMED_PREFIX")) AppendMapped(out, prefix);
    // A named object belongs to the session it was made in, as the programs
    // that share it expect: a program and the menu that steers it run on
    // one display, and the same user's other session has objects of its own.
    const std::string display = SessionDisplay();
    if (!display.empty()) AppendMapped(out, "display " + display + " ");
    AppendMapped(out, name);
    if (out.size() > 250) out.resize(250); // NAME_MAX, with room for the system's own prefix
    return out;
}

ProcessStamp OwnStamp() {
    ProcessStamp stamp{int32_t(getpid()), 0};
    char state = 0;
    ReadProcessStat(stamp.pid, state, stamp.startTicks);
    return stamp;
}

bool IsAlive(const ProcessStamp& stamp) {
    if (stamp.pid <= 0) return false;
    char state = 0;
    uint64_t startTicks = 0;
    if (!ReadProcessStat(stamp.pid, state, startTicks)) return false;
    // A zombie has ended: only its exit status waits to be collected.
    if (state == 'Z' || state == 'X' || state == 'x') return false;
    return startTicks == stamp.startTicks;
}

SegmentLock::SegmentLock(Segment& segment) : segment_(segment) {
    // A process that died holding the lock left the state as it was; every
    // change is made whole under the lock, so it is usable as it stands.
    LockSegment(segment_, 0);
}

SegmentLock::~SegmentLock() {
    pthread_mutex_unlock(&segment_.mutex);
}

SegmentHandle::SegmentHandle(std::string systemName, int fd, Segment* segment, ProcessStamp stamp)
    : systemName_(std::move(systemName)), fd_(fd), segment_(segment), stamp_(stamp) {
    listed_ = List(this);
}

std::unique_ptr<SegmentHandle> SegmentHandle::Attach(std::string_view name, SegmentKind kind,
                                                     const Initialiser& initialise,
                                                     std::string* error, AttachMode mode) {
    const std::string systemName = SystemName(name);
    const ProcessStamp self = OwnStamp();
    auto fail = [&](std::string text) -> std::unique_ptr<SegmentHandle> {
        if (error) *error = std::move(text);
        return nullptr;
    };
    auto setUpFresh = [&](Segment& segment) {
        segment.unlinked = 0;
        segment.creator = self;
        segment.attachCount = 0;
        for (ProcessStamp& user : segment.users)
            user = ProcessStamp{};
        segment.words[0].store(0);
        segment.words[1].store(0);
        initialise(segment);
    };

    for (int attempt = 0; attempt < kAttachTries; ++attempt) {
        int fd = -1;
        if (mode == AttachMode::CreateOrOpen) {
            fd = shm_open(systemName.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
            if (fd < 0 && errno != EEXIST) return fail(Describe(systemName, "cannot be created"));
        }
        const bool created = fd >= 0;
        if (!created) {
            fd = shm_open(systemName.c_str(), O_RDWR | O_CLOEXEC, 0);
            if (fd < 0) {
                if (errno != ENOENT) return fail(Describe(systemName, "cannot be opened"));
                if (mode == AttachMode::OpenExisting)
                    return fail(Describe(systemName, "does not exist"));
                continue; // its last user just removed it
            }
        }
        if (created && ftruncate(fd, sizeof(Segment)) != 0) {
            std::string text = Describe(systemName, "cannot be sized");
            shm_unlink(systemName.c_str());
            close(fd);
            return fail(text);
        }
        if (!created) {
            // The creator sizes the segment right after making it.
            struct stat info {};
            const bool sized = WaitFor([&] { return fstat(fd, &info) == 0 && info.st_size != 0; });
            if (!sized) {
                UnlinkIfSame(fd, systemName);
                close(fd);
                continue;
            }
            if (info.st_size != off_t(sizeof(Segment))) {
                close(fd);
                return fail("named object " + systemName +
                            ": exists with another layout (made by another build?)");
            }
        }
        void* mapped = mmap(nullptr, sizeof(Segment), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        if (mapped == MAP_FAILED) {
            std::string text = Describe(systemName, "cannot be mapped");
            if (created) shm_unlink(systemName.c_str());
            close(fd);
            return fail(text);
        }
        auto* segment = static_cast<Segment*>(mapped);
        auto release = [&] {
            munmap(mapped, sizeof(Segment));
            close(fd);
        };

        if (created) {
            // The fresh segment is all zeros; only the creator touches it
            // until `ready` is published.
            segment->layout = kLayoutVersion;
            segment->kind = kind;
            if (!InitialiseMutex(segment->mutex)) {
                std::string text = Describe(systemName, "lock cannot be set up");
                shm_unlink(systemName.c_str());
                release();
                return fail(text);
            }
            setUpFresh(*segment);
            AddUser(*segment, self);
            segment->ready.store(kSegmentReady, std::memory_order_release);
            return std::unique_ptr<SegmentHandle>(new SegmentHandle(systemName, fd, segment, self));
        }

        if (!WaitFor(
                [&] { return segment->ready.load(std::memory_order_acquire) == kSegmentReady; })) {
            // Its creator died half way: nobody can be using it.
            UnlinkIfSame(fd, systemName);
            release();
            continue;
        }
        if (segment->layout != kLayoutVersion) {
            release();
            return fail("named object " + systemName + ": exists with another layout");
        }
        if (segment->kind != kind) {
            release();
            return fail("named object " + systemName + ": exists as another kind of object");
        }
        bool retry = false;
        bool full = false;
        {
            SegmentLock lock(*segment);
            if (segment->unlinked) {
                retry = true;
            } else {
                // Everyone who had it open has died: its state is stale.
                if (CountLiveUsers(*segment) == 0) setUpFresh(*segment);
                full = !AddUser(*segment, self);
            }
        }
        if (retry) {
            release();
            continue;
        }
        if (full) {
            release();
            return fail("named object " + systemName + ": too many handles open");
        }
        return std::unique_ptr<SegmentHandle>(new SegmentHandle(systemName, fd, segment, self));
    }
    return fail("named object " + systemName + ": kept vanishing while being opened");
}

SegmentHandle::~SegmentHandle() {
    // The exit release took this handle: it has given the place up, and
    // the process is ending.
    if (listed_ && !Unlist(this)) return;
    Leave(0);
    munmap(segment_, sizeof(Segment));
    close(fd_);
}

void SegmentHandle::Leave(int lockWaitMs) {
    // A process forked from the opener shares the mapping but was never a
    // user: only the opening process gives its place up.
    if (int32_t(getpid()) != stamp_.pid) return;
    // Ending, a lock that cannot be had (its holder is stuck) does not keep
    // the name: the process's place is given up without it.
    const bool locked = LockSegment(*segment_, lockWaitMs);
    for (ProcessStamp& user : segment_->users) {
        if (user.pid == stamp_.pid && user.startTicks == stamp_.startTicks) {
            user = ProcessStamp{};
            break;
        }
    }
    if (CountLiveUsers(*segment_) == 0) {
        segment_->unlinked = 1;
        shm_unlink(systemName_.c_str());
    }
    if (locked) pthread_mutex_unlock(&segment_->mutex);
}

} // namespace platform::named_detail

namespace platform {

void ReleaseNamedObjectsAtExit() {
    constexpr int kLockWaitMs = 100;
    for (auto& slot : named_detail::gOpenHandles)
        if (named_detail::SegmentHandle* handle = slot.exchange(nullptr))
            handle->Leave(kLockWaitMs);
}

} // namespace platform
