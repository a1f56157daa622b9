#include "platform/Png.h"

#include <png.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace platform {

namespace {

constexpr int kMaxDimension = 16384;

// Deflate expands its input at most 1032 times, so a file of N bytes holds at most 1032 N bytes of
// scan lines. A header that claims more pixels than that is a lie (or a cut file), refused before the
// picture's memory is taken: otherwise a hundred-byte file could make us allocate a gigabyte.
constexpr uint64_t kDeflateMostExpansion = 1032;

// The bytes of pixel data the header's size, depth and colour type need, without the filter bytes.
// libpng has already checked the signature and that IHDR comes first, at byte 8.
uint64_t LeastScanLineBytes(std::string_view bytes, png_uint_32 width, png_uint_32 height) {
    if (bytes.size() < 26) {
        return 0;
    }
    const unsigned depth = static_cast<unsigned char>(bytes[24]);
    const unsigned colourType = static_cast<unsigned char>(bytes[25]);
    // Grey (0) and palette (3) pictures have one channel per pixel.
    const unsigned channels = colourType == 2 ? 3 : colourType == 4 ? 2 : colourType == 6 ? 4 : 1;
    return uint64_t(width) * height * depth * channels / 8;
}

}  // namespace

bool DecodePng(std::string_view bytes, Image& image, std::string& error) {
    image = Image{};
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&png, bytes.data(), bytes.size())) {
        error = std::string("not a readable PNG: ") + png.message;
        return false;
    }
    if (png.width == 0 || png.height == 0 || png.width > kMaxDimension || png.height > kMaxDimension) {
        error =
            "PNG size " + std::to_string(png.width) + " x " + std::to_string(png.height) + " is out of range";
        png_image_free(&png);
        return false;
    }
    if (LeastScanLineBytes(bytes, png.width, png.height) > uint64_t(bytes.size()) * kDeflateMostExpansion) {
        error = "PNG of " + std::to_string(png.width) + " x " + std::to_string(png.height) + " in only " +
                std::to_string(bytes.size()) + " bytes: the file is cut short or its size is wrong";
        png_image_free(&png);
        return false;
    }
    png.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(png));
    if (!png_image_finish_read(&png, nullptr, pixels.data(), 0, nullptr)) {
        error = std::string("broken PNG data: ") + png.message;
        png_image_free(&png);
        return false;
    }
    image.Width = static_cast<int>(png.width);
    image.Height = static_cast<int>(png.height);
    image.Rgba = std::move(pixels);
    return true;
}

bool EncodePng(const Image& image, std::string& bytes, std::string& error) {
    if (image.Width <= 0 || image.Height <= 0 ||
        image.Rgba.size() != static_cast<size_t>(image.Width) * image.Height * 4) {
        error = "image size does not match its pixels";
        return false;
    }
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(image.Width);
    png.height = static_cast<png_uint_32>(image.Height);
    png.format = PNG_FORMAT_RGBA;
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&png, nullptr, &size, 0, image.Rgba.data(), 0, nullptr)) {
        error = std::string("PNG encoding failed: ") + png.message;
        return false;
    }
    bytes.resize(size);
    if (!png_image_write_to_memory(&png, bytes.data(), &size, 0, image.Rgba.data(), 0, nullptr)) {
        error = std::string("PNG encoding failed: ") + png.message;
        return false;
    }
    bytes.resize(size);
    return true;
}

bool WritePngFile(const std::string& path, const Image& image, std::string& error) {
    std::string bytes;
    if (!EncodePng(image, bytes, error))
        return false;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        error = "cannot create " + path;
        return false;
    }
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    ok = (std::fclose(file) == 0) && ok;
    if (!ok)
        error = "cannot write " + path;
    return ok;
}

}  // namespace platform
