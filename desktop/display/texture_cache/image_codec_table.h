// The picture formats the texture converter reads and writes, found by name
// or by file extension: Windows bitmaps, the converter's Targa subset, JP2
// files and bare JPEG-2000 code streams.
#pragma once

#include "platform/image/image.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace lumivane {

// JPEG-2000 pictures wider or higher than this are refused before they are
// decoded (the installed textures are far smaller).
inline constexpr int kMaxSourceSide = 8192;

struct ImageCodec {
    int index;
    const char* name;
    const char* extension;
    const char* description;
    bool (*decode)(std::span<const uint8_t> bytes, platform::image::Image& out, std::string* error);
    bool (*encode)(const platform::image::Image& image, std::vector<uint8_t>& out,
                   std::string* error);
    bool (*validate)(std::span<const uint8_t> bytes, std::string* error);
};

class ImageCodecTable {
public:
    // Clears the table and registers, in this order: 0 "bmp", 1 "tga",
    // 2 "jp2", 3 "jpc".
    void Init();

    size_t Count() const { return codecs_.size(); }
    const ImageCodec* Find(std::string_view name) const;
    // By a file's extension ("bmp" or ".bmp", any case).
    const ImageCodec* FindByExtension(std::string_view extension) const;

    // Reads the file and decodes it as the named format; the error names
    // the file. *refused tells a file that was read but whose bytes the
    // format refused from one that could not be read.
    bool DecodeFile(const std::filesystem::path& path, std::string_view format,
                    platform::image::Image& out, std::string* error = nullptr,
                    bool* refused = nullptr) const;
    // Encodes as the named format (empty: chosen by the path's extension)
    // and writes the file whole: under a temporary name first, so a failed
    // write never leaves a partial file under the real one.
    bool EncodeFile(const std::filesystem::path& path, std::string_view format,
                    const platform::image::Image& image, std::string* error = nullptr) const;

private:
    std::vector<ImageCodec> codecs_;
};

} // namespace lumivane
