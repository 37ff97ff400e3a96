// The shared-memory segment behind every named object: one POSIX shared
// memory object per name, holding a robust process-shared mutex, the users
// that have it open (each with its process start time, so a reused process
// id is not taken for the old process) and the object's own state. The last
// user to close it unlinks the name; a segment whose users have all died is
// set up afresh by the next one to open it. Internal to the named objects.
#pragma once

#include <sys/types.h>

#include <pthread.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace platform::named_detail {

enum class SegmentKind : uint32_t { Event = 1, Block = 2 };

// Whether attaching may make the segment, or only opens one that exists.
enum class AttachMode { CreateOrOpen, OpenExisting };

// A process as the segment remembers it: its id and its start time in clock
// ticks since boot (from /proc), which a later process with the same id
// does not share.
struct ProcessStamp {
    int32_t pid;
    uint64_t startTicks;
};

inline constexpr int kMaxSegmentUsers = 64;

// The layout every process maps. Only processes built from this code open
// these names, so it is a memory layout, not a file format; `layout` still
// guards against an older build's segment of another shape.
struct Segment {
    std::atomic<uint32_t> ready; // kSegmentReady once the creator has set it up
    uint32_t layout;
    SegmentKind kind;
    uint32_t unlinked; // the name was removed: openers must start again
    pthread_mutex_t mutex;
    ProcessStamp creator;
    uint32_t attachCount; // handles open on the segment
    ProcessStamp users[kMaxSegmentUsers];

    // Event state.
    uint32_t manualReset;
    uint32_t signalled;
    std::atomic<uint32_t> wakeSequence; // futex word, bumped by every Set

    // Shared block contents (offsets 0 and 4 of the 8 bytes).
    std::atomic<uint32_t> words[2];
};

// The system name for a named object: "/" + $JENTRA_NAMED_PREFIX + the
// session's display + the name, with every run of characters other than
// letters and digits turned into one '_' ("Lumivane: Exit" becomes
// "/display_0_Lumivane_Exit" on display ":0" or ":0.0", "/Lumivane_Exit"
// without a display). The display is the canonical name of $DISPLAY
// (platform/display_session.h), so every program of a session finds the
// same objects, and another session's stay apart.
std::string SystemName(std::string_view name);

// This process's stamp, and whether a remembered process still runs.
ProcessStamp OwnStamp();
bool IsAlive(const ProcessStamp& stamp);

// Locks the segment's mutex; a holder that died leaves it consistent again.
class SegmentLock {
public:
    explicit SegmentLock(Segment& segment);
    ~SegmentLock();
    SegmentLock(const SegmentLock&) = delete;
    SegmentLock& operator=(const SegmentLock&) = delete;

private:
    Segment& segment_;
};

// One open handle on a named segment.
class SegmentHandle {
public:
    // Sets the object's own state of a segment that is new or set up afresh;
    // runs under the segment's mutex.
    using Initialiser = std::function<void(Segment&)>;

    // Creates the segment or opens the existing one (OpenExisting: only
    // opens). Null with *error set when it cannot be made, does not exist
    // (OpenExisting) or the name holds another kind of object.
    static std::unique_ptr<SegmentHandle> Attach(std::string_view name, SegmentKind kind,
                                                 const Initialiser& initialise, std::string* error,
                                                 AttachMode mode = AttachMode::CreateOrOpen);
    ~SegmentHandle();
    SegmentHandle(const SegmentHandle&) = delete;
    SegmentHandle& operator=(const SegmentHandle&) = delete;

    Segment& Get() const { return *segment_; }
    const std::string& SystemNameUsed() const { return systemName_; }

    // This process gives its place up; the name goes when no one else
    // holds it. `lockWaitMs` bounds the wait for the lock (0: no bound).
    void Leave(int lockWaitMs);

private:
    SegmentHandle(std::string systemName, int fd, Segment* segment, ProcessStamp stamp);

    std::string systemName_;
    int fd_;
    Segment* segment_;
    ProcessStamp stamp_;
    // Listed among the handles the exit release takes care of.
    bool listed_ = false;
};

} // namespace platform::named_detail
