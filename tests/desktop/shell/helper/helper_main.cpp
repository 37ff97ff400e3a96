// Helper program for the Lumivane shell tests, run as a second process:
//   event-set <name>                       sets the auto-reset event and ends
//   event-set-manual <name>                sets the manual-reset event and ends
//   event-set-after <name> <ms>            waits, then sets the auto-reset event
//   event-hold <name> <manual> <initial>   makes the event, prints "ready", waits
//   publish                                makes the desktop program's named
//                                          objects, prints "ready", waits
//   settings-string <user|machine> <name> <text>
//   settings-dword <user|machine> <name> <value>
//   registry-open <langfile>               opens the program's settings key
//   fatal <langfile>                       opens the key, then the fatal box
//   crash <folder> [langfile]              runs in <folder> with the log and the
//                                          crash reporter set up from the
//                                          settings, then reads address 0
//   overflow <folder>, divide <folder>     the same, then runs out of stack or
//                                          divides by zero
//   wait <folder>                          the same, then prints "ready" and
//                                          waits for a signal
// Holding commands wait until their standard input closes or they are killed.
#include "desktop/shell/crash/crash_handler.h"
#include "desktop/shell/desktop_objects.h"
#include "desktop/shell/language_table.h"
#include "desktop/shell/log.h"
#include "desktop/shell/message_boxes.h"
#include "desktop/shell/registry.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

using namespace lumivane;

namespace {

void HoldUntilStdinCloses() {
    std::printf("ready\n");
    std::fflush(stdout);
    char c;
    while (read(0, &c, 1) > 0) {
    }
}

KeyRoot RootOf(const char* text) {
    return std::strcmp(text, "machine") == 0 ? KeyRoot::Machine : KeyRoot::User;
}

int SetEvent(const char* name, bool manual) {
    std::string error;
    auto event = platform::NamedEvent::Create(name, manual, false, &error);
    if (!event) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 2;
    }
    event->Set();
    return 0;
}

void LoadLanguage(const char* path) {
    static LanguageTable table;
    table.Load(path, LanguageTable::kColumn1);
    gpLanguageTable = &table;
}

// Reading address 0 through a pointer the compiler cannot see through; the
// sanitizers are kept out so the fault is the processor's own.
__attribute__((no_sanitize("address", "undefined"))) int ReadAddressZero() {
    static volatile uintptr_t address = 0;
    return *reinterpret_cast<volatile int*>(address);
}

// Deeper than any stack: the bound only keeps the compiler from calling the
// recursion endless.
__attribute__((noinline, no_sanitize("address", "undefined"))) int Recurse(volatile char* previous,
                                                                           long depth) {
    static volatile long limit = 1L << 40;
    volatile char frame[1024];
    frame[0] = char(previous ? previous[0] + 1 : 0);
    if (depth >= limit) return frame[0];
    return Recurse(frame, depth + 1) + frame[1];
}

__attribute__((no_sanitize("undefined"))) int DivideByZero() {
    // Both operands unknown: 1 / x needs no division instruction at all.
    static volatile int numerator = 7, zero = 0;
    return numerator / zero;
}

int Crash(const char* folder, const char* languageFile, const std::string& how) {
    if (chdir(folder) != 0) return 2;
    if (languageFile) LoadLanguage(languageFile);
    static Registry registry;
    registry.Open();
    gpRegistry = &registry;
    SetLogEnabled(registry.Read(values::kLogging) != 0);
    CrashReportSettings settings;
    settings.build = registry.Read(values::kBuild);
    settings.reportUrl = registry.Read(values::kCrashReportUrl);
    InstallCrashReporter(settings);
    Log("Starting hwnd=%x", 0x1a2b);
    if (how == "wait") {
        std::printf("ready\n");
        std::fflush(stdout);
        for (;;)
            pause();
    }
    if (how == "overflow") return Recurse(nullptr, 0);
    if (how == "divide") return DivideByZero();
    return ReadAddressZero();
}

} // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "event-set" && argc == 3) return SetEvent(argv[2], false);
    if (command == "event-set-manual" && argc == 3) return SetEvent(argv[2], true);
    if (command == "event-set-after" && argc == 4) {
        auto event = platform::NamedEvent::Create(argv[2], false, false);
        if (!event) return 2;
        std::printf("ready\n");
        std::fflush(stdout);
        std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(argv[3])));
        event->Set();
        return 0;
    }
    if (command == "event-hold" && argc == 5) {
        auto event =
            platform::NamedEvent::Create(argv[2], std::atoi(argv[3]) != 0, std::atoi(argv[4]) != 0);
        if (!event) return 2;
        HoldUntilStdinCloses();
        return 0;
    }
    if (command == "publish") {
        std::string error;
        auto objects = DesktopObjects::Create(&error);
        if (!objects) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return 2;
        }
        HoldUntilStdinCloses();
        return 0;
    }
    if ((command == "settings-string" || command == "settings-dword") && argc == 5) {
        MenuKey key;
        key.Open();
        const bool ok = command == "settings-string"
                            ? key.SetString(argv[3], argv[4], RootOf(argv[2]))
                            : key.SetDword(argv[3], uint32_t(std::strtoul(argv[4], nullptr, 10)),
                                           RootOf(argv[2]));
        return ok ? 0 : 2;
    }
    if (command == "registry-open" && argc == 3) {
        LoadLanguage(argv[2]);
        Registry registry;
        registry.Open();
        return 0;
    }
    if (command == "fatal" && argc == 3) {
        LoadLanguage(argv[2]);
        static Registry registry;
        registry.Open();
        gpRegistry = &registry;
        ShowFatalError("The scene cannot go on.", "scenes\\broken.mis");
    }
    if (command == "crash" && (argc == 3 || argc == 4))
        return Crash(argv[2], argc == 4 ? argv[3] : nullptr, command);
    if ((command == "overflow" || command == "divide" || command == "wait") && argc == 3)
        return Crash(argv[2], nullptr, command);
    std::fprintf(stderr, "usage: lumivane_shell_test_helper <command> ...\n");
    return 64;
}
