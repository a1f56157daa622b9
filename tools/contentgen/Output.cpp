#include "Output.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "platform/Png.h"

namespace contentgen {

void Output::Write(const std::string& dataPath, std::string_view bytes) {
    WriteBeside("Data/" + dataPath, bytes);
}

void Output::WriteBeside(const std::string& relativePath, std::string_view bytes) {
    std::filesystem::path path = std::filesystem::path(root_) / relativePath;
    std::error_code ec;
    std::filesystem::create_directories(path.parent_path(), ec);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        std::fprintf(stderr, "contentgen: cannot write %s\n", path.string().c_str());
        ok_ = false;
    }
}

void Output::WritePng(const std::string& dataPath, const platform::Image& image) {
    WritePngBeside("Data/" + dataPath, image);
}

void Output::WritePngBeside(const std::string& path, const platform::Image& image) {
    std::string bytes, error;
    if (!platform::EncodePng(image, bytes, error)) {
        std::fprintf(stderr, "contentgen: cannot encode %s: %s\n", path.c_str(), error.c_str());
        ok_ = false;
        return;
    }
    WriteBeside(path, bytes);
}

void Output::Finish() {
    std::filesystem::path path = std::filesystem::path(root_) / "contentgen_manifest.txt";
    std::error_code ec;
    std::filesystem::create_directories(root_, ec);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << manifest_;
    if (!out) {
        ok_ = false;
    }
}

std::string FormatNumber(float value, char separator) {
    if (std::fabs(value) < 0.0000005f) {
        value = 0.0f;  // no "-0.000000"
    }
    char text[64];
    std::snprintf(text, sizeof text, "%.6f", static_cast<double>(value));
    std::string s = text;
    for (char& c : s) {
        if (c == '.' || c == ',') {
            c = separator;
        }
    }
    return s;
}

}  // namespace contentgen
