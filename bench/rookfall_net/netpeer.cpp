// rookfall_netpeer: a hostile network peer for measuring how a hosting
// Rookfall ("Rookfall -host", under xvfb-run) bears a burst of new-game
// requests or a flood of small data packets. It joins the game on loopback
// only, watches the host's frames through the X server's damage events (one
// per presented frame) and its resident memory through /proc, and reports,
// second by second and summed up before, during (the attack and the five
// seconds after it) and after the attack, the frames drawn, the longest and
// the 99th-percentile delay between two frames, and the memory.
//
//   rookfall_netpeer --pid PID [--port P] [--before S] [--after S]
//                    (--burst N | --flood S [--rate N]) [--size BYTES] [--unreliable]
//
// --burst N sends N new-game packets at once; --flood S sends data packets
// of --size bytes (default 1, a type the game ignores) for S seconds, as
// fast as the connection takes them or --rate packets a second. The host stays connected or drops
// the peer; either is reported.
#include <dlfcn.h>
#include <enet/enet.h>

#include <X11/Xlib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// The session protocol of the engine's network layer: the greeting sent
// with the connection request, and a data packet's header (kind 1, u32
// sender, u32 receiver (0: everybody)) before the game's bytes.
constexpr enet_uint32 kProtocolMagic = 0x4A544E31;
constexpr uint8_t kWireData = 1;
constexpr uint8_t kWireWelcome = 2;
constexpr uint16_t kDefaultGamePort = 28711;
constexpr uint8_t kChessNewGame = 0x02;
constexpr std::chrono::seconds kAftermath{5};

double MillisecondsSince(Clock::time_point start, Clock::time_point t) {
    return std::chrono::duration<double, std::milli>(t - start).count();
}

long ResidentKiB(int pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    return -1;
}

// Frames of the X server's screen: a damage event each time something was
// drawn into the host's window (the damage extension is loaded at run time,
// so the tool builds without its development files).
class FrameWatch {
public:
    bool Start() {
        void* lib = dlopen("libXdamage.so.1", RTLD_NOW);
        if (!lib) return false;
        queryExtension_ = reinterpret_cast<QueryExtensionFn>(dlsym(lib, "XDamageQueryExtension"));
        create_ = reinterpret_cast<CreateFn>(dlsym(lib, "XDamageCreate"));
        subtract_ = reinterpret_cast<SubtractFn>(dlsym(lib, "XDamageSubtract"));
        if (!queryExtension_ || !create_ || !subtract_) return false;
        display_ = XOpenDisplay(nullptr);
        if (!display_) return false;
        int errorBase = 0;
        if (!queryExtension_(display_, &eventBase_, &errorBase)) return false;
        // Every window of the screen: the game's is among them.
        Window root = DefaultRootWindow(display_), parent = 0, *children = nullptr;
        unsigned count = 0;
        XQueryTree(display_, root, &root, &parent, &children, &count);
        for (unsigned i = 0; i < count; ++i)
            damages_.push_back(create_(display_, children[i], kReportNonEmpty));
        if (children) XFree(children);
        damages_.push_back(create_(display_, root, kReportNonEmpty));
        XSync(display_, False);
        running_ = true;
        thread_ = std::thread([this] { Run(); });
        return true;
    }
    ~FrameWatch() {
        running_ = false;
        if (thread_.joinable()) thread_.join();
        if (display_) XCloseDisplay(display_);
    }
    std::vector<Clock::time_point> Frames() {
        std::lock_guard lock(mutex_);
        return frames_;
    }

private:
    using Damage = XID;
    using QueryExtensionFn = Bool (*)(Display*, int*, int*);
    using CreateFn = Damage (*)(Display*, Drawable, int);
    using SubtractFn = void (*)(Display*, Damage, XID, XID);
    static constexpr int kReportNonEmpty = 3;

    void Run() {
        while (running_) {
            bool drawn = false;
            while (XPending(display_)) {
                XEvent event;
                XNextEvent(display_, &event);
                if (event.type == eventBase_) drawn = true;
            }
            if (drawn) {
                {
                    std::lock_guard lock(mutex_);
                    frames_.push_back(Clock::now());
                }
                for (Damage d : damages_)
                    subtract_(display_, d, 0, 0);
                XFlush(display_);
            }
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        }
    }

    QueryExtensionFn queryExtension_ = nullptr;
    CreateFn create_ = nullptr;
    SubtractFn subtract_ = nullptr;
    Display* display_ = nullptr;
    int eventBase_ = 0;
    std::vector<Damage> damages_;
    std::atomic<bool> running_{false};
    std::thread thread_;
    std::mutex mutex_;
    std::vector<Clock::time_point> frames_;
};

struct MemorySample {
    Clock::time_point when;
    long kib;
};

