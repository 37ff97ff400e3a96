// OpenGL entry points (through libepoxy), for platform and render code only.
// Everything else talks to the render device instead.
#pragma once

#include <epoxy/gl.h>
