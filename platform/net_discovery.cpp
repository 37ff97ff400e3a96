// Session discovery over UDP: query and answer datagrams, the responder a
// host runs, and the browser that collects answers. Every datagram is checked
// against its real length before a field is read.
#include "platform/net_discovery.h"

#include "platform/binary_io.h"
#include "platform/clock.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace platform {

namespace {

constexpr uint8_t kQueryMagic[4] = {'J', 'T', 'N', 'Q'};
constexpr uint8_t kAnswerMagic[4] = {'J', 'T', 'N', 'A'};
constexpr uint8_t kVersion = 1;

// Queries are timed on the wall clock even when a test steps the engine's
// clock: the sockets wait in real time.
uint32_t NowMs() {
    static const SystemClock wall;
    return wall.NowMilliseconds();
}

// Both datagrams open with magic, version and a pad byte, then the application id.
void WriteHeader(BufferWriter& out, const uint8_t magic[4], const NetApplicationId& app) {
    out.WriteBytes(magic, 4);
    out.WriteU8(kVersion);
    out.WriteU8(0);
    out.WriteBytes(app.data(), app.size());
}

bool ReadHeader(MemoryReader& in, const uint8_t magic[4], NetApplicationId& app) {
    uint8_t seen[4] = {};
    uint8_t version = 0;
    return in.ReadBytes(seen, 4) && std::memcmp(seen, magic, 4) == 0 && in.ReadU8(version) &&
           version == kVersion && in.Skip(1) && in.ReadBytes(app.data(), app.size());
}

std::string Trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) return {};
    size_t e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

bool ResolveIPv4(const std::string& name, uint32_t& out) {
    in_addr addr{};
    if (inet_pton(AF_INET, name.c_str(), &addr) == 1) {
        out = addr.s_addr;
        return true;
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* list = nullptr;
    if (getaddrinfo(name.c_str(), nullptr, &hints, &list) != 0 || !list) return false;
    out = reinterpret_cast<sockaddr_in*>(list->ai_addr)->sin_addr.s_addr;
    freeaddrinfo(list);
    return true;
}

void SetError(std::string* error, const std::string& text) {
    if (error) *error = text;
}

void CloseFd(int& fd) {
    if (fd >= 0) close(fd);
    fd = -1;
}

} // namespace

std::vector<std::string> NetDiscoveryTargets() {
    std::vector<std::string> targets;
    if (const char* env = std::getenv("JENTRA_DISCOVERY_HOSTS")) {
        std::string list = env;
        size_t start = 0;
        while (start <= list.size()) {
            size_t comma = list.find(',', start);
            if (comma == std::string::npos) comma = list.size();
            std::string item = Trim(list.substr(start, comma - start));
            if (!item.empty()) targets.push_back(item);
            start = comma + 1;
        }
    }
    if (targets.empty()) targets.push_back("255.255.255.255");
    return targets;
}

namespace netdiscovery {

std::vector<uint8_t> EncodeQuery(const NetApplicationId& app, uint32_t stamp) {
    BufferWriter out;
    WriteHeader(out, kQueryMagic, app);
    out.WriteU32(stamp);
    return out.Take();
}

bool DecodeQuery(const uint8_t* data, size_t size, NetApplicationId& app, uint32_t& stamp) {
    MemoryReader in(data, size);
    NetApplicationId readApp{};
    uint32_t readStamp = 0;
    if (!ReadHeader(in, kQueryMagic, readApp) || !in.ReadU32(readStamp)) return false;
    app = readApp;
    stamp = readStamp;
    return true;
}

std::vector<uint8_t> EncodeAnswer(const Answer& a) {
    BufferWriter out;
    WriteHeader(out, kAnswerMagic, a.app);
    out.WriteU32(a.stamp);
    out.WriteU64(a.instanceId);
    out.WriteU16(a.port);
    out.WriteU16(a.players);
    out.WriteU16(a.maxPlayers);
    const size_t n = std::min(a.sessionName.size(), kMaxSessionNameLength);
    out.WriteU8(static_cast<uint8_t>(n));
    out.WriteBytes(a.sessionName.data(), n);
    return out.Take();
}

bool DecodeAnswer(const uint8_t* data, size_t size, Answer& a) {
    MemoryReader in(data, size);
    Answer read;
    uint8_t nameLength = 0;
    if (!ReadHeader(in, kAnswerMagic, read.app) || !in.ReadU32(read.stamp) ||
        !in.ReadU64(read.instanceId) || !in.ReadU16(read.port) || !in.ReadU16(read.players) ||
        !in.ReadU16(read.maxPlayers) || !in.ReadU8(nameLength) ||
        !in.ReadString(read.sessionName, nameLength))
        return false;
    // A name is text: anything after an embedded NUL is not part of it.
    read.sessionName.resize(std::strlen(read.sessionName.c_str()));
    a = std::move(read);
    return true;
}

} // namespace netdiscovery