struct Options {
    int pid = 0;
    int port = kDefaultGamePort;
    double before = 3, after = 10;
    long burst = 0;
    double flood = 0;
    size_t size = 1;
    bool unreliable = false;
    double rate = 0; // packets a second in a flood; 0: as fast as they go
};

bool ParseOptions(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (a == "--unreliable") {
            o.unreliable = true;
            continue;
        }
        if (!value) return false;
        ++i;
        if (a == "--pid")
            o.pid = std::atoi(value);
        else if (a == "--port")
            o.port = std::atoi(value);
        else if (a == "--before")
            o.before = std::atof(value);
        else if (a == "--after")
            o.after = std::atof(value);
        else if (a == "--burst")
            o.burst = std::atol(value);
        else if (a == "--flood")
            o.flood = std::atof(value);
        else if (a == "--rate")
            o.rate = std::atof(value);
        else if (a == "--size")
            o.size = size_t(std::max(1, std::atoi(value)));
        else
            return false;
    }
    return o.pid > 0 && o.port > 0 && o.port < 65536 && (o.burst > 0) != (o.flood > 0);
}

// The peer's connection to the host on loopback.
class Peer {
public:
    ~Peer() {
        if (host_) enet_host_destroy(host_);
    }
    bool Join(int port) {
        host_ = enet_host_create(nullptr, 1, 1, 0, 0);
        if (!host_) return false;
        ENetAddress address{};
        enet_address_set_host_ip(&address, "127.0.0.1");
        address.port = uint16_t(port);
        server_ = enet_host_connect(host_, &address, 1, kProtocolMagic);
        const auto deadline = Clock::now() + std::chrono::seconds(5);
        while (Clock::now() < deadline) {
            ENetEvent event;
            if (enet_host_service(host_, &event, 20) <= 0) continue;
            if (event.type == ENET_EVENT_TYPE_DISCONNECT) return false;
            if (event.type != ENET_EVENT_TYPE_RECEIVE) continue;
            const bool welcome =
                event.packet->dataLength >= 5 && event.packet->data[0] == kWireWelcome;
            if (welcome) std::memcpy(&self_, event.packet->data + 1, 4);
            enet_packet_destroy(event.packet);
            if (welcome) return true;
        }
        return false;
    }
    // Queues one data packet carrying the game's bytes.
    bool Send(const std::vector<uint8_t>& payload, bool unreliable) {
        if (!server_) return false;
        std::vector<uint8_t> packet(9 + payload.size());
        packet[0] = kWireData;
        std::memcpy(&packet[1], &self_, 4);
        std::memset(&packet[5], 0, 4);
        std::memcpy(&packet[9], payload.data(), payload.size());
        ENetPacket* p = enet_packet_create(packet.data(), packet.size(),
                                           unreliable ? ENET_PACKET_FLAG_UNSEQUENCED
                                                      : ENET_PACKET_FLAG_RELIABLE);
        if (!p) return false;
        if (enet_peer_send(server_, 0, p) != 0) {
            enet_packet_destroy(p);
            return false;
        }
        return true;
    }
    // Sends what is queued and reads what came; false once the host let go.
    bool Service(int waitMs = 0) {
        if (!server_) return false;
        ENetEvent event;
        while (enet_host_service(host_, &event, enet_uint32(waitMs)) > 0) {
            waitMs = 0;
            if (event.type == ENET_EVENT_TYPE_RECEIVE) enet_packet_destroy(event.packet);
            if (event.type == ENET_EVENT_TYPE_DISCONNECT) {
                server_ = nullptr;
                return false;
            }
        }
        return true;
    }
    // Packets queued but not yet acknowledged by the host (reliable only).
    size_t InFlight() const {
        return server_ ? enet_list_size(&server_->sentReliableCommands) +
                             enet_list_size(&server_->outgoingCommands)
                       : 0;
    }
    bool Connected() const { return server_ != nullptr; }

private:
    ENetHost* host_ = nullptr;
    ENetPeer* server_ = nullptr;
    uint32_t self_ = 0;
};

struct Phase {
    const char* name;
    Clock::time_point start, end;
};

void Report(const Phase& phase, const std::vector<Clock::time_point>& frames,
            const std::vector<MemorySample>& memory) {
    std::vector<double> gaps;
    int count = 0;
    Clock::time_point last = phase.start;
    for (Clock::time_point f : frames) {
        if (f < phase.start || f > phase.end) continue;
        gaps.push_back(MillisecondsSince(last, f));
        last = f;
        ++count;
    }
    gaps.push_back(MillisecondsSince(last, phase.end)); // a frame still awaited
    std::sort(gaps.begin(), gaps.end());
    const double seconds = MillisecondsSince(phase.start, phase.end) / 1000.0;
    const double p99 = gaps[std::min(gaps.size() - 1, size_t(double(gaps.size()) * 0.99))];
    long lo = -1, hi = -1, end = -1;
    for (const MemorySample& s : memory) {
        if (s.when < phase.start || s.when > phase.end) continue;
        lo = lo < 0 ? s.kib : std::min(lo, s.kib);
        hi = std::max(hi, s.kib);
        end = s.kib;
    }
    std::printf("%-7s %6.1f s  frames %6d (%5.1f/s)  frame delay max %8.1f ms  p99 %7.1f ms"
                "  memory %6.1f..%6.1f MiB, at end %6.1f MiB\n",
                phase.name, seconds, count, count / seconds, gaps.back(), p99, lo / 1024.0,
                hi / 1024.0, end / 1024.0);
}

} // namespace

