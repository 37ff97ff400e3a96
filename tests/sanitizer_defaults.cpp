// Defaults of the sanitizers for the test programs of the sanitizer build.
// The software GL driver keeps thread-local data in libraries it loads on
// its own; the leak checker misreads those dynamic thread-local blocks at
// exit and crashes instead of reporting. Tracking them is turned off (the
// threads' static thread-local data is still scanned for leaks).
extern "C" const char* __asan_default_options() {
    return "intercept_tls_get_addr=0";
}

// The X11 video driver opens the session bus through libdbus, which keeps a
// block it never frees (as tests/desktop/display/x11_leaks.supp says for the
// programs the tests start): a test that opens X11 windows in its own process
// would end with a leak error for it.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libdbus-1.so\n";
}