// ------------------------------------------------------------ socket thread

bool DatagramThread::Start(int socket, std::function<void()> body, std::string* error) {
    Stop();
    socket_ = socket;
    if (pipe2(wakePipe_, O_CLOEXEC | O_NONBLOCK) != 0) {
        SetError(error, std::string("discovery wake pipe: ") + std::strerror(errno));
        Stop();
        return false;
    }
    thread_ = std::thread(std::move(body));
    return true;
}

void DatagramThread::Stop() {
    if (thread_.joinable()) {
        const char byte = 1;
        [[maybe_unused]] ssize_t n = write(wakePipe_[1], &byte, 1);
        thread_.join();
    }
    CloseFd(socket_);
    CloseFd(wakePipe_[0]);
    CloseFd(wakePipe_[1]);
}

bool DatagramThread::Serve(int timeoutMs, const Receive& receive) {
    pollfd fds[2] = {{socket_, POLLIN, 0}, {wakePipe_[0], POLLIN, 0}};
    int ready = poll(fds, 2, timeoutMs);
    if (ready < 0) return errno == EINTR;
    if (fds[1].revents) return false;
    uint8_t buffer[512];
    for (;;) {
        sockaddr_in from{};
        socklen_t fromLength = sizeof from;
        ssize_t n = recvfrom(socket_, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from),
                             &fromLength);
        if (n < 0) return true;
        receive(buffer, static_cast<size_t>(n), from.sin_addr.s_addr, from.sin_port);
    }
}

