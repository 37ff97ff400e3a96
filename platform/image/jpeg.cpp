// libjpeg glue. libjpeg reports fatal errors through a callback that must not
// return, so it jumps back to the call with longjmp; everything the jump
// crosses lives in the state records below, declared before setjmp.
#include "platform/image/jpeg.h"

#include "platform/image/image_error.h"

#include <algorithm>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>
#include <jpeglib.h>
#include <jerror.h>

namespace platform::image {

namespace {

struct ErrorTrap {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void OnFatalError(j_common_ptr info) {
    auto* trap = reinterpret_cast<ErrorTrap*>(info->err);
    (*info->err->format_message)(info, trap->message);
    std::longjmp(trap->jump, 1);
}

void OnMessage(j_common_ptr, int) {} // warnings about damaged data stay quiet

void InstallTrap(ErrorTrap& trap) {
    jpeg_std_error(&trap.manager);
    trap.manager.error_exit = OnFatalError;
    trap.manager.emit_message = OnMessage;
    trap.message[0] = 0;
}

struct DecodeState {
    jpeg_decompress_struct info;
    ErrorTrap trap;
    Image image;
};

struct EncodeState {
    jpeg_compress_struct info;
    ErrorTrap trap;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
};

// Whether Huffman-coded data of that many bytes can describe the picture
// its header claims. Each 8 x 8 block of the scan's component gets a code of
// at least one bit, and no component is sampled more coarsely than a
// quarter of the picture's resolution: so the data holds at least one bit
// for every 32 x 32 pixels. A few bytes claiming a huge picture are refused
// before its memory is taken.
bool HuffmanDataCanHold(const jpeg_decompress_struct& info, size_t bytes) {
    const uint64_t across = (uint64_t(info.image_width) + 31) / 32;
    const uint64_t down = (uint64_t(info.image_height) + 31) / 32;
    return across * down <= uint64_t(bytes) * 8;
}

// Whether all the picture's components come in its first scan. A JPEG
// whose components come in several scans (a progressive one, or one with
// its components scanned apart) keeps the coefficients of the whole
// picture at full size while it decodes, at any scale.
bool SingleScan(const jpeg_decompress_struct& info) {
    return !info.progressive_mode && info.comps_in_scan == info.num_components;
}

// A picture larger than the pixel bound is decoded at the smallest scale of
// 1/2, 1/4 and 1/8 that brings it within; libjpeg scales as it decodes, so
// the full-size picture never takes memory. False when no scale is enough
// or the picture cannot be decoded smaller for little cost.
bool ChooseScale(jpeg_decompress_struct& info, std::string* error) {
    const int64_t width = info.image_width, height = info.image_height;
    if (WithinPixelBound(width, height)) return true;
    if (!SingleScan(info))
        return ImageFail(error, "the JPEG picture is " + std::to_string(width) + " x " +
                                    std::to_string(height) + " pixels, more than the " +
                                    std::to_string(kMaxImagePixels) +
                                    " a picture may have, and is not read smaller: its "
                                    "scans keep the whole picture while it decodes");
    for (unsigned denominator : {2u, 4u, 8u}) {
        info.scale_num = 1;
        info.scale_denom = denominator;
        jpeg_calc_output_dimensions(&info);
        if (WithinPixelBound(info.output_width, info.output_height)) return true;
    }
    return ImageTooManyPixels(error, "the JPEG picture", width, height);
}

bool Decode(DecodeState& s, std::span<const uint8_t> bytes, std::string* error) {
    s.info.err = &s.trap.manager;
    if (setjmp(s.trap.jump)) {
        const bool shortOfMemory = s.trap.manager.msg_code == JERR_OUT_OF_MEMORY;
        jpeg_destroy_decompress(&s.info);
        if (shortOfMemory) return ImageOutOfMemory(error, "the JPEG picture");
        return ImageFail(error, std::string("JPEG cannot be read: ") + s.trap.message);
    }
    jpeg_create_decompress(&s.info);
    jpeg_mem_src(&s.info, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&s.info, TRUE);
    if (s.info.image_width > unsigned(kMaxImageSide) ||
        s.info.image_height > unsigned(kMaxImageSide)) {
        jpeg_destroy_decompress(&s.info);
        return ImageFail(error, "JPEG is too large");
    }
    if (!s.info.arith_code && !HuffmanDataCanHold(s.info, bytes.size())) {
        jpeg_destroy_decompress(&s.info);
        return ImageFail(error, "JPEG data of " + std::to_string(bytes.size()) +
                                    " bytes cannot hold a " + std::to_string(s.info.image_width) +
                                    " x " + std::to_string(s.info.image_height) + " picture");
    }
    s.info.out_color_space = JCS_EXT_BGRX;
    if (!ChooseScale(s.info, error)) {
        jpeg_destroy_decompress(&s.info);
        return false;
    }
    jpeg_start_decompress(&s.info);
    try {
        s.image =
            MakeImage(PixelFormat::X8R8G8B8, int(s.info.output_width), int(s.info.output_height));
    } catch (const std::bad_alloc&) {
        jpeg_destroy_decompress(&s.info);
        return ImageOutOfMemory(error, "the JPEG picture");
    }
    while (s.info.output_scanline < s.info.output_height) {
        JSAMPROW row = s.image.pixels.data() +
                       size_t(s.info.output_scanline) * size_t(s.info.output_width) * 4;
        jpeg_read_scanlines(&s.info, &row, 1);
    }
    jpeg_finish_decompress(&s.info);
    jpeg_destroy_decompress(&s.info);
    // The X bytes are left as libjpeg wrote them; make them opaque.
    for (size_t i = 3; i < s.image.pixels.size(); i += 4)
        s.image.pixels[i] = 255;
    return true;
}

bool ReadSize(DecodeState& s, std::span<const uint8_t> bytes, int& width, int& height,
              std::string* error) {
    s.info.err = &s.trap.manager;
    if (setjmp(s.trap.jump)) {
        jpeg_destroy_decompress(&s.info);
        return ImageFail(error, std::string("JPEG cannot be read: ") + s.trap.message);
    }
    jpeg_create_decompress(&s.info);
    jpeg_mem_src(&s.info, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&s.info, TRUE);
    width = int(std::min(s.info.image_width, JDIMENSION(INT32_MAX)));
    height = int(std::min(s.info.image_height, JDIMENSION(INT32_MAX)));
    jpeg_destroy_decompress(&s.info);
    return true;
}

bool Encode(EncodeState& s, const Image& image, int quality, std::string* error) {
    s.info.err = &s.trap.manager;
    if (setjmp(s.trap.jump)) {
        jpeg_destroy_compress(&s.info);
        std::free(s.buffer);
        s.buffer = nullptr;
        return ImageFail(error, std::string("JPEG cannot be written: ") + s.trap.message);
    }
    jpeg_create_compress(&s.info);
    jpeg_mem_dest(&s.info, &s.buffer, &s.size);
    s.info.image_width = JDIMENSION(image.width);
    s.info.image_height = JDIMENSION(image.height);
    const bool packed = image.format == PixelFormat::R8G8B8;
    s.info.input_components = packed ? 3 : 4;
    s.info.in_color_space = packed ? JCS_EXT_BGR : JCS_EXT_BGRX;
    jpeg_set_defaults(&s.info);
    jpeg_set_quality(&s.info, quality, TRUE);
    jpeg_start_compress(&s.info, TRUE);
    const size_t pitch = RowPitch(image.format, image.width);
    while (s.info.next_scanline < s.info.image_height) {
        JSAMPROW row =
            const_cast<JSAMPROW>(image.pixels.data() + size_t(s.info.next_scanline) * pitch);
        jpeg_write_scanlines(&s.info, &row, 1);
    }
    jpeg_finish_compress(&s.info);
    jpeg_destroy_compress(&s.info);
    return true;
}

} // namespace

bool DecodeJpeg(std::span<const uint8_t> bytes, Image& out, std::string* error) {
    if (bytes.size() < 4 || bytes[0] != 0xFF || bytes[1] != 0xD8)
        return ImageFail(error, "not a JPEG file");
    auto state = std::make_unique<DecodeState>();
    InstallTrap(state->trap);
    if (!Decode(*state, bytes, error)) return false;
    out = std::move(state->image);
    return true;
}

bool ReadJpegSize(std::span<const uint8_t> bytes, int& width, int& height, std::string* error) {
    if (bytes.size() < 4 || bytes[0] != 0xFF || bytes[1] != 0xD8)
        return ImageFail(error, "not a JPEG file");
    auto state = std::make_unique<DecodeState>();
    InstallTrap(state->trap);
    return ReadSize(*state, bytes, width, height, error);
}

bool EncodeJpeg(const Image& image, int quality, std::vector<uint8_t>& out, std::string* error) {
    if (image.format != PixelFormat::R8G8B8 && BitsPerPixel(image.format) != 32)
        return ImageFail(error,
                         std::string("a JPEG cannot be written from ") + FormatName(image.format));
    if (image.width <= 0 || image.height <= 0 ||
        image.pixels.size() != LevelSize(image.format, image.width, image.height))
        return ImageFail(error, "picture size does not match its pixels");
    if (quality < 1 || quality > 100) return ImageFail(error, "JPEG quality must be 1..100");
    auto state = std::make_unique<EncodeState>();
    InstallTrap(state->trap);
    if (!Encode(*state, image, quality, error)) return false;
    out.assign(state->buffer, state->buffer + state->size);
    std::free(state->buffer);
    return true;
}

} // namespace platform::image
