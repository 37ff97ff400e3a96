// The recording backend: draws nothing, keeps every clear, draw and present
// with the device state of the moment, so tests can check what a frame
// would have drawn without a GL context.
#include "platform/render/backend.h"

#include "platform/render/format_info.h"

#include <cstring>

namespace platform::render {

namespace {

class RecordingBackend : public Backend {
public:
    bool Reset(const PresentParams&, int, int, int samples, std::string*) override {
        samples_ = samples;
        return true;
    }
    int BackBufferSamples() const override { return samples_; }

    void Clear(const DeviceState& state, uint32_t flags, D3DCOLOR color, float z,
               uint32_t stencil) override {
        recording_.clears.push_back(RecordedClear{flags, color, z, stencil, state.viewport});
    }

    void Draw(const DeviceState& state, const DrawCall& call) override {
        RecordedDraw draw;
        draw.type = call.type;
        draw.primCount = call.primCount;
        draw.vertexCount = call.vertexCount;
        draw.indexed = call.indexed;
        draw.fromUserMemory = call.userVertices != nullptr;
        draw.state = state;
        if (call.userVertices) {
            const uint32_t vertices =
                call.indexed ? call.minIndex + call.numVertices : call.vertexCount;
            const auto* bytes = static_cast<const uint8_t*>(call.userVertices);
            draw.userVertices.assign(bytes, bytes + size_t(vertices) * call.userStride);
        }
        draw.clearsBefore = int(recording_.clears.size());
        draw.presentsBefore = recording_.presents;
        recording_.draws.push_back(std::move(draw));
    }

    void EndScene() override { ++recording_.scenes; }
    void Present() override { ++recording_.presents; }

    bool ReadFrontBuffer(std::vector<uint32_t>&, int&, int&) override { return false; }
    int TakeErrors(std::string*) override { return 0; }
    bool SupportsFormat(D3DFORMAT format) const override { return IsTextureFormat(format); }

    void InitBuffer(Buffer&) override {}
    void UpdateBuffer(Buffer&) override {}
    void ReleaseBuffer(Buffer&) override {}
    void InitTexture(BaseTexture& texture) override {
        auto& levels = recording_.textureTexels[&texture];
        levels.assign(size_t(texture.FaceCount() * texture.LevelCount()), {});
        for (int face = 0; face < texture.FaceCount(); ++face)
            for (int level = 0; level < texture.LevelCount(); ++level)
                UpdateTexture(texture, face, level);
    }
    void UpdateTexture(BaseTexture& texture, int face, int level) override {
        auto found = recording_.textureTexels.find(&texture);
        if (found == recording_.textureTexels.end()) return;
        const size_t index = size_t(face * texture.LevelCount() + level);
        if (index < found->second.size()) found->second[index] = texture.LevelData(face, level);
    }
    void ReleaseTexture(BaseTexture& texture) override { recording_.textureTexels.erase(&texture); }
    void InitSurface(Surface&) override {}
    void ReleaseSurface(Surface&) override {}
    bool InitProgram(Program&, std::string*) override { return true; }
    void ReleaseProgram(Program&) override {}

    bool StretchRect(Surface& source, const D3DRECT& from, Surface& target, const D3DRECT& to,
                     bool linear) override {
        recording_.blits.push_back(RecordedBlit{&source, from, &target, to, linear, 0});
        return true;
    }
    bool ColorFill(Surface& target, const D3DRECT& rect, D3DCOLOR color) override {
        recording_.blits.push_back(RecordedBlit{nullptr, {}, &target, rect, false, color});
        return true;
    }
    bool ShowOnWindow(Surface&) override {
        ++recording_.primaryShows;
        return true;
    }
    bool ReadSurface(Surface&, std::vector<uint32_t>&) override { return false; }
    DeviceCaps GetCaps() const override { return recording_.caps; }
    AdapterIdentifier GetAdapterIdentifier() const override { return recording_.identifier; }
    bool SurfacesLost() const override { return recording_.surfacesLost; }

    const Recording* GetRecording() const override { return &recording_; }
    Recording* GetRecording() override { return &recording_; }

private:
    Recording recording_;
    int samples_ = 0;
};

} // namespace

std::unique_ptr<Backend> CreateRecordingBackend() {
    return std::make_unique<RecordingBackend>();
}

} // namespace platform::render
