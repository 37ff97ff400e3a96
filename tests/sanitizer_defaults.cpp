// Defaults of the sanitizers for the test programs of the sanitizer build.
// The software GL driver keeps thread-local data in libraries it loads on
// its own; the leak checker misreads those dynamic thread-local blocks at
// exit and crashes instead of reporting. Tracking them is turned off (the
// threads' static thread-local data is still scanned for leaks).
extern "C" const char* __asan_default_options() {
    return "intercept_tls_get_addr=0";
}
