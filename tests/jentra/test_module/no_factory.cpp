// A shared library that is no plug-in module: it lacks the factory.
extern "C" __attribute__((visibility("default"))) int TestNoFactoryAnswer() {
    return 42;
}
