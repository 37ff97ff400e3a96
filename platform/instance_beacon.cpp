// The instance beacon over abstract Unix datagram sockets.
#include "platform/instance_beacon.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

namespace platform {

namespace {

// The socket address of a name: the abstract namespace (a leading NUL), the
// user id, and a hash of the name, which may be longer than an address holds.
socklen_t AddressOf(std::string_view name, sockaddr_un& address) {
    uint64_t hash = 1469598103934665603ull; // FNV-1a
    for (unsigned char c : name) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    char text[80];
    int length = std::snprintf(text, sizeof text, "quellmar-beacon-%u-%016llx", unsigned(getuid()),
                               static_cast<unsigned long long>(hash));
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path + 1, text, size_t(length));
    return socklen_t(offsetof(sockaddr_un, sun_path) + 1 + size_t(length));
}

int NewSocket() {
    return socket(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
}

constexpr char kRequest[] = "raise";

} // namespace

std::unique_ptr<InstanceBeacon> InstanceBeacon::Listen(std::string_view name) {
    int fd = NewSocket();
    if (fd < 0) return nullptr;
    sockaddr_un address;
    socklen_t size = AddressOf(name, address);
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), size) != 0) {
        close(fd);
        return nullptr;
    }
    return std::unique_ptr<InstanceBeacon>(new InstanceBeacon(fd));
}

bool InstanceBeacon::Send(std::string_view name) {
    int fd = NewSocket();
    if (fd < 0) return false;
    sockaddr_un address;
    socklen_t size = AddressOf(name, address);
    ssize_t sent = sendto(fd, kRequest, sizeof kRequest - 1, MSG_NOSIGNAL,
                          reinterpret_cast<sockaddr*>(&address), size);
    close(fd);
    return sent == ssize_t(sizeof kRequest - 1);
}

InstanceBeacon::~InstanceBeacon() {
    close(fd_);
}

bool InstanceBeacon::TakeRequest() {
    bool any = false;
    char buffer[16];
    while (recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT) >= 0)
        any = true;
    return any;
}

} // namespace platform
