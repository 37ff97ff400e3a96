// Capturing the last frame as a 24-bit device-independent bitmap: the
// still picture the paused desktop shows.
#include "desktop/display/device/display.h"

#include "platform/render/device.h"

namespace lumivane {

namespace {

constexpr size_t kDibHeaderBytes = 40;

void PutU32(std::vector<uint8_t>& out, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out[at + size_t(i)] = uint8_t(value >> (8 * i));
}

void PutU16(std::vector<uint8_t>& out, size_t at, uint16_t value) {
    out[at] = uint8_t(value);
    out[at + 1] = uint8_t(value >> 8);
}

} // namespace

std::vector<uint8_t> Display::CaptureFrame() {
    if (!device_) return {};
    std::vector<uint32_t> argb;
    int width = 0, height = 0;
    if (!device_->ReadSurface(LastFrameSurface(), argb, width, height) || width <= 0 || height <= 0)
        return {};
    const size_t rowBytes = size_t((width * 3 - 1) / 4 * 4 + 4);
    std::vector<uint8_t> dib(kDibHeaderBytes + rowBytes * size_t(height), 0);
    PutU32(dib, 0, uint32_t(kDibHeaderBytes));
    PutU32(dib, 4, uint32_t(width));
    PutU32(dib, 8, uint32_t(height)); // positive: rows bottom-up
    PutU16(dib, 12, 1);               // planes
    PutU16(dib, 14, 24);              // bits per pixel; no compression
    for (int y = 0; y < height; ++y) {
        const uint32_t* source = argb.data() + size_t(height - 1 - y) * size_t(width);
        uint8_t* row = dib.data() + kDibHeaderBytes + size_t(y) * rowBytes;
        for (int x = 0; x < width; ++x) {
            const uint32_t pixel = source[x];
            row[x * 3 + 0] = uint8_t(pixel);       // blue
            row[x * 3 + 1] = uint8_t(pixel >> 8);  // green
            row[x * 3 + 2] = uint8_t(pixel >> 16); // red
        }
    }
    return dib;
}

} // namespace lumivane
