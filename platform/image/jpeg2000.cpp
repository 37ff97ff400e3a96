// OpenJPEG glue: memory streams in both directions, quiet message handlers,
// and the step from OpenJPEG's component planes to our BGRA pictures.
#include "platform/image/jpeg2000.h"

#include "platform/image/image_error.h"

#include <openjpeg.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>

namespace platform::image {

namespace {

constexpr uint8_t kJp2Signature[12] = {0, 0, 0, 0x0C, 'j', 'P', ' ', ' ', 0x0D, 0x0A, 0x87, 0x0A};
constexpr uint8_t kCodeStreamStart[4] = {0xFF, 0x4F, 0xFF, 0x51};
constexpr int kMaxComponents = 4;
constexpr uint32_t kMaxPrecision = 16;

// The library's messages, kept for the error text instead of printed.
struct Messages {
    std::string first;
    static void Keep(const char* text, void* user) {
        auto* self = static_cast<Messages*>(user);
        if (!self->first.empty() || !text) return;
        self->first = text;
        while (!self->first.empty() && (self->first.back() == '\n' || self->first.back() == ' '))
            self->first.pop_back();
    }
    static void Ignore(const char*, void*) {}
};

void QuietHandlers(opj_codec_t* codec, Messages& messages) {
    opj_set_error_handler(codec, Messages::Keep, &messages);
    opj_set_warning_handler(codec, Messages::Ignore, nullptr);
    opj_set_info_handler(codec, Messages::Ignore, nullptr);
}

struct CodecDeleter {
    void operator()(opj_codec_t* codec) const { opj_destroy_codec(codec); }
};
struct StreamDeleter {
    void operator()(opj_stream_t* stream) const { opj_stream_destroy(stream); }
};
struct ImageDeleter {
    void operator()(opj_image_t* image) const { opj_image_destroy(image); }
};
using CodecPtr = std::unique_ptr<opj_codec_t, CodecDeleter>;
using StreamPtr = std::unique_ptr<opj_stream_t, StreamDeleter>;
using ImagePtr = std::unique_ptr<opj_image_t, ImageDeleter>;

// ---- reading from memory

struct MemoryInput {
    std::span<const uint8_t> bytes;
    size_t position = 0;
};

OPJ_SIZE_T ReadInput(void* buffer, OPJ_SIZE_T count, void* user) {
    auto* in = static_cast<MemoryInput*>(user);
    if (in->position >= in->bytes.size()) return OPJ_SIZE_T(-1);
    const size_t n = std::min<size_t>(count, in->bytes.size() - in->position);
    std::memcpy(buffer, in->bytes.data() + in->position, n);
    in->position += n;
    return n;
}

OPJ_OFF_T SkipInput(OPJ_OFF_T count, void* user) {
    auto* in = static_cast<MemoryInput*>(user);
    if (count < 0) {
        const size_t back = std::min<size_t>(in->position, size_t(-count));
        in->position -= back;
        return -OPJ_OFF_T(back);
    }
    const size_t forward = std::min<size_t>(in->bytes.size() - in->position, size_t(count));
    in->position += forward;
    return OPJ_OFF_T(forward);
}

OPJ_BOOL SeekInput(OPJ_OFF_T position, void* user) {
    auto* in = static_cast<MemoryInput*>(user);
    if (position < 0 || uint64_t(position) > in->bytes.size()) return OPJ_FALSE;
    in->position = size_t(position);
    return OPJ_TRUE;
}

StreamPtr MakeInputStream(MemoryInput& input) {
    StreamPtr stream(opj_stream_create(OPJ_J2K_STREAM_CHUNK_SIZE, OPJ_TRUE));
    if (!stream) return nullptr;
    opj_stream_set_read_function(stream.get(), ReadInput);
    opj_stream_set_skip_function(stream.get(), SkipInput);
    opj_stream_set_seek_function(stream.get(), SeekInput);
    opj_stream_set_user_data(stream.get(), &input, nullptr);
    opj_stream_set_user_data_length(stream.get(), input.bytes.size());
    return stream;
}

// ---- writing to memory

struct MemoryOutput {
    std::vector<uint8_t> bytes;
    size_t position = 0;
};

OPJ_SIZE_T WriteOutput(void* buffer, OPJ_SIZE_T count, void* user) {
    auto* out = static_cast<MemoryOutput*>(user);
    if (out->bytes.size() < out->position + count) out->bytes.resize(out->position + count);
    std::memcpy(out->bytes.data() + out->position, buffer, count);
    out->position += count;
    return count;
}

OPJ_OFF_T SkipOutput(OPJ_OFF_T count, void* user) {
    auto* out = static_cast<MemoryOutput*>(user);
    if (count < 0 && size_t(-count) > out->position) return -1;
    out->position = size_t(OPJ_OFF_T(out->position) + count);
    if (out->bytes.size() < out->position) out->bytes.resize(out->position);
    return count;
}

OPJ_BOOL SeekOutput(OPJ_OFF_T position, void* user) {
    auto* out = static_cast<MemoryOutput*>(user);
    if (position < 0) return OPJ_FALSE;
    out->position = size_t(position);
    if (out->bytes.size() < out->position) out->bytes.resize(out->position);
    return OPJ_TRUE;
}

// ---- components to pixels

// A coordinate of the reference grid at a resolution reduced `factor`
// times by half, as the decoder reckons it.
uint32_t Reduced(uint64_t coordinate, uint32_t factor) {
    return uint32_t((coordinate + (uint64_t(1) << factor) - 1) >> factor);
}

// One component's sample for a pixel of the picture as decoded (at its full
// size, or halved `factor` times), brought to 8 bits unsigned.
class ComponentSampler {
public:
    // `factor`: the number of times the picture was halved while decoding.
    ComponentSampler(const opj_image_t& image, const opj_image_comp_t& comp, uint32_t factor)
        : comp_(comp), imageX0_(Reduced(image.x0, factor)), imageY0_(Reduced(image.y0, factor)),
          compX0_(Reduced((uint64_t(image.x0) + comp.dx - 1) / comp.dx, factor)),
          compY0_(Reduced((uint64_t(image.y0) + comp.dy - 1) / comp.dy, factor)),
          maxValue_((int64_t(1) << comp.prec) - 1),
          offset_(comp.sgnd ? int64_t(1) << (comp.prec - 1) : 0) {}

