// An OpenGL 3.3 core context on a Window. GL entry points are reached only
// through platform/gl.h, which platform and render code include.
#pragma once

#include <memory>
#include <string>

namespace platform {

class Window;

class GlContext {
public:
    // Creates a 3.3 core context for the window and makes it current. The
    // context must be destroyed before its window.
    static std::unique_ptr<GlContext> Create(Window& window, std::string* error = nullptr);
    ~GlContext();
    GlContext(const GlContext&) = delete;
    GlContext& operator=(const GlContext&) = delete;

    bool MakeCurrent(std::string* error = nullptr);
    // Whether this context is the calling thread's current one.
    bool IsCurrent() const;
    // 0 = present at once, 1 = wait for the vertical blank, -1 = adaptive.
    bool SetSwapInterval(int interval);
    // The driver's strings.
    std::string Vendor() const;
    std::string Renderer() const;
    std::string Version() const;
    // The multisample count the framebuffer really has.
    int Samples() const;

    struct Impl;

private:
    explicit GlContext(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

} // namespace platform
