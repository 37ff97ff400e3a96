// OpenGL 3.3 core contexts through SDL; entry points come from libepoxy,
// which follows whichever context (GLX or EGL) is current.
#include "platform/gl_context.h"

#include "platform/gl.h"
#include "platform/window_internal.h"

namespace platform {

struct GlContext::Impl {
    SDL_Window* window = nullptr;
    SDL_GLContext context = nullptr;
};

GlContext::GlContext(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

GlContext::~GlContext() {
    if (impl_->context) {
        if (SDL_GL_GetCurrentContext() == impl_->context)
            SDL_GL_MakeCurrent(impl_->window, nullptr);
        SDL_GL_DeleteContext(impl_->context);
    }
}

std::unique_ptr<GlContext> GlContext::Create(Window& window, std::string* error) {
    auto impl = std::make_unique<Impl>();
    impl->window = window.GetImpl().window;
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    impl->context = SDL_GL_CreateContext(impl->window);
    if (!impl->context) {
        if (error)
            *error =
                std::string("an OpenGL 3.3 core context could not be created: ") + SDL_GetError();
        return nullptr;
    }
    // Refuse anything older than asked for, rather than failing at the first draw.
    if (epoxy_gl_version() < 33 || epoxy_is_desktop_gl() == 0) {
        if (error)
            *error = "OpenGL 3.3 is not available (got " + std::to_string(epoxy_gl_version()) + ")";
        SDL_GL_MakeCurrent(impl->window, nullptr);
        SDL_GL_DeleteContext(impl->context);
        return nullptr;
    }
    return std::unique_ptr<GlContext>(new GlContext(std::move(impl)));
}

bool GlContext::MakeCurrent(std::string* error) {
    if (SDL_GL_MakeCurrent(impl_->window, impl_->context) != 0) {
        if (error)
            *error = std::string("the OpenGL context could not be made current: ") + SDL_GetError();
        return false;
    }
    return true;
}

bool GlContext::IsCurrent() const {
    return SDL_GL_GetCurrentContext() == impl_->context;
}

bool GlContext::SetSwapInterval(int interval) {
    return SDL_GL_SetSwapInterval(interval) == 0;
}

namespace {

std::string GlString(GLenum name) {
    const GLubyte* text = glGetString(name);
    return text ? reinterpret_cast<const char*>(text) : "";
}

} // namespace

std::string GlContext::Vendor() const {
    return GlString(GL_VENDOR);
}

std::string GlContext::Renderer() const {
    return GlString(GL_RENDERER);
}

std::string GlContext::Version() const {
    return GlString(GL_VERSION);
}

int GlContext::Samples() const {
    int samples = 0;
    if (SDL_GL_GetAttribute(SDL_GL_MULTISAMPLESAMPLES, &samples) != 0) return 0;
    return samples;
}

} // namespace platform
