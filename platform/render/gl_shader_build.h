// Building GL programs for the device: the shared first lines every shader
// gets (version, attribute numbers, the clip-space and alpha-test helpers),
// compiling and linking with the driver's messages on failure.
#pragma once

#include "platform/gl.h"

#include <string>

namespace platform::render {

// Null (0) with the compiler's or linker's messages when it does not build.
GLuint BuildProgram(const std::string& vertexBody, const std::string& fragmentBody,
                    std::string* error);

} // namespace platform::render
