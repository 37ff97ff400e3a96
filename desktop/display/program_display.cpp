// The program's display over the Display of its adapter.
#include "desktop/display/program_display.h"

#include "desktop/display/camera/camera.h"
#include "desktop/display/host_window.h"
#include "desktop/display/textures/texture_manager.h"
#include "desktop/scene/world/model_library.h"
#include "platform/clock.h"
#include "platform/window.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <string_view>

namespace lumivane {

namespace {

// Frames are not drawn more often than this: the desktop animates at idle
// priority and leaves the processor to the user's programs.
constexpr uint32_t kShortestFrameMs = 16;
constexpr int kDesktopBitsPerPixel = 32;
constexpr size_t kBitmapHeaderBytes = 40;

uint32_t U32At(const std::vector<uint8_t>& bytes, size_t at) {
    return uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16 |
           uint32_t(bytes[at + 3]) << 24;
}

} // namespace

platform::image::Image PictureOfBitmap(const std::vector<uint8_t>& bitmap) {
    if (bitmap.size() < kBitmapHeaderBytes || U32At(bitmap, 0) != kBitmapHeaderBytes) return {};
    const uint32_t width = U32At(bitmap, 4), height = U32At(bitmap, 8);
    if (width == 0 || height == 0 || width > uint32_t(platform::image::kMaxImageSide) ||
        height > uint32_t(platform::image::kMaxImageSide) || bitmap[14] != 24)
        return {};
    const size_t row = (size_t(width) * 3 + 3) / 4 * 4;
    if (bitmap.size() < kBitmapHeaderBytes + row * height) return {};
    platform::image::Image picture =
        platform::image::MakeImage(platform::image::PixelFormat::R8G8B8, int(width), int(height));
    for (uint32_t y = 0; y < height; ++y)
        std::copy_n(bitmap.data() + kBitmapHeaderBytes + size_t(height - 1 - y) * row,
                    size_t(width) * 3, picture.pixels.data() + size_t(y) * width * 3);
    return picture;
}

void DriverVersionNumbers(std::string_view text, uint32_t out[4]) {
    std::string_view chosen;
    for (size_t at = 0; at < text.size();) {
        if (!std::isdigit(static_cast<unsigned char>(text[at]))) {
            ++at;
            continue;
        }
        size_t end = at;
        while (end < text.size() &&
               (std::isdigit(static_cast<unsigned char>(text[end])) || text[end] == '.'))
            ++end;
        const std::string_view group = text.substr(at, end - at);
        if (group.find('.') != std::string_view::npos || chosen.empty()) chosen = group;
        at = end;
    }
    int index = 0;
    uint64_t value = 0;
    bool inNumber = false;
    for (char c : chosen) {
        if (c == '.') {
            if (inNumber && index < 4) out[index++] = uint32_t(value);
            value = 0;
            inNumber = false;
            continue;
        }
        value = std::min<uint64_t>(value * 10 + uint64_t(c - '0'), UINT32_MAX);
        inNumber = true;
    }
    if (inNumber && index < 4) out[index++] = uint32_t(value);
    for (; index < 4; ++index)
        out[index] = 0;
}

int VertexRotationModeFor(const Display& display) {
    if (display.Dot3()) return 1;
    return display.EnvironmentBump() ? 2 : 0;
}

CrashAdapterInfo CrashAdapterInfoFor(const Display& display) {
    CrashAdapterInfo info;
    if (const AdapterRecord* adapter = display.Adapter()) {
        info.description = adapter->description;
        info.driver = adapter->driverName;
        info.deviceName = adapter->identifier.description;
        info.driverName = adapter->identifier.driverFile;
        DriverVersionNumbers(adapter->identifier.version, info.version);
    }
    platform::ScreenMode mode;
    if (platform::PrimaryScreenMode(mode) && mode.width > 0 && mode.height > 0) {
        info.width = mode.width;
        info.height = mode.height;
        info.bitsPerPixel = mode.bitsPerPixel;
    } else {
        info.width = display.OutputWidth();
        info.height = display.OutputHeight();
        info.bitsPerPixel = kDesktopBitsPerPixel;
    }
    return info;
}

ProgramDisplay::ProgramDisplay(std::unique_ptr<DisplayHost> host, ProgramDisplayOptions options)
    : host_(std::move(host)), options_(std::move(options)) {
    if (!gpTextureManager) {
        ownTextures_ = std::make_unique<TextureManager>();
        ownTextures_->SetDataRoot(options_.display.dataRoot);
        ownTextures_->SetScriptConfig(options_.script);
        // Textures that cannot load join the model library's list of
        // missing files; restoring shows the bar once the models are there.
        ownTextures_->reportMissing = [](int32_t kind, std::string_view path,
                                         std::string_view group) {
            if (ModelLibrary* library = GetModelLibrary())
                library->AddMissingFile(kind, path, group);
        };
        ownTextures_->modelsLoaded = [this] { return host_->ModelsLoaded(); };
        gpTextureManager = ownTextures_.get();
        SetTextureSource(ownTextures_.get());
    }
    SetVertexBufferSink(&sharedVertices_);
    // The model library reads the switch when it builds the shared buffer.
    GetDisplayState().vertexBuffer = options_.vertexBuffers;
    adapters_ = std::make_unique<AdapterList>(*host_);
    gpAdapterList = adapters_.get();
    display_ = adapters_->FindDisplay(options_.adapter);
    if (display_) {
        display_->SetOptions(options_.display);
        // The program's display draws through the camera controller; the
        // scene link then hands it to the scene engine.
        display_->SetCamera(std::make_unique<Camera>());
        // Its frames draw the head-up display, the command interface and
        // the particle systems.
        display_->SetFrameHooks(&frameHooks_);
        sceneLink_ = std::make_unique<DisplaySceneLink>(*display_);
    }
}

ProgramDisplay::~ProgramDisplay() {
    if (&GetDisplaySwitches() == &loadSwitches_) SetDisplaySwitches(nullptr);
    SetCrashAdapterInfo(nullptr);
    if (GetVertexBufferSink() == &sharedVertices_) SetVertexBufferSink(nullptr);
    sceneLink_.reset();
    if (display_) display_->SetFrameHooks(nullptr);
    // The device goes before the window it draws into.
    if (display_) display_->Release();
    adapters_.reset();
    foreignWindow_.reset();
    if (ownTextures_ && gpTextureManager == ownTextures_.get()) {
        SetTextureSource(nullptr);
        gpTextureManager = nullptr;
    }
}

bool ProgramDisplay::SharedVertices::Upload(std::span<const Vertex> vertices) {
    return owner_.display_ &&
           owner_.display_->UploadSharedVertices(vertices.data(), vertices.size());
}

void ProgramDisplay::SharedVertices::Release() {
    if (owner_.display_) owner_.display_->ReleaseSharedVertices();
}

TextureManager* ProgramDisplay::Textures() const {
    return gpTextureManager;
}

platform::Window* ProgramDisplay::WindowFor(HostWindow& host) {
    if (platform::Window* own = host.OwnWindow()) return own;
    if (!foreignWindow_ || foreignId_ != host.Handle()) {
        foreignWindow_.reset();
        platform::WindowDesc desc;
        desc.title = "Lumivane";
        std::string error;
        foreignWindow_ = platform::Window::CreateFromNative(host.Handle(), desc, &error);
        foreignId_ = foreignWindow_ ? host.Handle() : 0;
    }
    return foreignWindow_.get();
}

bool ProgramDisplay::TexturesForDevice() {
    TextureManager* textures = Textures();
    if (!textures) return true;
    if (!texturesStarted_) {
        texturesStarted_ = textures->Init(*display_);
        return texturesStarted_;
    }
    host_->RebuildSharedVertices();
    return textures->Restore(*display_);
}

void ProgramDisplay::PublishDeviceFacts() {
    // Models loaded from now on carry the rotations the bump pass turns the
    // light with.
    loadSwitches_.vertexRotationMode = VertexRotationModeFor(*display_);
    SetDisplaySwitches(&loadSwitches_);
    const CrashAdapterInfo adapter = CrashAdapterInfoFor(*display_);
    SetCrashAdapterInfo(&adapter);
}

bool ProgramDisplay::Create(HostWindow& window, int width, int height) {
    if (!display_) return false;
    display_->Release();
    window_ = WindowFor(window);
    width_ = width;
    height_ = height;
    if (!window_ ||
        display_->Create(*window_, false, width, height, kDesktopBitsPerPixel) != D3D_OK)
        return false;
    if (!TexturesForDevice()) {
        display_->Release();
        return false;
    }
    // After the texture manager, which may turn DOT3 off.
    PublishDeviceFacts();
    if (sceneLink_) sceneLink_->PublishShape();
    return true;
}

bool ProgramDisplay::Recreate() {
    if (!display_ || !window_) return false;
    if (display_->Create(*window_, false, width_, height_, kDesktopBitsPerPixel) != D3D_OK)
        return false;
    if (!TexturesForDevice()) {
        display_->Release();
        return false;
    }
    // After the texture manager, which may turn DOT3 off.
    PublishDeviceFacts();
    if (sceneLink_) sceneLink_->PublishShape();
    return true;
}

void ProgramDisplay::ReleaseDevice() {
    if (display_) display_->Release();
}

bool ProgramDisplay::HasDevice() const {
    return display_ && display_->HasDevice();
}

bool ProgramDisplay::FollowForeignWindowSize() {
    if (!foreignWindow_ || window_ != foreignWindow_.get()) return true;
    int width = 0, height = 0;
    window_->DrawableSize(width, height);
    if (width <= 0 || height <= 0 || (width == width_ && height == height_)) return true;
    // The host resized its window: what is sized by it is made anew, the
    // whole display when that does not do.
    width_ = width;
    height_ = height;
    if (display_->Resize(width, height) != D3D_OK) return Recreate();
    if (sceneLink_) sceneLink_->PublishShape();
    return true;
}

void ProgramDisplay::PresentFrame() {
    if (!HasDevice()) return;
    if (!FollowForeignWindowSize()) {
        // The main loop's resume path makes it again on later passes.
        resizeFailed_ = true;
        return;
    }
    display_->PresentFrame();

    const uint32_t spent = platform::TickCount() - lastFrameMs_;
    if (spent < kShortestFrameMs) host_->Sleep(kShortestFrameMs - spent);
    lastFrameMs_ = platform::TickCount();
}

void ProgramDisplay::SkipFrames(int count) {
    if (display_) display_->SkipFrames(count);
}

platform::image::Image ProgramDisplay::CaptureFrame() {
    return display_ ? PictureOfBitmap(display_->CaptureFrame()) : platform::image::Image{};
}

void ProgramDisplay::PaintStill(const platform::image::Image& picture) {
    if (display_) display_->PaintPicture(picture);
}

void ProgramDisplay::ShowLoadScreen() {
    if (display_) display_->ShowLoadScreen();
}

void ProgramDisplay::DrawProgress(float fraction) {
    if (display_) display_->DrawProgress(fraction);
}

bool ProgramDisplay::TakeDeviceLost() {
    const bool lost = display_ && display_->TakeDeviceLost();
    const bool resizeFailed = resizeFailed_;
    resizeFailed_ = false;
    return lost || resizeFailed;
}

bool ProgramDisplay::HandleEvent(const platform::Event& event) {
    return display_ && display_->HandleEvent(event);
}

} // namespace lumivane