    uint8_t At(uint32_t x, uint32_t y) const {
        // Sample k of a component covers the reference grid from k * dx on;
        // its first sample is number ceil(x0 / dx) (all of it at the
        // resolution decoded).
        const int64_t gridX = int64_t(imageX0_) + x, gridY = int64_t(imageY0_) + y;
        const int64_t col = std::clamp<int64_t>(gridX / comp_.dx - compX0_, 0, comp_.w - 1);
        const int64_t row = std::clamp<int64_t>(gridY / comp_.dy - compY0_, 0, comp_.h - 1);
        int64_t v = int64_t(comp_.data[size_t(row) * comp_.w + size_t(col)]) + offset_;
        v = std::clamp<int64_t>(v, 0, maxValue_);
        return uint8_t((v * 255 + maxValue_ / 2) / maxValue_);
    }

private:
    const opj_image_comp_t& comp_;
    uint32_t imageX0_, imageY0_;
    uint32_t compX0_, compY0_;
    int64_t maxValue_;
    int64_t offset_;
};

uint8_t ClampByte(double v) {
    return uint8_t(std::clamp(std::lround(v), 0L, 255L));
}

bool CheckComponents(const opj_image_t& image, std::string* error) {
    if (image.numcomps < 1 || image.numcomps > kMaxComponents)
        return ImageFail(error, "JPEG-2000 picture has " + std::to_string(image.numcomps) +
                                    " components (1 to 4 are read)");
    for (uint32_t c = 0; c < image.numcomps; ++c) {
        const opj_image_comp_t& comp = image.comps[c];
        if (comp.prec < 1 || comp.prec > kMaxPrecision)
            return ImageFail(error, "JPEG-2000 component has " + std::to_string(comp.prec) +
                                        " bits (1 to 16 are read)");
        if (comp.dx < 1 || comp.dy < 1)
            return ImageFail(error, "JPEG-2000 component has no sampling step");
    }
    if (image.color_space == OPJ_CLRSPC_CMYK || image.color_space == OPJ_CLRSPC_EYCC)
        return ImageFail(error, "JPEG-2000 colour space is not read (grey, RGB or YCbCr only)");
    return true;
}

bool ComponentsDecoded(const opj_image_t& image) {
    for (uint32_t c = 0; c < image.numcomps; ++c)
        if (!image.comps[c].data || image.comps[c].w == 0 || image.comps[c].h == 0) return false;
    return true;
}

// Whether three colour components are luma and chroma: said so by the file,
// or (a bare code stream says nothing) guessed from chroma sampled more
// coarsely than luma, which RGB pictures never are.
bool IsLumaChroma(const opj_image_t& image) {
    if (image.numcomps < 3) return false;
    if (image.color_space == OPJ_CLRSPC_SYCC) return true;
    const opj_image_comp_t* c = image.comps;
    return image.color_space == OPJ_CLRSPC_UNSPECIFIED && c[0].dx == 1 && c[0].dy == 1 &&
           (c[1].dx > 1 || c[1].dy > 1 || c[2].dx > 1 || c[2].dy > 1);
}

Image ToBgra(const opj_image_t& image, int width, int height, uint32_t factor) {
    const uint32_t n = image.numcomps;
    const bool hasAlpha = n == 2 || n == 4;
    const bool colour = n >= 3;
    const bool ycc = IsLumaChroma(image);
    std::vector<ComponentSampler> samplers;
    for (uint32_t c = 0; c < n; ++c)
        samplers.emplace_back(image, image.comps[c], factor);

    Image out = MakeImage(hasAlpha ? PixelFormat::A8R8G8B8 : PixelFormat::X8R8G8B8, width, height);
    uint8_t* p = out.pixels.data();
    for (uint32_t y = 0; y < uint32_t(height); ++y)
        for (uint32_t x = 0; x < uint32_t(width); ++x, p += 4) {
            uint8_t r, g, b;
            if (!colour) {
                r = g = b = samplers[0].At(x, y);
            } else if (ycc) {
                const double luma = samplers[0].At(x, y);
                const double cb = samplers[1].At(x, y) - 128.0;
                const double cr = samplers[2].At(x, y) - 128.0;
                r = ClampByte(luma + 1.402 * cr);
                g = ClampByte(luma - 0.344136 * cb - 0.714136 * cr);
                b = ClampByte(luma + 1.772 * cb);
            } else {
                r = samplers[0].At(x, y);
                g = samplers[1].At(x, y);
                b = samplers[2].At(x, y);
            }
            p[0] = b;
            p[1] = g;
            p[2] = r;
            p[3] = hasAlpha ? samplers[n - 1].At(x, y) : 255;
        }
    return out;
}

// ---- the code stream's size marker, read before the decoder sees the file

// The smallest tile-part: an SOT marker segment (12 bytes) and SOD (2).
// Every tile has at least one, so a stream holds at most its length / 14
// tiles.
constexpr uint64_t kSmallestTilePart = 14;
// Tile numbers are 16 bits wide.
constexpr uint64_t kMostTiles = 65535;
constexpr uint32_t kJp2CodeStreamBox = 0x6A703263; // "jp2c"

uint32_t BigEndian(std::span<const uint8_t> bytes, size_t at, int width) {
    uint32_t value = 0;
    for (int i = 0; i < width; ++i)
        value = value << 8 | bytes[at + size_t(i)];
    return value;
}

// The code stream inside a JP2 file: the contents of its top-level "jp2c"
// box. Empty when there is none.
std::span<const uint8_t> CodeStreamOfJp2(std::span<const uint8_t> bytes) {
    size_t at = 0;
    while (bytes.size() - at >= 8) {
        uint64_t length = BigEndian(bytes, at, 4);
        const uint32_t type = BigEndian(bytes, at + 4, 4);
        size_t header = 8;
        if (length == 1) { // a 64-bit length follows the type
            if (bytes.size() - at < 16) return {};
            length = uint64_t(BigEndian(bytes, at + 8, 4)) << 32 | BigEndian(bytes, at + 12, 4);
            header = 16;
        } else if (length == 0) { // the box runs to the end of the file
            length = bytes.size() - at;
        }
        if (length < header || length > bytes.size() - at) return {};
        if (type == kJp2CodeStreamBox) return bytes.subspan(at + header, size_t(length) - header);
        at += size_t(length);
    }
    return {};
}

// Checks the picture's size, components and tiles as the SIZ marker states
// them, against the limits and against what the stream's length can hold:
// the decoder sets up every tile of the header before it reads any data, so
// a few hundred bytes claiming tens of thousands of tiles would cost
// seconds and hundreds of megabytes.
bool CheckSizeMarker(std::span<const uint8_t> stream, int maxSide, std::string* error) {
    constexpr size_t kFixedPart = 4 + 38; // SOC, SIZ marker, Lsiz .. Csiz
    if (stream.size() < kFixedPart || BigEndian(stream, 0, 2) != 0xFF4F ||
        BigEndian(stream, 2, 2) != 0xFF51)
        return ImageFail(error, "JPEG-2000 code stream does not start with its size marker");
    const uint32_t segment = BigEndian(stream, 4, 2);
    const uint32_t right = BigEndian(stream, 8, 4), bottom = BigEndian(stream, 12, 4);
    const uint32_t left = BigEndian(stream, 16, 4), top = BigEndian(stream, 20, 4);
    const uint32_t tileWidth = BigEndian(stream, 24, 4), tileHeight = BigEndian(stream, 28, 4);
    const uint32_t tileLeft = BigEndian(stream, 32, 4), tileTop = BigEndian(stream, 36, 4);
    const uint32_t components = BigEndian(stream, 40, 2);
    if (components < 1 || components > uint32_t(kMaxComponents))
        return ImageFail(error, "JPEG-2000 picture has " + std::to_string(components) +
                                    " components (1 to 4 are read)");
    if (segment != 38 + 3 * components || stream.size() < 4 + size_t(segment))
        return ImageFail(error, "JPEG-2000 size marker is damaged");
    for (uint32_t c = 0; c < components; ++c) {
        const size_t at = kFixedPart + 3 * c;
        if ((stream[at] & 0x7F) + 1u > kMaxPrecision || stream[at + 1] == 0 || stream[at + 2] == 0)
            return ImageFail(error, "JPEG-2000 component " + std::to_string(c) +
                                        " has a precision or sampling step that is not read");
    }
    if (right <= left || bottom <= top) return ImageFail(error, "JPEG-2000 picture has no pixels");
    const uint64_t width = right - left, height = bottom - top;
    if (width > uint64_t(maxSide) || height > uint64_t(maxSide))
        return ImageFail(error, "JPEG-2000 picture is " + std::to_string(width) + " x " +
                                    std::to_string(height) + ", more than " +
                                    std::to_string(maxSide) + " a side");
    if (tileWidth == 0 || tileHeight == 0 || tileLeft > left || tileTop > top ||
        uint64_t(tileLeft) + tileWidth <= left || uint64_t(tileTop) + tileHeight <= top)
        return ImageFail(error, "JPEG-2000 tiles do not cover the picture");
    const uint64_t across = (uint64_t(right) - tileLeft + tileWidth - 1) / tileWidth;
    const uint64_t down = (uint64_t(bottom) - tileTop + tileHeight - 1) / tileHeight;
    const uint64_t tiles = across * down;
    const uint64_t room = (stream.size() - 4 - segment) / kSmallestTilePart;
    if (tiles > kMostTiles || tiles > room)
        return ImageFail(error, "JPEG-2000 picture claims " + std::to_string(tiles) +
                                    " tiles; its " + std::to_string(stream.size()) +
                                    " bytes of code stream hold at most " +
                                    std::to_string(std::min(room, kMostTiles)));
    return true;
}

int ResolutionCount(int width, int height) {
    // Every resolution level halves the picture; the smallest must keep a pixel.
    int levels = 1;
    for (int side = std::min(width, height); side > 1 && levels < 6; side /= 2)
        ++levels;
    return levels;
}

// The smallest number of halvings that brings a picture of the reference
// grid's area x0..x1, y0..y1 within the pixel bound.
uint32_t ReductionFor(const opj_image_t& image) {
    uint32_t factor = 0;
    while (factor < 31 && !WithinPixelBound(Reduced(image.x1, factor) - Reduced(image.x0, factor),
                                            Reduced(image.y1, factor) - Reduced(image.y0, factor)))
        ++factor;
    return factor;
}

// The decode proper, once the size marker has passed.
bool DecodeChecked(std::span<const uint8_t> bytes, Jpeg2000Kind kind, Image& out,
                   std::string* error, int maxSide) {
    CodecPtr codec(
        opj_create_decompress(kind == Jpeg2000Kind::Jp2 ? OPJ_CODEC_JP2 : OPJ_CODEC_J2K));
    if (!codec) return ImageFail(error, "JPEG-2000 decoder cannot be made");
    Messages messages;
    QuietHandlers(codec.get(), messages);
    opj_dparameters_t parameters;
    opj_set_default_decoder_parameters(&parameters);
    if (!opj_setup_decoder(codec.get(), &parameters) ||
        !opj_decoder_set_strict_mode(codec.get(), OPJ_TRUE))
        return ImageFail(error, "JPEG-2000 decoder cannot be set up");
    MemoryInput input{bytes};
    StreamPtr stream = MakeInputStream(input);
    if (!stream) return ImageFail(error, "JPEG-2000 stream cannot be made");

    const auto fail = [&](const std::string& what) {
        return ImageFail(error, messages.first.empty() ? what : what + ": " + messages.first);
    };
    opj_image_t* rawImage = nullptr;
    if (!opj_read_header(stream.get(), codec.get(), &rawImage)) {
        if (rawImage) opj_image_destroy(rawImage);
        return fail("JPEG-2000 header cannot be read");
    }
    ImagePtr image(rawImage);
    const int64_t width = int64_t(image->x1) - image->x0;
    const int64_t height = int64_t(image->y1) - image->y0;
    if (width <= 0 || height <= 0) return ImageFail(error, "JPEG-2000 picture has no pixels");
    if (width > maxSide || height > maxSide)
        return ImageFail(error, "JPEG-2000 picture is " + std::to_string(width) + " x " +
                                    std::to_string(height) + ", more than " +
                                    std::to_string(maxSide) + " a side");
    if (!CheckComponents(*image, error)) return false;
    // A larger picture is decoded at a resolution its stream holds, so that
    // neither the decoder's planes nor ours ever have its full size.
    const uint32_t factor = ReductionFor(*image);
    if (factor > 0 && !opj_set_decoded_resolution_factor(codec.get(), factor))
        return ImageFail(error, "the JPEG-2000 picture is " + std::to_string(width) + " x " +
                                    std::to_string(height) + " pixels, more than the " +
                                    std::to_string(kMaxImagePixels) +
                                    " a picture may have, and its stream holds no resolution "
                                    "small enough (" +
                                    std::to_string(factor) + " halvings needed)");
    if (!opj_decode(codec.get(), stream.get(), image.get()) ||
        !opj_end_decompress(codec.get(), stream.get()))
        return fail("JPEG-2000 picture cannot be decoded");
    if (!ComponentsDecoded(*image)) return fail("JPEG-2000 picture decoded without pixels");
    if (!CheckComponents(*image, error)) return false;
    const int64_t outWidth = int64_t(Reduced(image->x1, factor)) - Reduced(image->x0, factor);
    const int64_t outHeight = int64_t(Reduced(image->y1, factor)) - Reduced(image->y0, factor);
    if (!WithinPixelBound(outWidth, outHeight))
        return ImageTooManyPixels(error, "the JPEG-2000 picture", outWidth, outHeight);
    out = ToBgra(*image, int(outWidth), int(outHeight), factor);
    return true;
}

} // namespace

Jpeg2000Kind SniffJpeg2000(std::span<const uint8_t> bytes) {
    if (bytes.size() >= sizeof kJp2Signature &&
        std::memcmp(bytes.data(), kJp2Signature, sizeof kJp2Signature) == 0)
        return Jpeg2000Kind::Jp2;
    if (bytes.size() >= sizeof kCodeStreamStart &&
        std::memcmp(bytes.data(), kCodeStreamStart, sizeof kCodeStreamStart) == 0)
        return Jpeg2000Kind::CodeStream;
    return Jpeg2000Kind::Unknown;
}

bool DecodeJpeg2000(std::span<const uint8_t> bytes, Image& out, std::string* error, int maxSide) {
    const Jpeg2000Kind kind = SniffJpeg2000(bytes);
    if (kind == Jpeg2000Kind::Unknown)
        return ImageFail(error, "not a JPEG-2000 file (no JP2 signature or code stream start)");
    const std::span<const uint8_t> codeStream =
        kind == Jpeg2000Kind::Jp2 ? CodeStreamOfJp2(bytes) : bytes;
    if (codeStream.empty()) return ImageFail(error, "JP2 file has no code stream");
    if (!CheckSizeMarker(codeStream, maxSide, error)) return false;
    try {
        return DecodeChecked(bytes, kind, out, error, maxSide);
    } catch (const std::bad_alloc&) {
        return ImageOutOfMemory(error, "the JPEG-2000 picture");
    }
}

bool EncodeJpeg2000(const Image& bgra, Jpeg2000Kind kind, std::vector<uint8_t>& out,
                    std::string* error) {
    if (bgra.format != PixelFormat::X8R8G8B8 && bgra.format != PixelFormat::A8R8G8B8)
        return ImageFail(error, std::string("a JPEG-2000 picture cannot be written from ") +
                                    FormatName(bgra.format));
    if (kind == Jpeg2000Kind::Unknown) return ImageFail(error, "no JPEG-2000 kind given");
    if (bgra.width <= 0 || bgra.height <= 0 ||
        bgra.pixels.size() != LevelSize(bgra.format, bgra.width, bgra.height))
        return ImageFail(error, "picture size does not match its pixels");
    const int components = bgra.format == PixelFormat::A8R8G8B8 ? 4 : 3;
    const uint32_t w = uint32_t(bgra.width), h = uint32_t(bgra.height);

    opj_image_cmptparm_t componentParameters[4];
    std::memset(componentParameters, 0, sizeof componentParameters);
    for (int c = 0; c < components; ++c) {
        componentParameters[c].dx = componentParameters[c].dy = 1;
        componentParameters[c].w = w;
        componentParameters[c].h = h;
        componentParameters[c].prec = 8;
        componentParameters[c].sgnd = 0;
    }
    ImagePtr image(opj_image_create(uint32_t(components), componentParameters, OPJ_CLRSPC_SRGB));
    if (!image) return ImageFail(error, "JPEG-2000 picture cannot be made");
    image->x0 = image->y0 = 0;
    image->x1 = w;
    image->y1 = h;
    if (components == 4) image->comps[3].alpha = 1;
    static constexpr int kByteOfComponent[4] = {2, 1, 0, 3}; // R, G, B, A in BGRA
    for (int c = 0; c < components; ++c)
        for (size_t i = 0; i < size_t(w) * h; ++i)
            image->comps[c].data[i] = bgra.pixels[i * 4 + size_t(kByteOfComponent[c])];

    opj_cparameters_t parameters;
    opj_set_default_encoder_parameters(&parameters);
    parameters.tcp_numlayers = 1;
    parameters.tcp_rates[0] = 0; // lossless
    parameters.cp_disto_alloc = 1;
    parameters.irreversible = 0;
    parameters.tcp_mct = 1;
    parameters.numresolution = ResolutionCount(bgra.width, bgra.height);

    CodecPtr codec(opj_create_compress(kind == Jpeg2000Kind::Jp2 ? OPJ_CODEC_JP2 : OPJ_CODEC_J2K));
    if (!codec) return ImageFail(error, "JPEG-2000 encoder cannot be made");
    Messages messages;
    QuietHandlers(codec.get(), messages);
    MemoryOutput output;
    StreamPtr stream(opj_stream_create(OPJ_J2K_STREAM_CHUNK_SIZE, OPJ_FALSE));
    if (!stream) return ImageFail(error, "JPEG-2000 stream cannot be made");
    opj_stream_set_write_function(stream.get(), WriteOutput);
    opj_stream_set_skip_function(stream.get(), SkipOutput);
    opj_stream_set_seek_function(stream.get(), SeekOutput);
    opj_stream_set_user_data(stream.get(), &output, nullptr);
    if (!opj_setup_encoder(codec.get(), &parameters, image.get()) ||
        !opj_start_compress(codec.get(), image.get(), stream.get()) ||
        !opj_encode(codec.get(), stream.get()) || !opj_end_compress(codec.get(), stream.get()))
        return ImageFail(error, "JPEG-2000 picture cannot be encoded" +
                                    (messages.first.empty() ? "" : ": " + messages.first));
    stream.reset();
    out = std::move(output.bytes);
    return true;
}

} // namespace platform::image
