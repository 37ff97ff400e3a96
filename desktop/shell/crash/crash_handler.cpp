// The fatal-signal handler and the reporter thread.
#include "desktop/shell/crash/crash_handler.h"

#include "desktop/shell/crash/crash_info.h"
#include "platform/http_get.h"
#include "platform/named/exit_release.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <ucontext.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <mutex>
#include <thread>

namespace lumivane {

namespace {

constexpr int kFatalSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL};
constexpr size_t kAlternateStackSize = 64 * 1024;
// How long the faulting thread waits for the report.
constexpr int kReportWaitMs = 8000;
// A fault this close to the stack pointer is taken for running out of stack.
constexpr uint64_t kStackOverflowReach = 64 * 1024;
constexpr int kMaxLabels = 16;

struct ThreadLabel {
    std::atomic<pid_t> tid{0};
    char label[CrashInfo::kLabelSize];
};

ThreadLabel gLabels[kMaxLabels];
std::atomic<int> gLabelCount{0};

// Made before any fault; the handler only fills them.
CrashInfo gInfo;
int gWakePipe[2] = {-1, -1};
int gDonePipe[2] = {-1, -1};
int gProbePipe[2] = {-1, -1};
std::atomic<pid_t> gReporterTid{0};
std::atomic<bool> gHandling{false};
std::once_flag gStarted;

pid_t CurrentTid() {
    return pid_t(syscall(SYS_gettid));
}

void CopyLabel(char* target, const char* label) {
    size_t i = 0;
    for (; label && label[i] && i + 1 < size_t(CrashInfo::kLabelSize); ++i)
        target[i] = label[i];
    target[i] = '\0';
}

// Signal-safe: write(2) of an unreadable address fails with EFAULT.
bool ReadByte(uint64_t address, uint8_t& byte) {
    if (write(gProbePipe[1], reinterpret_cast<const void*>(address), 1) != 1) return false;
    return read(gProbePipe[0], &byte, 1) == 1;
}

uint16_t CurrentSelector(int which) {
    uint16_t value = 0;
#if defined(__x86_64__)
    if (which == 0) asm volatile("mov %%ss, %0" : "=r"(value));
    if (which == 1) asm volatile("mov %%ds, %0" : "=r"(value));
    if (which == 2) asm volatile("mov %%es, %0" : "=r"(value));
#else
    (void)which;
#endif
    return value;
}

void Capture(int signal, const siginfo_t* info, const void* context) {
    CrashInfo& c = gInfo;
    c.signal = signal;
    c.code = ExceptionCodeForSignal(signal, info ? info->si_code : 0);
    const uint64_t faultAddress = info ? uint64_t(reinterpret_cast<uintptr_t>(info->si_addr)) : 0;
    CrashRegisters& r = c.registers;
    r = CrashRegisters{};
    uint64_t errorCode = 0;
#if defined(__x86_64__)
    if (context) {
        const greg_t* g = static_cast<const ucontext_t*>(context)->uc_mcontext.gregs;
        r.eax = uint64_t(g[REG_RAX]);
        r.ebx = uint64_t(g[REG_RBX]);
        r.ecx = uint64_t(g[REG_RCX]);
        r.edx = uint64_t(g[REG_RDX]);
        r.esi = uint64_t(g[REG_RSI]);
        r.edi = uint64_t(g[REG_RDI]);
        r.ebp = uint64_t(g[REG_RBP]);
        r.esp = uint64_t(g[REG_RSP]);
        r.eip = uint64_t(g[REG_RIP]);
        r.eflags = uint64_t(g[REG_EFL]);
        // cs, gs, fs and (since Linux 4.6) ss, 16 bits each.
        const uint64_t segments = uint64_t(g[REG_CSGSFS]);
        r.cs = uint16_t(segments);
        r.gs = uint16_t(segments >> 16);
        r.fs = uint16_t(segments >> 32);
        r.ss = uint16_t(segments >> 48);
        errorCode = uint64_t(g[REG_ERR]);
    }
#else
    (void)context;
#endif
    if (r.ss == 0) r.ss = CurrentSelector(0);
    r.ds = CurrentSelector(1);
    r.es = CurrentSelector(2);

    c.hasAccess = false;
    c.isWrite = false;
    c.accessAddress = 0;
    // A signal that a process sent (si_code SI_USER, SI_QUEUE, SI_TKILL and
    // the like, all at most 0) carries the sender's process id where a
    // fault carries its address: there is no faulting access to tell of.
    c.sent = info && info->si_code <= 0;
    c.senderPid = c.sent ? int32_t(info->si_pid) : 0;
    if (c.code == exception_codes::kAccessViolation && !c.sent) {
        const uint64_t distance =
            faultAddress > r.esp ? faultAddress - r.esp : r.esp - faultAddress;
        if (r.esp != 0 && distance < kStackOverflowReach) {
            c.code = exception_codes::kStackOverflow;
        } else {
            c.hasAccess = true;
            c.isWrite = (errorCode & 2) != 0; // page-fault error code: bit 1 = write
            c.accessAddress = faultAddress;
        }
    }

    c.codeBytesRead = 0;
    for (int i = 0; i < CrashInfo::kCodeBytes; ++i) {
        c.codeBytes[i] = 0;
        if (ReadByte(r.eip + uint64_t(i), c.codeBytes[i])) c.codeBytesRead |= uint16_t(1u << i);
    }

    const pid_t tid = CurrentTid();
    CopyLabel(c.threadLabel, "Unknown thread");
    const int count = gLabelCount.load();
    for (int i = 0; i < count && i < kMaxLabels; ++i) {
        if (gLabels[i].tid.load() == tid) {
            CopyLabel(c.threadLabel, gLabels[i].label);
            break;
        }
    }
}

// Waits for the reporter's word, at most kReportWaitMs. Signal-safe.
void AwaitReport() {
    timespec start{}, now{};
    clock_gettime(CLOCK_MONOTONIC, &start);
    for (;;) {
        clock_gettime(CLOCK_MONOTONIC, &now);
        const long elapsed =
            long(now.tv_sec - start.tv_sec) * 1000 + (now.tv_nsec - start.tv_nsec) / 1000000;
        if (elapsed >= kReportWaitMs) return;
        pollfd done{gDonePipe[0], POLLIN, 0};
        const int ready = poll(&done, 1, int(kReportWaitMs - elapsed));
        if (ready > 0 || (ready < 0 && errno != EINTR)) return;
    }
}

// The default action ends the process once the handler returns.
void RaiseWithDefaultAction(int signal) {
    struct sigaction standard {};
    standard.sa_handler = SIG_DFL;
    sigemptyset(&standard.sa_mask);
    sigaction(signal, &standard, nullptr);
    raise(signal);
}

void OnFatalSignal(int signal, siginfo_t* info, void* context) {
    const int savedErrno = errno;
    // A second fault while a report is made, or one in the reporter
    // itself, is not reported again.
    if (!gHandling.exchange(true) && CurrentTid() != gReporterTid.load()) {
        Capture(signal, info, context);
        const char wake = 1;
        if (write(gWakePipe[1], &wake, 1) == 1) AwaitReport();
        // The named objects outlive the process unless it removes them.
        platform::ReleaseNamedObjectsAtExit();
    }
    RaiseWithDefaultAction(signal);
    errno = savedErrno;
}

void ReporterLoop() {
    gReporterTid = CurrentTid();
    for (;;) {
        char wake = 0;
        const ssize_t got = read(gWakePipe[0], &wake, 1);
        if (got == 1) break;
        if (got < 0 && errno == EINTR) continue;
        return;
    }
    ReportCrash(gInfo, gInfo.threadLabel);
    const char done = 1;
    [[maybe_unused]] ssize_t written = write(gDonePipe[1], &done, 1);
}

// Unless the thread has one already (sanitizers give threads their own).
void GiveThreadAnAlternateStack() {
    stack_t current{};
    if (sigaltstack(nullptr, &current) == 0 && !(current.ss_flags & SS_DISABLE)) return;
    void* memory = mmap(nullptr, kAlternateStackSize, PROT_READ | PROT_WRITE,
                        MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED) return;
    stack_t stack{};
    stack.ss_sp = memory;
    stack.ss_size = kAlternateStackSize;
    if (sigaltstack(&stack, nullptr) != 0) munmap(memory, kAlternateStackSize);
}

bool StartReporter() {
    if (pipe2(gWakePipe, O_CLOEXEC) != 0 || pipe2(gDonePipe, O_CLOEXEC) != 0 ||
        pipe2(gProbePipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return false;
    // The reporter is born with the fatal signals blocked: one that another
    // process sends then goes to a thread that can wait for the report,
    // never to the reporter (which would wait for itself), not even before
    // it first runs. A fault of its own still ends the process: the kernel
    // forces a synchronous fault through the mask.
    sigset_t fatal, previous;
    sigemptyset(&fatal);
    for (int signal : kFatalSignals)
        sigaddset(&fatal, signal);
    pthread_sigmask(SIG_BLOCK, &fatal, &previous);
    std::thread(ReporterLoop).detach();
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    struct sigaction action {};
    action.sa_sigaction = OnFatalSignal;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (int signal : kFatalSignals)
        sigaction(signal, &action, nullptr);
    return true;
}

} // namespace

void NameCrashThread(const char* label) {
    const pid_t tid = CurrentTid();
    const int count = gLabelCount.load();
    for (int i = 0; i < count && i < kMaxLabels; ++i) {
        if (gLabels[i].tid.load() == tid) {
            CopyLabel(gLabels[i].label, label);
            return;
        }
    }
    const int slot = gLabelCount.fetch_add(1);
    if (slot >= kMaxLabels) return;
    CopyLabel(gLabels[slot].label, label);
    gLabels[slot].tid.store(tid);
}

void InstallCrashReporter(const CrashReportSettings& settings, const char* threadLabel) {
    SetCrashReportSettings(settings);
    // Only a process that reports to a service maps the transfer library,
    // and it does so now, while it is well.
    if (!settings.reportUrl.empty()) platform::HttpGlobalInit();
    std::call_once(gStarted, [] { StartReporter(); });
    GiveThreadAnAlternateStack();
    NameCrashThread(threadLabel);
}

} // namespace lumivane
