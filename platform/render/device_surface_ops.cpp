// The device's work for the older engine generation: capabilities and
// enumerations, the texture budget, the window's primary surface, copies
// and fills between surfaces, and reading pixels back.
#include "platform/render/device.h"

#include "platform/render/backend.h"
#include "platform/render/format_info.h"
#include "platform/window.h"

#include <algorithm>

namespace platform::render {

namespace {

// The formats a texture can be asked for, in the order the older device
// enumerated them: 16-bit first, then 32, 24, luminance and bump, then DXT.
constexpr D3DFORMAT kEnumeratedTextureFormats[] = {
    D3DFMT_R5G6B5,   D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5, D3DFMT_A4R4G4B4, D3DFMT_X4R4G4B4,
    D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R8G8B8,   D3DFMT_L8,       D3DFMT_A8L8,
    D3DFMT_A8,       D3DFMT_V8U8,     D3DFMT_DXT1,     D3DFMT_DXT3,     D3DFMT_DXT5,
};

bool IsColorSurface(const Surface& surface) {
    return !surface.IsDepth();
}

bool RectInside(const D3DRECT& r, const Surface& surface) {
    return r.x1 >= 0 && r.y1 >= 0 && r.x1 < r.x2 && r.y1 < r.y2 && r.x2 <= surface.Width() &&
           r.y2 <= surface.Height();
}

D3DRECT Whole(const Surface& surface) {
    return D3DRECT{0, 0, surface.Width(), surface.Height()};
}

} // namespace

bool Device::FitsTextureBudget(D3DFORMAT format, int width, int height, int levels, int faces,
                               D3DPOOL pool) const {
    if (textureBudget_ == 0 || pool == D3DPOOL_SYSTEMMEM) return true;
    uint64_t bytes = 0;
    for (int l = 0; l < levels; ++l)
        bytes += FormatLevelSize(format, std::max(1, width >> l), std::max(1, height >> l));
    bytes *= uint64_t(faces);
    return link_->textureBytes + bytes <= textureBudget_;
}

uint64_t Device::TextureMemoryUsed() const {
    return link_->textureBytes;
}

uint64_t Device::AvailableTextureMemory() const {
    if (textureBudget_ == 0) return UINT64_MAX;
    return textureBudget_ > link_->textureBytes ? textureBudget_ - link_->textureBytes : 0;
}

DeviceCaps Device::GetCaps() const {
    return backend_->GetCaps();
}

AdapterIdentifier Device::GetAdapterIdentifier() const {
    return backend_->GetAdapterIdentifier();
}

std::vector<TextureFormatDesc> Device::EnumTextureFormats() const {
    std::vector<TextureFormatDesc> formats;
    for (D3DFORMAT format : kEnumeratedTextureFormats) {
        TextureFormatDesc desc;
        if (SupportsFormat(format) && DescribeTextureFormat(format, desc)) formats.push_back(desc);
    }
    return formats;
}

std::vector<D3DFORMAT> Device::EnumDepthFormats() const {
    return {D3DFMT_D32, D3DFMT_D24S8, D3DFMT_D24X8, D3DFMT_D16};
}

int32_t Device::ValidateDevice(uint32_t* passes) const {
    const int32_t result = ValidateStages(state_, backend_->GetCaps());
    if (passes) *passes = result == D3D_OK ? 1 : 0;
    return result;
}

Surface* Device::GetPrimarySurface() {
    int width = 0, height = 0;
    window_.DrawableSize(width, height);
    width = std::max(width, 1);
    height = std::max(height, 1);
    if (!primary_ || primary_->Width() != width || primary_->Height() != height) {
        primary_.reset();
        primary_ = std::make_unique<Surface>(link_, Surface::Kind::RenderTarget, width, height,
                                             D3DFMT_X8R8G8B8, 0);
        backend_->InitSurface(*primary_);
        // A new window picture starts black, as an empty window shows.
        const D3DRECT all = Whole(*primary_);
        backend_->ColorFill(*primary_, all, 0xFF000000u);
    }
    return primary_.get();
}

int32_t Device::StretchRect(Surface* source, const D3DRECT* from, Surface* target,
                            const D3DRECT* to, D3DTEXTUREFILTERTYPE filter) {
    if (!source || !target || source == target || !IsColorSurface(*source) ||
        !IsColorSurface(*target) || source->Samples() > 1 || target->Samples() > 1)
        return D3DERR_INVALIDCALL;
    const D3DRECT src = from ? *from : Whole(*source);
    const D3DRECT dst = to ? *to : Whole(*target);
    if (!RectInside(src, *source) || !RectInside(dst, *target)) return D3DERR_INVALIDCALL;
    // A texture level is read as it was last unlocked; only render-target
    // textures can be drawn into.
    if (target->GetKind() == Surface::Kind::TextureLevel && !target->Texture()->IsRenderTarget())
        return D3DERR_INVALIDCALL;
    if (backend_->SurfacesLost()) return D3DERR_SURFACELOST;
    if (!backend_->StretchRect(*source, src, *target, dst, filter >= D3DTEXF_LINEAR))
        return D3DERR_INVALIDCALL;
    return D3D_OK;
}

int32_t Device::ColorFill(Surface* target, const D3DRECT* rect, D3DCOLOR color) {
    if (!target || !IsColorSurface(*target) || target->Samples() > 1) return D3DERR_INVALIDCALL;
    const D3DRECT r = rect ? *rect : Whole(*target);
    if (!RectInside(r, *target)) return D3DERR_INVALIDCALL;
    if (target->GetKind() == Surface::Kind::TextureLevel && !target->Texture()->IsRenderTarget())
        return D3DERR_INVALIDCALL;
    if (backend_->SurfacesLost()) return D3DERR_SURFACELOST;
    return backend_->ColorFill(*target, r, color) ? D3D_OK : D3DERR_INVALIDCALL;
}

int32_t Device::ShowPrimary() {
    if (backend_->SurfacesLost()) return D3DERR_SURFACELOST;
    Surface* primary = GetPrimarySurface();
    return backend_->ShowOnWindow(*primary) ? D3D_OK : D3DERR_INVALIDCALL;
}

int32_t Device::ShowBackBuffer() {
    if (backend_->SurfacesLost()) return D3DERR_SURFACELOST;
    Surface* primary = GetPrimarySurface();
    if (!backend_->ExchangeWithBackBuffer(*primary)) {
        const bool sameSize =
            primary->Width() == backBuffer_->Width() && primary->Height() == backBuffer_->Height();
        const int32_t hr = StretchRect(backBuffer_.get(), nullptr, primary, nullptr,
                                       sameSize ? D3DTEXF_POINT : D3DTEXF_LINEAR);
        if (hr != D3D_OK) return hr;
    }
    return backend_->ShowOnWindow(*primary) ? D3D_OK : D3DERR_INVALIDCALL;
}

bool Device::ReadSurface(Surface* surface, std::vector<uint32_t>& argb, int& width, int& height) {
    if (!surface || !IsColorSurface(*surface)) return false;
    if (!backend_->ReadSurface(*surface, argb)) return false;
    width = surface->Width();
    height = surface->Height();
    return true;
}

bool Device::SurfacesLost() const {
    return backend_->SurfacesLost();
}

} // namespace platform::render
