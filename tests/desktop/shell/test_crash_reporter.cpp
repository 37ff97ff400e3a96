// The log and the crash reporter: log lines, the report request's rules,
// report files, a child process that really faults, and one that is sent
// the signal of a fault.
#include "desktop/shell/crash/crash_handler.h"
#include "desktop/shell/desktop_backend.h"
#include "desktop/shell/log.h"
#include "desktop/shell/registry.h"
#include "platform/settings_store.h"
#include "shell_test_support.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <mutex>
#include <thread>

using namespace lumivane;
using namespace shell_test;

namespace {

// An HTTP server on 127.0.0.1 that keeps the head of every request and
// answers 200 with no body.
class LoopbackServer {
public:
    LoopbackServer() {
        listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            listen(listener_, 8) != 0 ||
            getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            return;
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }
    ~LoopbackServer() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        close(listener_);
    }

    std::string Url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/"; }
    std::vector<std::string> Requests() {
        std::lock_guard lock(mutex_);
        return requests_;
    }

private:
    void Serve() {
        while (!stop_) {
            pollfd waiting{listener_, POLLIN, 0};
            if (poll(&waiting, 1, 50) <= 0) continue;
            const int connection = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (connection < 0) continue;
            timeval timeout{2, 0};
            setsockopt(connection, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
            std::string head;
            char buffer[4096];
            while (head.find("\r\n\r\n") == std::string::npos && head.size() < 65536) {
                const ssize_t got = recv(connection, buffer, sizeof buffer, 0);
                if (got <= 0) break;
                head.append(buffer, size_t(got));
            }
            {
                // Kept before the answer goes out: the client returns as
                // soon as it has the answer.
                std::lock_guard lock(mutex_);
                requests_.push_back(head);
            }
            const char answer[] =
                "HTTP/1.1 200 OK\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
            send(connection, answer, sizeof answer - 1, MSG_NOSIGNAL);
            close(connection);
        }
    }

    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
    std::mutex mutex_;
    std::vector<std::string> requests_;
};

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// Splits "mm/dd/yy HH:MM:SS (p=<hex> t=<hex>) : text" into the thread id and
// the text; false when the line has another shape.
bool ParseLogLine(const std::string& line, unsigned& thread, std::string& text) {
    int fields[6];
    unsigned process = 0;
    int consumed = -1;
    if (std::sscanf(line.c_str(), "%2d/%2d/%2d %2d:%2d:%2d (p=%x t=%x) : %n", &fields[0],
                    &fields[1], &fields[2], &fields[3], &fields[4], &fields[5], &process, &thread,
                    &consumed) != 8 ||
        consumed < 0)
        return false;
    text = line.substr(size_t(consumed));
    return line[2] == '/' && line[8] == ' ' && line[11] == ':' && process == unsigned(getpid());
}

std::string RequestLine(const std::string& head) {
    return head.substr(0, head.find("\r\n"));
}

CrashInfo SampleCrash(uint32_t code) {
    CrashInfo info{};
    info.code = code;
    info.registers.eip = 0x00007f0012345678;
    info.registers.esp = 0x00007ffc00001000;
    info.registers.cs = 0x33;
    info.registers.eflags = 0x10246;
    const uint8_t bytes[] = {0xde, 0xad, 0xbe, 0xef};
    std::copy(std::begin(bytes), std::end(bytes), info.codeBytes);
    info.codeBytesRead = 0x000F;
    return info;
}

class LvCrash : public ShellTest {
protected:
    void TearDown() override {
        SetCrashReportSettings({});
        SetLogEnabled(false);
        ShellTest::TearDown();
    }
};

TEST_F(LvCrash, LogLinesOnlyWhileLoggingIsOn) {
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(Dir());
    SetLogEnabled(false);
    Log("Starting hwnd=%x", 0x1a2b);
    const bool createdWhileOff = std::filesystem::exists(Dir() / "log.txt");
    SetLogEnabled(true);
    Log("Starting hwnd=%x", 0x1a2b);
    std::thread([] { Log("Term done"); }).join();
    std::filesystem::current_path(previous);

    EXPECT_FALSE(createdWhileOff);
    const std::string log = ReadFile(Dir() / "log.txt");
    ASSERT_EQ(std::count(log.begin(), log.end(), '\n'), 2) << log;
    const size_t end = log.find('\n');
    unsigned firstThread = 0, secondThread = 0;
    std::string first, second;
    ASSERT_TRUE(ParseLogLine(log.substr(0, end), firstThread, first)) << log;
    ASSERT_TRUE(ParseLogLine(log.substr(end + 1, log.size() - end - 2), secondThread, second))
        << log;
    EXPECT_EQ(first, "Starting hwnd=1a2b");
    EXPECT_EQ(second, "Term done");
    EXPECT_NE(firstThread, secondThread);
}

TEST_F(LvCrash, RequestIsOneEncodedLineOfAtMost2024Characters) {
    CrashInfo info = SampleCrash(exception_codes::kAccessViolation);
    info.hasAccess = true;
    info.isWrite = true;
    info.accessAddress = 0x10;
    const std::string request = CrashRequestText(info, 7, "lib x\r\n.so");
    EXPECT_EQ(request.rfind("/bin/errorreport.dll?Product=LumivaneVol1&Build=07&Except="
                            "an_Access_Violation&Module=lib%20x%0D%0A.so&CS=0033&EIP="
                            "00007f0012345678&EFLGS=0000000000010246&EAX=",
                            0),
              0u)
        << request;
    EXPECT_NE(request.find("&ESP=00007ffc00001000"), std::string::npos);
    EXPECT_EQ(request.find_first_of("\r\n "), std::string::npos);
    EXPECT_TRUE(EndsWith(request, "&Write=0000000000000010")) << request;

    const std::string capped = CrashRequestText(info, 7, std::string(1900, 'm'));
    EXPECT_LE(capped.size(), kMaxRequestText);
    EXPECT_EQ(capped.find("&Write="), std::string::npos);
    EXPECT_TRUE(EndsWith(capped, "&EIP=00007f0012345678")) << capped; // whole parameters only
    EXPECT_EQ(CrashRequestText(info, 7, std::string(2100, 'm')).find("&Module"), std::string::npos);
}

TEST_F(LvCrash, ReportNamesUnknownCodesAndTakesTheNextFreeNumber) {
    LoopbackServer server;
    WriteFile(DesktopDir() / "Lumivane_Error_Log_0001.txt", "an older report");
    SetCrashReportSettings({3, server.Url(), 3000});
    EXPECT_EQ(ReportCrash(SampleCrash(0x12345678), "music thread"), 0);

    EXPECT_EQ(ReadFile(DesktopDir() / "Lumivane_Error_Log_0001.txt"), "an older report");
    const std::string report = ReadFile(DesktopDir() / "Lumivane_Error_Log_0002.txt");
    EXPECT_NE(report.find(" build 3 caused Unknown exception type in module Unknown at "
                          "0033:00007f0012345678.\r\n"),
              std::string::npos)
        << report;
    EXPECT_NE(report.find("Exception handler called in music thread.\r\n"), std::string::npos);
    EXPECT_NE(report.find("Bytes at CS:EIP:\r\nde ad be ef ?? ?? ?? ?? ?? ?? ?? ?? ?? ?? ?? ?? "
                          "\r\n"),
              std::string::npos);
    EXPECT_EQ(report.find("caused an access violation"), std::string::npos);
    EXPECT_NE(report.find("Module list: names, addresses, sizes, time stamps and file times:"),
              std::string::npos);
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_NE(RequestLine(requests[0]).find("&Except=Unknown%20exception%20type&Module=Unknown&"),
              std::string::npos)
        << requests[0];
}

TEST_F(LvCrash, FaultingChildReportsSendsRestoresAndDiesOfItsSignal) {
    LoopbackServer server;
    auto store = platform::SettingsStore::Open();
    ASSERT_TRUE(store);
    const auto machine = platform::SettingsScope::Machine;
    const char* key = SettingsKey::kKeyPath;
    store->SetDword(machine, key, "Logging", 1);
    store->SetDword(machine, key, "Build", 7);
    store->SetString(machine, key, "CrashReportURL", server.Url());
    store->SetString(machine, key, "html", "file:///opt/lumivane/Lumivane.htm");
    const WallpaperBytes saved = WallpaperToBytes(MakeWallpaperPath(u"/home/ann/sea.png"));
    store->SetBinary(platform::SettingsScope::User, key, "SaveWallpaper", saved.data(),
                     saved.size());
    {
        auto desktop = CreateDesktopBackend();
        desktop->SetWallpaper(u"file:///opt/lumivane/Lumivane.htm");
        desktop->Apply(kApplyAll);
    }
    WriteFile(Dir() / "Langfile.csv", "h\nh\n11003,report,Lumivane has stopped.\n");
    const std::string language = (Dir() / "Langfile.csv").string();

    Child first(HelperArgs({"crash", Dir().string(), language}));
    first.Finish();
    EXPECT_EQ(first.TermSignal(), SIGSEGV) << first.Stderr();

    const std::string report = ReadFile(DesktopDir() / "Lumivane_Error_Log_0001.txt");
    EXPECT_EQ(
        report.rfind("Lumivane has stopped.\r\n\r\n\r\n\r\nlumivane_shell_test_helper build 7 "
                     "caused an_Access_Violation in module lumivane_shell_test_helper at 0033:",
                     0),
        0u)
        << report;
    EXPECT_NE(report.find("Exception handler called in main thread.\r\n"), std::string::npos);
    EXPECT_NE(report.find("Read from location 0000000000000000 caused an access violation.\r\n"),
              std::string::npos);
    EXPECT_NE(report.find("\r\nRegisters:\r\nEAX="), std::string::npos);
    EXPECT_NE(report.find("lumivane_shell_test_helper, loaded at 0x"), std::string::npos);

    auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    const std::string line = RequestLine(requests[0]);
    EXPECT_EQ(line.rfind("GET /bin/errorreport.dll?Product=LumivaneVol1&Build=07&Except="
                         "an_Access_Violation&Module=lumivane_shell_test_helper&CS=0033&EIP=",
                         0),
              0u)
        << line;
    EXPECT_TRUE(EndsWith(line, "&Read=0000000000000000 HTTP/1.1")) << line;
    EXPECT_NE(requests[0].find("User-Agent: Lumivane\r\n"), std::string::npos);
    EXPECT_NE(ReadFile(Dir() / "log.txt").find(" : Starting hwnd=1a2b\n"), std::string::npos);
    auto desktop = CreateDesktopBackend();
    EXPECT_TRUE(WallpaperText(desktop->GetWallpaper()) == u"/home/ann/sea.png");

    // The next crash takes the next number; without logging no log appears.
    std::filesystem::remove(Dir() / "log.txt");
    store->SetDword(machine, key, "Logging", 0);
    Child second(HelperArgs({"crash", Dir().string()}));
    second.Finish();
    EXPECT_EQ(second.TermSignal(), SIGSEGV);
    EXPECT_TRUE(std::filesystem::exists(DesktopDir() / "Lumivane_Error_Log_0002.txt"));
    EXPECT_FALSE(std::filesystem::exists(Dir() / "log.txt"));
    EXPECT_EQ(server.Requests().size(), 2u);
}

TEST_F(LvCrash, StackOverflowAndDivisionByZeroAreReportedUnderTheirNames) {
    Child overflow(HelperArgs({"overflow", Dir().string()}));
    overflow.Finish();
    EXPECT_EQ(overflow.TermSignal(), SIGSEGV) << overflow.Stderr();
    Child divide(HelperArgs({"divide", Dir().string()}));
    divide.Finish();
    EXPECT_EQ(divide.TermSignal(), SIGFPE) << divide.Stderr();

    const std::string first = ReadFile(DesktopDir() / "Lumivane_Error_Log_0001.txt");
    EXPECT_NE(first.find(" caused a_Stack_Overflow in module lumivane_shell_test_helper"),
              std::string::npos)
        << first;
    EXPECT_EQ(first.find("caused an access violation"), std::string::npos);
    const std::string second = ReadFile(DesktopDir() / "Lumivane_Error_Log_0002.txt");
    EXPECT_NE(second.find(" caused an_Integer_Divide_by_Zero in module "), std::string::npos)
        << second;
}

// A SIGSEGV that another process sends is no fault: the report says who
// sent it and tells of no faulting access, and the request carries none.
TEST_F(LvCrash, ASegmentationSignalSentByAnotherProcessIsReportedAsSent) {
    LoopbackServer server;
    auto store = platform::SettingsStore::Open();
    ASSERT_TRUE(store);
    store->SetString(platform::SettingsScope::Machine, SettingsKey::kKeyPath, "CrashReportURL",
                     server.Url());
    Child waiting(HelperArgs({"wait", Dir().string()}));
    ASSERT_TRUE(waiting.Started());
    ASSERT_EQ(waiting.ReadLine(), "ready") << waiting.Stderr();
    ASSERT_EQ(kill(waiting.Pid(), SIGSEGV), 0);
    waiting.Finish();
    EXPECT_EQ(waiting.TermSignal(), SIGSEGV) << waiting.Stderr();

    const std::string report = ReadFile(DesktopDir() / "Lumivane_Error_Log_0001.txt");
    EXPECT_NE(report.find("Signal 11 was sent by process " + std::to_string(getpid()) +
                          ", not raised by a fault.\r\n"),
              std::string::npos)
        << report;
    EXPECT_EQ(report.find("caused an access violation"), std::string::npos) << report;
    EXPECT_EQ(report.find("a_Stack_Overflow"), std::string::npos) << report;
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(RequestLine(requests[0]).find("&Read="), std::string::npos) << requests[0];
    EXPECT_EQ(RequestLine(requests[0]).find("&Write="), std::string::npos) << requests[0];
}

// The transfer library (and the TLS libraries it brings) is mapped only by a
// process that reports to a service, and then from the start, so that the
// report after a fault loads nothing.
TEST_F(LvCrash, OnlyAProcessThatReportsToAServiceMapsTheTransferLibrary) {
    auto mapsTransferLibrary = [this](bool withService) {
        LoopbackServer server;
        auto store = platform::SettingsStore::Open();
        EXPECT_TRUE(store);
        store->SetString(platform::SettingsScope::Machine, SettingsKey::kKeyPath, "CrashReportURL",
                         withService ? server.Url() : "");
        Child waiting(HelperArgs({"wait", Dir().string()}));
        EXPECT_TRUE(waiting.Started());
        EXPECT_EQ(waiting.ReadLine(), "ready") << waiting.Stderr();
        const std::string maps = ReadFile("/proc/" + std::to_string(waiting.Pid()) + "/maps");
        EXPECT_FALSE(maps.empty());
        kill(waiting.Pid(), SIGKILL);
        waiting.Finish();
        return maps.find("libcurl") != std::string::npos;
    };
    EXPECT_FALSE(mapsTransferLibrary(false));
    EXPECT_TRUE(mapsTransferLibrary(true));
}

} // namespace