int main(int argc, char** argv) {
    Options o;
    if (!ParseOptions(argc, argv, o)) {
        std::fprintf(stderr, "usage: rookfall_netpeer --pid PID [--port P] [--before S] [--after S]"
                             " (--burst N | --flood S [--rate N]) [--size BYTES] [--unreliable]\n");
        return 2;
    }
    if (enet_initialize() != 0) return 1;
    FrameWatch watch;
    if (!watch.Start()) std::fprintf(stderr, "netpeer: no X damage events; frames not counted\n");

    std::vector<MemorySample> memory;
    std::mutex memoryMutex;
    std::atomic<bool> sampling{true};
    std::thread sampler([&] {
        while (sampling) {
            const long kib = ResidentKiB(o.pid);
            {
                std::lock_guard lock(memoryMutex);
                memory.push_back({Clock::now(), kib});
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    });

    Peer peer;
    if (!peer.Join(o.port)) {
        std::fprintf(stderr, "netpeer: no game on 127.0.0.1:%d\n", o.port);
        sampling = false;
        sampler.join();
        return 1;
    }
    const auto beforeStart = Clock::now();
    while (Clock::now() - beforeStart < std::chrono::duration<double>(o.before))
        peer.Service(10);

    const auto attackStart = Clock::now();
    long sent = 0;
    if (o.burst > 0) {
        for (; sent < o.burst; ++sent)
            peer.Send({kChessNewGame}, o.unreliable);
        // Until the host has taken them all (or let go).
        while (peer.Service(5) && peer.InFlight() > 0) {
        }
    } else {
        const std::vector<uint8_t> payload(o.size, 0x07);
        const auto until = attackStart + std::chrono::duration<double>(o.flood);
        while (Clock::now() < until && peer.Connected()) {
            // Keep the connection's queue short so the packets go at once.
            for (int i = 0; i < 256 && peer.InFlight() < 8192; ++i, ++sent) {
                if (o.rate > 0 &&
                    sent >= long(o.rate * MillisecondsSince(attackStart, Clock::now()) / 1000.0))
                    break;
                peer.Send(payload, o.unreliable);
            }
            peer.Service(o.rate > 0 ? 1 : 0);
        }
    }
    const auto attackEnd = Clock::now();
    const bool dropped = !peer.Connected();
    const Clock::time_point afterEnd = attackEnd + std::chrono::duration_cast<Clock::duration>(
                                                       std::chrono::duration<double>(o.after));
    while (Clock::now() < afterEnd)
        if (!peer.Service(10)) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    sampling = false;
    sampler.join();

    std::printf("queued %ld packets in %.2f s; the host %s\n", sent,
                MillisecondsSince(attackStart, attackEnd) / 1000.0,
                dropped ? "disconnected the peer" : "kept the peer");
    const std::vector<Clock::time_point> frames = watch.Frames();
    // Second by second from the attack on: frames drawn, the longest wait
    // for one, and the memory at the second's end.
    for (auto second = attackStart; second < afterEnd; second += std::chrono::seconds(1)) {
        const auto next = std::min(afterEnd, second + std::chrono::seconds(1));
        int count = 0;
        double longest = 0;
        Clock::time_point last = second;
        for (Clock::time_point f : frames) {
            if (f < second || f > next) continue;
            longest = std::max(longest, MillisecondsSince(last, f));
            last = f;
            ++count;
        }
        longest = std::max(longest, MillisecondsSince(last, next));
        long kib = -1;
        for (const MemorySample& s : memory)
            if (s.when <= next) kib = s.kib;
        std::printf("  t=%5.1f s  frames %4d  longest wait %7.1f ms  memory %6.1f MiB\n",
                    MillisecondsSince(attackStart, second) / 1000.0, count, longest, kib / 1024.0);
    }
    // "during" runs on a few seconds past the last packet: a burst is sent in
    // an instant, and what it costs shows in the frames that follow it.
    const Clock::time_point settled = std::min(afterEnd, attackEnd + kAftermath);
    for (const Phase& phase :
         {Phase{"before", beforeStart, attackStart}, Phase{"during", attackStart, settled},
          Phase{"after", settled, afterEnd}})
        Report(phase, frames, memory);
    enet_deinitialize();
    return 0;
}
