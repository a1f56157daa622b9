#include "platform/Png.h"

#include <png.h>

#include <cstdio>
#include <cstring>

namespace platform {

namespace {

constexpr int kMaxDimension = 16384;

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
        error = "PNG size " + std::to_string(png.width) + " x " + std::to_string(png.height) + " is out of range";
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
    if (!EncodePng(image, bytes, error)) return false;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        error = "cannot create " + path;
        return false;
    }
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    ok = (std::fclose(file) == 0) && ok;
    if (!ok) error = "cannot write " + path;
    return ok;
}

}  // namespace platform
