// JTTexture: a named sequence of frames, one file each.
#include "Jentra/JTTexture.h"

#include "Jentra/render/texture_source.h"

#include <cstring>
#include <filesystem>

namespace {

bool FileExists(const char* name) {
    std::error_code ec;
    return std::filesystem::is_regular_file(jentra::textures::TexturePath(name), ec);
}

} // namespace

JTTexture::JTTexture() {
    name[0] = '\0';
}

JTTexture::~JTTexture() {
    DeleteFrames();
}

void JTTexture::DeleteFrames() {
    for (int i = 0; i < frames.GetCount(); ++i)
        delete frames[i];
    frames = JTArray<JTTextureFrame*>(4);
}

void JTTexture::SetName(const char* newName) {
    CopyTextureName(name, newName);
}

JTTextureFrame* JTTexture::GetFrame(int i) const {
    return i >= 0 && i < frames.GetCount() ? frames[i] : nullptr;
}

platform::render::Texture* JTTexture::GetD3DTexture(int i) const {
    JTTextureFrame* frame = GetFrame(i);
    return frame ? frame->GetD3DTexture() : nullptr;
}

bool JTTexture::Load(JTDisplay* display, const char* fileName, const char*) {
    SetName(fileName);
    hasAlpha = false;
    DeleteFrames();
    bool ok = true;
    if (IsTextureAnimated(name)) {
        char frameName[kJTTextureNameSize];
        CopyTextureName(frameName, name);
        if (!FileExists(frameName)) return false;
        do {
            auto* frame = new JTTextureFrame;
            frames.Add(frame);
            if (!frame->Load(display, frameName, true)) {
                ok = false;
                break;
            }
        } while (GetNextAnimatedTextureFilename(frameName) && FileExists(frameName));
    } else {
        auto* frame = new JTTextureFrame;
        frames.Add(frame);
        ok = frame->Load(display, name, true);
    }
    for (int i = 0; i < frames.GetCount(); ++i)
        hasAlpha = hasAlpha || frames[i]->HasAlpha();
    return ok;
}

bool JTTexture::Save(JTDisplay* display, const char* fileName) {
    if (frames.GetCount() == 0) return false;
    if (frames.GetCount() < 2) return frames[0]->Save(display, fileName);
    char frameName[kJTTextureNameSize];
    if (IsTextureAnimated(fileName)) {
        CopyTextureName(frameName, fileName);
    } else {
        // "0000" goes before the extension (or at the end).
        const char* dot = std::strrchr(fileName, '.');
        const size_t stem = dot ? size_t(dot - fileName) : std::strlen(fileName);
        const size_t rest = std::strlen(fileName) - stem;
        if (stem + 4 + rest >= kJTTextureNameSize) return false;
        std::memcpy(frameName, fileName, stem);
        std::memcpy(frameName + stem, "0000", 4);
        std::memcpy(frameName + stem + 4, fileName + stem, rest + 1);
    }
    for (int i = 0; i < frames.GetCount(); ++i) {
        if (!frames[i]->Save(display, frameName)) return false;
        if (i + 1 < frames.GetCount() && !GetNextAnimatedTextureFilename(frameName)) return false;
    }
    return true;
}

bool JTTexture::CreateFrames(JTDisplay* display, int width, int height, D3DFORMAT format, bool mips,
                             unsigned long usage, int count) {
    bool ok = true;
    for (int i = 0; i < count; ++i) {
        auto* frame = new JTTextureFrame;
        frames.Add(frame);
        ok = frame->CreateD3DTexture(display, width, height, format, mips, usage) && ok;
        hasAlpha = hasAlpha || frame->HasAlpha();
    }
    return ok;
}

void JTTexture::CreateMIPLevels(JTDisplay* display) {
    for (int i = 0; i < frames.GetCount(); ++i)
        frames[i]->CreateMIPLevels(display);
}
