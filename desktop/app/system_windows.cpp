// The real window system: foreign windows through X11 queries, own windows
// through the platform's SDL windows.
#include "desktop/app/window_system.h"

#include "platform/display_session.h"
#include "platform/gl_context.h"
#include "platform/pixel_window.h"
#include "platform/window.h"
#include "platform/x11_shared_pointer.h"
#include "platform/x11_visibility.h"
#include "platform/x11_windows.h"

namespace lumivane {

namespace {

class ForeignWindow : public HostWindow {
public:
    explicit ForeignWindow(uint64_t id) : id_(id) {}
    uint64_t Handle() const override { return id_; }
    bool Exists() override {
        platform::ForeignWindowState state;
        return platform::QueryX11Window(id_, state);
    }
    bool ClientSize(int& width, int& height) override {
        platform::ForeignWindowState state;
        if (!platform::QueryX11Window(id_, state)) return false;
        width = state.width;
        height = state.height;
        return true;
    }
    bool IsCovered() override {
        platform::ForeignWindowState state;
        if (!platform::QueryX11Window(id_, state) || !state.viewable) return true;
        // Mapped, but maybe behind windows that hide all of it (a maximised
        // application over the desktop). Asked of X once; from then on X
        // tells us of every change.
        if (!visibilityTried_) {
            visibilityTried_ = true;
            visibility_ = platform::WindowVisibility::Open(id_);
        }
        return visibility_ && visibility_->FullyCovered();
    }
    void SharedPointerEvents(std::vector<platform::Event>& out) override {
        // Opened with the first poll, once: a window that cannot be read
        // (no X server, gone) is not asked again.
        if (!pointerTried_) {
            pointerTried_ = true;
            pointer_ = platform::SharedPointer::Open(id_);
        }
        if (pointer_) pointer_->Poll(out);
    }

private:
    uint64_t id_;
    bool pointerTried_ = false;
    std::unique_ptr<platform::SharedPointer> pointer_;
    bool visibilityTried_ = false;
    std::unique_ptr<platform::WindowVisibility> visibility_;
};

// One of the program's own windows, with an optional black backdrop behind it.
class ProgramWindow : public HostWindow {
public:
    ProgramWindow(std::unique_ptr<platform::Window> window,
                  std::unique_ptr<platform::PixelWindow> backdrop)
        : window_(std::move(window)), backdrop_(std::move(backdrop)) {}
    uint64_t Handle() const override { return window_->Id(); }
    bool Exists() override { return true; }
    bool ClientSize(int& width, int& height) override {
        width = window_->Width();
        height = window_->Height();
        return true;
    }
    bool IsCovered() override { return !window_->IsVisible() || window_->IsMinimized(); }
    platform::Window* OwnWindow() override { return window_.get(); }

private:
    std::unique_ptr<platform::Window> window_;
    std::unique_ptr<platform::PixelWindow> backdrop_;
};

class SystemWindows : public WindowSystem {
public:
    bool OpenDisplay(std::string* error) override { return platform::CanOpenXDisplay(error); }

    std::unique_ptr<HostWindow> Foreign(uint64_t id) override {
        return std::make_unique<ForeignWindow>(id);
    }

    std::unique_ptr<HostWindow> OpenScreensaverWindows(const std::string& title) override {
        platform::ScreenRect all, primary;
        if (!platform::VirtualScreenBounds(all) || !platform::PrimaryScreenBounds(primary))
            return nullptr;
        // The backdrop blacks out every screen but the primary one.
        platform::PixelWindowDesc backdropDesc;
        backdropDesc.title = title;
        backdropDesc.x = all.x;
        backdropDesc.y = all.y;
        backdropDesc.width = all.width;
        backdropDesc.height = all.height;
        backdropDesc.topMost = true;
        backdropDesc.borderless = true;
        auto backdrop = platform::PixelWindow::Create(backdropDesc);
        if (backdrop)
            backdrop->Present(platform::image::MakeImage(platform::image::PixelFormat::X8R8G8B8,
                                                         all.width, all.height));
        platform::WindowDesc desc;
        desc.title = title;
        desc.x = primary.x;
        desc.y = primary.y;
        desc.width = primary.width;
        desc.height = primary.height;
        desc.borderless = true;
        desc.alwaysOnTop = true;
        auto window = platform::Window::Create(desc);
        if (!window) return nullptr;
        return std::make_unique<ProgramWindow>(std::move(window), std::move(backdrop));
    }

    std::unique_ptr<HostWindow> OpenStandInHost(const std::string& title, int width,
                                                int height) override {
        platform::WindowDesc desc;
        desc.title = title;
        desc.width = width;
        desc.height = height;
        auto window = platform::Window::Create(desc);
        if (!window) return nullptr;
        // The scene draws its own, animated arrow where the pointer is: the
        // system's is hidden over the window, so only one shows.
        platform::ShowMouseCursor(false);
        return std::make_unique<ProgramWindow>(std::move(window), nullptr);
    }

    bool DesktopSize(int& width, int& height) override {
        platform::ScreenRect primary;
        if (!platform::PrimaryScreenBounds(primary)) return false;
        width = primary.width;
        height = primary.height;
        return true;
    }

    bool ProbeGraphics(std::string* error) override {
        platform::WindowDesc desc;
        desc.title = "probe";
        desc.width = desc.height = 16;
        desc.hidden = true;
        auto window = platform::Window::Create(desc, error);
        return window && platform::GlContext::Create(*window, error) != nullptr;
    }
};

} // namespace

std::unique_ptr<WindowSystem> CreateSystemWindows() {
    return std::make_unique<SystemWindows>();
}

} // namespace lumivane