void DatagramThread::SendTo(const std::vector<uint8_t>& bytes, uint32_t address, uint16_t port) {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = port;
    to.sin_addr.s_addr = address;
    sendto(socket_, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
}

// ---------------------------------------------------------------- responder

NetDiscoveryResponder::~NetDiscoveryResponder() {
    Stop();
}

bool NetDiscoveryResponder::Start(const std::string& bindAddress, uint16_t discoveryPort,
                                  const NetApplicationId& app, uint64_t instanceId,
                                  uint16_t gamePort, std::string* error) {
    Stop();
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(discoveryPort);
    addr.sin_addr.s_addr = htonl(INADDR_ANY);
    if (!bindAddress.empty() && !ResolveIPv4(bindAddress, addr.sin_addr.s_addr)) {
        SetError(error, "cannot resolve discovery bind address " + bindAddress);
        return false;
    }
    int sock = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (sock < 0) {
        SetError(error, std::string("discovery socket: ") + std::strerror(errno));
        return false;
    }
    if (bind(sock, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        SetError(error, "discovery port " + std::to_string(discoveryPort) +
                            " unavailable: " + std::strerror(errno));
        CloseFd(sock);
        return false;
    }
    socklen_t len = sizeof addr;
    getsockname(sock, reinterpret_cast<sockaddr*>(&addr), &len);
    {
        std::lock_guard lock(mutex_);
        answer_.app = app;
        answer_.instanceId = instanceId;
        answer_.port = gamePort;
    }
    if (!worker_.Start(
            sock, [this] { Run(); }, error))
        return false;
    port_ = ntohs(addr.sin_port);
    return true;
}

void NetDiscoveryResponder::Stop() {
    worker_.Stop();
    port_ = 0;
}

void NetDiscoveryResponder::SetSessionName(const std::string& name) {
    std::lock_guard lock(mutex_);
    answer_.sessionName = name.substr(0, kMaxSessionNameLength);
}

void NetDiscoveryResponder::SetPlayers(int players, int maxPlayers) {
    std::lock_guard lock(mutex_);
    answer_.players = static_cast<uint16_t>(std::clamp(players, 0, 0xFFFF));
    answer_.maxPlayers = static_cast<uint16_t>(std::clamp(maxPlayers, 0, 0xFFFF));
}

void NetDiscoveryResponder::Run() {
    const auto answer = [this](const uint8_t* data, size_t size, uint32_t address, uint16_t port) {
        NetApplicationId app{};
        uint32_t stamp = 0;
        if (!netdiscovery::DecodeQuery(data, size, app, stamp)) return;
        std::vector<uint8_t> reply;
        {
            std::lock_guard lock(mutex_);
            if (app != answer_.app) return;
            netdiscovery::Answer current = answer_;
            current.stamp = stamp;
            reply = netdiscovery::EncodeAnswer(current);
        }
        worker_.SendTo(reply, address, port);
    };
    while (worker_.Serve(-1, answer)) {
    }
}

std::string ResolveIPv4Text(const std::string& name) {
    uint32_t addr = 0;
    if (name.empty() || !ResolveIPv4(name, addr)) return {};
    char text[INET_ADDRSTRLEN] = {};
    in_addr in{};
    in.s_addr = addr;
    return inet_ntop(AF_INET, &in, text, sizeof text) ? text : std::string();
}

// ------------------------------------------------------------------ browser

NetBrowser::~NetBrowser() {
    Stop();
}

bool NetBrowser::Start(const std::vector<std::string>& targets, uint16_t discoveryPort,
                       const NetApplicationId& app, uint32_t retryMs, std::string* error) {
    Stop();
    targets_.clear();
    for (const std::string& target : targets) {
        uint32_t addr = 0;
        if (ResolveIPv4(target, addr)) targets_.push_back(addr);
    }
    if (targets_.empty()) {
        SetError(error, "no discovery address could be resolved");
        return false;
    }
    int sock = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (sock < 0) {
        SetError(error, std::string("browser socket: ") + std::strerror(errno));
        return false;
    }
    int yes = 1;
    setsockopt(sock, SOL_SOCKET, SO_BROADCAST, &yes, sizeof yes);
    discoveryPort_ = discoveryPort;
    app_ = app;
    {
        std::lock_guard lock(mutex_);
        found_.clear();
    }
    return worker_.Start(
        sock, [this, retryMs] { Run(retryMs == 0 ? 1 : retryMs); }, error);
}

void NetBrowser::Stop() {
    worker_.Stop();
}

bool NetBrowser::Poll(NetHostFound& found) {
    std::lock_guard lock(mutex_);
    if (found_.empty()) return false;
    found = std::move(found_.front());
    found_.pop_front();
    return true;
}

void NetBrowser::Run(uint32_t retryMs) {
    const auto collect = [this](const uint8_t* data, size_t size, uint32_t address, uint16_t) {
        netdiscovery::Answer answer;
        if (!netdiscovery::DecodeAnswer(data, size, answer)) return;
        if (answer.app != app_ || answer.port == 0) return;
        NetHostFound found;
        found.sessionName = answer.sessionName;
        char text[INET_ADDRSTRLEN] = {};
        in_addr from{};
        from.s_addr = address;
        inet_ntop(AF_INET, &from, text, sizeof text);
        found.address = text;
        found.port = answer.port;
        found.players = answer.players;
        found.maxPlayers = answer.maxPlayers;
        uint32_t elapsed = NowMs() - answer.stamp;
        found.latencyMs = static_cast<int32_t>(elapsed) < 0 ? 0 : elapsed;
        found.instanceId = answer.instanceId;
        std::lock_guard lock(mutex_);
        found_.push_back(std::move(found));
    };
    uint32_t nextQuery = NowMs();
    for (;;) {
        uint32_t now = NowMs();
        if (static_cast<int32_t>(now - nextQuery) >= 0) {
            std::vector<uint8_t> query = netdiscovery::EncodeQuery(app_, now);
            for (uint32_t target : targets_)
                worker_.SendTo(query, target, htons(discoveryPort_));
            nextQuery = now + retryMs;
        }
        int wait = static_cast<int>(nextQuery - NowMs());
        if (!worker_.Serve(wait < 0 ? 0 : wait, collect)) return;
    }
}

} // namespace platform
