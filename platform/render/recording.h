// What the recording device saw: every clear, draw and present in order,
// each draw with the whole device state it was made in. Tests read it to
// check what would have been drawn, without a GL context.
#pragma once

#include "platform/render/device_caps.h"
#include "platform/render/device_state.h"

#include <cstdint>
#include <map>
#include <vector>

namespace platform::render {

struct RecordedClear {
    uint32_t flags = 0;
    D3DCOLOR color = 0;
    float z = 1.0f;
    uint32_t stencil = 0;
    D3DVIEWPORT8 viewport{};
};

struct RecordedDraw {
    D3DPRIMITIVETYPE type = D3DPT_TRIANGLELIST;
    uint32_t primCount = 0;
    uint32_t vertexCount = 0;
    bool indexed = false;
    bool fromUserMemory = false;
    DeviceState state;
    // The vertices of a draw from the caller's memory, as given.
    std::vector<uint8_t> userVertices;
    // Index of the clear and of the present that came before this draw.
    int clearsBefore = 0;
    int presentsBefore = 0;
};

// A copy between surfaces, or a fill (source null).
struct RecordedBlit {
    const Surface* source = nullptr;
    D3DRECT from{};
    const Surface* target = nullptr;
    D3DRECT to{};
    bool linear = false;
    D3DCOLOR fillColor = 0;
};

struct Recording {
    std::vector<RecordedClear> clears;
    std::vector<RecordedDraw> draws;
    std::vector<RecordedBlit> blits; // copies and fills in order
    int presents = 0;
    int scenes = 0;       // completed BeginScene / EndScene pairs
    int primaryShows = 0; // ShowPrimary calls that reached the window

    // The texels the device was last given for each level of each texture
    // (face * levels + level), as a device keeps them once the program's
    // copy may be gone; dropped with the texture.
    std::map<const BaseTexture*, std::vector<std::vector<uint8_t>>> textureTexels;
    const std::vector<uint8_t>& TexelsOf(const BaseTexture* texture, size_t index) const {
        static const std::vector<uint8_t> none;
        const auto found = textureTexels.find(texture);
        return found == textureTexels.end() || index >= found->second.size() ? none
                                                                             : found->second[index];
    }

    // What the recording device says of itself; tests change them before
    // asking.
    DeviceCaps caps = DefaultDeviceCaps();
    AdapterIdentifier identifier{"recording", "Recording device", "1.0"};
    // Set: the surfaces on the window are lost from now on.
    bool surfacesLost = false;

    void Forget() {
        clears.clear();
        draws.clear();
        blits.clear();
        presents = 0;
        scenes = 0;
        primaryShows = 0;
    }
};

} // namespace platform::render
