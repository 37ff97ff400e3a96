// Message boxes for the engine, headless form: the box is written to stderr
// and the first (safe) answer is taken.
#include "Jentra/core/errors/error_box.h"

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace jentra {

BoxAnswer ShowBox(const char* caption, const char* text, BoxButtons buttons, BoxIcon) {
    std::fprintf(stderr, "[%s] %s\n", caption ? caption : "", text ? text : "");
    std::fflush(stderr);
    switch (buttons) {
    case BoxButtons::Ok:
    case BoxButtons::OkCancel:
        return BoxAnswer::Ok;
    case BoxButtons::AbortRetryIgnore:
        return BoxAnswer::Ignore;
    case BoxButtons::YesNo:
        return BoxAnswer::No;
    }
    return BoxAnswer::Ok;
}

void EndProcess(int status) {
    std::fflush(nullptr);
    _exit(status);
}

} // namespace jentra
