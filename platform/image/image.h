// Pictures in plain byte buffers: the pixel formats both engines use, one
// picture level (`Image`) and a texture's set of levels and faces
// (`TextureImage`). Pixel bytes keep the Direct3D memory layouts so that DDS
// files, the rendering device and the engines agree without conversion.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform::image {

constexpr uint32_t MakeFourCC(char a, char b, char c, char d) {
    return uint32_t(uint8_t(a)) | uint32_t(uint8_t(b)) << 8 | uint32_t(uint8_t(c)) << 16 |
           uint32_t(uint8_t(d)) << 24;
}

// The numbers are Direct3D's, so a device that speaks D3DFORMAT can cast.
// Byte order in memory, per pixel: R8G8B8 = B, G, R; A8R8G8B8 and X8R8G8B8 =
// B, G, R, A; the 16-bit formats are little-endian words with red highest.
enum class PixelFormat : uint32_t {
    Unknown = 0,
    R8G8B8 = 20,
    A8R8G8B8 = 21,
    X8R8G8B8 = 22,
    R5G6B5 = 23,
    X1R5G5B5 = 24,
    A1R5G5B5 = 25,
    A4R4G4B4 = 26,
    X4R4G4B4 = 30,
    // Bump offsets: two signed bytes per texel, du then dv. Data, not
    // colour: the converters refuse it.
    V8U8 = 60,
    DXT1 = MakeFourCC('D', 'X', 'T', '1'),
    DXT2 = MakeFourCC('D', 'X', 'T', '2'),
    DXT3 = MakeFourCC('D', 'X', 'T', '3'),
    DXT4 = MakeFourCC('D', 'X', 'T', '4'),
    DXT5 = MakeFourCC('D', 'X', 'T', '5'),
};

// No picture side may exceed this: a header claiming more is refused before
// anything is allocated.
constexpr int kMaxImageSide = 16384;

// No picture may have more pixels than this once decoded, and no texture
// made from one more than this on its largest level: 4096 x 4096, 64 times
// the largest picture either engine ships (512 x 512), at a cost that the
// whole way from file to texture (decoding, stretching, mip levels, DXT,
// the cache file, the device's copy) keeps well below a gigabyte. A few
// hundred bytes may claim a picture of 16384 x 16384; without this bound
// it would be decoded whole. Readers that decode at a smaller scale for
// little cost (JPEG, JPEG-2000) reduce a larger picture while decoding it;
// the others refuse it from its header. A cube map counts its six faces.
constexpr int64_t kMaxImagePixels = int64_t(4096) * 4096;

// No picture file is read when it is larger than this: 16 bytes for each
// pixel the bound allows, more than any file of a picture within it holds
// (uncompressed 32-bit pixels with a full mip chain, or run-length packets
// of one pixel each, take at most 5).
constexpr uint64_t kMaxPictureFileBytes = uint64_t(kMaxImagePixels) * 16;

// Whether a picture of that size stays within kMaxImagePixels.
constexpr bool WithinPixelBound(int64_t width, int64_t height, int64_t faces = 1) {
    return width > 0 && height > 0 && faces > 0 && width <= kMaxImagePixels &&
           height <= kMaxImagePixels / width / faces;
}

bool IsCompressed(PixelFormat format);
bool HasAlphaChannel(PixelFormat format);
// Bits of one pixel for the uncompressed formats; 0 for DXT and Unknown.
int BitsPerPixel(PixelFormat format);
// Bytes of one row (for DXT: one row of 4 x 4 blocks); 0 for Unknown.
size_t RowPitch(PixelFormat format, int width);
// Rows of the level as stored (for DXT: block rows).
int StoredRows(PixelFormat format, int height);
// Bytes of a whole level of that size; 0 for Unknown or a non-positive side.
size_t LevelSize(PixelFormat format, int width, int height);
// "A8R8G8B8", "DXT5", ...; "XXX" for anything else.
const char* FormatName(PixelFormat format);

// One picture level: rows top first, packed with no padding.
struct Image {
    PixelFormat format = PixelFormat::Unknown;
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;

    bool Empty() const { return pixels.empty(); }
};

// A zero-filled picture of that format and size.
Image MakeImage(PixelFormat format, int width, int height);

// Levels of a texture: one face, or six for a cube map in the order +X, -X,
// +Y, -Y, +Z, -Z; each face has mipCount levels, largest first.
struct TextureImage {
    PixelFormat format = PixelFormat::Unknown;
    int width = 0;
    int height = 0;
    int mipCount = 1;
    bool cube = false;
    std::vector<Image> levels; // face-major: face f, level m at f * mipCount + m

    int FaceCount() const { return cube ? 6 : 1; }
    const Image& Level(int face, int mip) const { return levels[size_t(face * mipCount + mip)]; }
    Image& Level(int face, int mip) { return levels[size_t(face * mipCount + mip)]; }
};

// Number of levels down to 1 x 1 for a picture of that size.
int FullMipCount(int width, int height);
// The side of level `mip` of a side `size` (never below 1).
int MipSide(int size, int mip);

// The smallest power of two not below `size` (1 for sizes below 1).
int NextPowerOfTwo(int size);

} // namespace platform::image
