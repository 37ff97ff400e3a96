// topng <picture> <out.png>: writes a BMP, Targa, JPEG or DDS picture (the
// top level of its first face) as a PNG, to look at screenshots, cached
// textures and the data builder's pictures.
#include <cstdio>
#include <string>
#include <vector>

#include "platform/binary_io.h"
#include "platform/image/bmp.h"
#include "platform/image/convert.h"
#include "platform/image/dds.h"
#include "platform/image/jpeg.h"
#include "platform/image/png.h"
#include "platform/image/tga.h"

int main(int argc, char** argv) {
    using namespace platform::image;
    if (argc != 3) {
        std::fprintf(stderr, "usage: topng <picture> <out.png>\n");
        return 2;
    }
    std::vector<uint8_t> bytes;
    std::string error;
    if (!platform::ReadWholeFile(argv[1], bytes, &error)) {
        std::fprintf(stderr, "topng: %s\n", error.c_str());
        return 1;
    }
    Image image;
    TextureImage texture;
    bool read = DecodeBmp(bytes, image, &error) || DecodeJpeg(bytes, image, &error) ||
                DecodePng(bytes, image, &error);
    if (!read && DecodeDds(bytes, texture, &error)) {
        image = texture.Level(0, 0);
        read = true;
    }
    if (!read) read = DecodeTga(bytes, image, &error);
    Image bgra;
    if (!read || !ConvertImage(image, PixelFormat::A8R8G8B8, bgra, &error) ||
        !WritePngFile(argv[2], bgra, true, &error)) {
        std::fprintf(stderr, "topng: %s: %s\n", argv[1], error.c_str());
        return 1;
    }
    return 0;
}
