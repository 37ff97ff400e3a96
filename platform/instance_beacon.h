// How a later start of a program reaches the instance already running: the
// running one listens under a name and a later start sends it a request
// (the engine's: bring your window forward). Unix datagram sockets in the
// abstract namespace: nothing lies on disk, and a name is free again the
// moment its process ends, however it ends.
#pragma once

#include <memory>
#include <string_view>

namespace platform {

class InstanceBeacon {
public:
    // Listens under name; null when another process listens under it
    // already or no socket can be made. Names are the user's own: the same
    // name of two users never meets.
    static std::unique_ptr<InstanceBeacon> Listen(std::string_view name);
    // Sends a request to whoever listens under name; false when nobody does.
    static bool Send(std::string_view name);

    ~InstanceBeacon();
    InstanceBeacon(const InstanceBeacon&) = delete;
    InstanceBeacon& operator=(const InstanceBeacon&) = delete;

    // Whether a request came since the last call (several count as one);
    // never waits.
    bool TakeRequest();

private:
    explicit InstanceBeacon(int fd) : fd_(fd) {}
    int fd_;
};

} // namespace platform
