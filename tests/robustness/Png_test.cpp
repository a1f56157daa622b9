// PNG pictures under damage: the shipped textures cut and flipped (with and without their chunk
// checksums mended, so the damage reaches past the checksum test), headers that claim enormous
// pictures, and the texture loader's message naming the file.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/Png.h"
#include "render/TextureLoader.h"
#include "tests/render/RenderTestSupport.h"
#include "tests/robustness/Mutations.h"

using namespace robustness;

namespace {

uint32_t Crc32(std::string_view bytes) {
    uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char b : bytes) {
        crc ^= b;
        for (int k = 0; k < 8; ++k) {
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
    }
    return ~crc;
}

std::string Be32(uint32_t v) {
    return std::string{char(v >> 24 & 0xFF), char(v >> 16 & 0xFF), char(v >> 8 & 0xFF), char(v & 0xFF)};
}

uint32_t ReadBe32(std::string_view bytes, std::size_t at) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data() + at);
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}

std::string PngChunk(const std::string& type, const std::string& data) {
    return Be32(static_cast<uint32_t>(data.size())) + type + data + Be32(Crc32(type + data));
}

const std::string kSignature = "\x89PNG\r\n\x1a\n";

std::string Ihdr(uint32_t width, uint32_t height, uint8_t depth, uint8_t colourType) {
    return PngChunk("IHDR", Be32(width) + Be32(height) + std::string{char(depth), char(colourType), 0, 0, 0});
}

// Rewrites the checksum of every whole chunk, so damage inside a chunk reaches its decoder.
std::string MendChecksums(std::string bytes) {
    std::size_t at = 8;
    while (at + 12 <= bytes.size()) {
        const uint32_t length = ReadBe32(bytes, at);
        if (length > bytes.size() - at - 12) {
            break;
        }
        const std::string crc = Be32(Crc32(std::string_view(bytes).substr(at + 4, 4 + length)));
        bytes.replace(at + 8 + length, 4, crc);
        at += 12 + length;
    }
    return bytes;
}

Outcome DecodeChecked(const std::string& bytes) {
    platform::Image image;
    Outcome o;
    std::string error;
    o.ok = platform::DecodePng(bytes, image, error);
    if (!o.ok) {
        o.message = error.empty() ? std::string() : "picture.png: " + error;
        if (!image.Rgba.empty()) {
            ADD_FAILURE() << "a failed decode leaves " << image.Rgba.size() << " bytes of pixels";
        }
        return o;
    }
    if (image.Width <= 0 || image.Height <= 0 ||
        image.Rgba.size() != std::size_t(image.Width) * std::size_t(image.Height) * 4) {
        ADD_FAILURE() << "decoded " << image.Width << " x " << image.Height << " with " << image.Rgba.size()
                      << " bytes";
    }
    return o;
}

std::vector<Case> PngMutations(const std::string& bytes, uint64_t seed, std::size_t flips) {
    std::vector<Case> cases;
    AddTruncations(bytes, 80, 60, cases);
    AddFlips(bytes, flips, seed, cases, 128);
    AddFlips(bytes, flips, seed + 1, cases);
    AddInsertions(bytes, flips / 4, seed + 2, cases);
    std::vector<Case> mended;
    AddFlips(bytes, flips, seed + 3, mended, 128);
    AddFlips(bytes, flips, seed + 4, mended);
    for (Case& c : mended) {
        cases.push_back({c.what + ", checksums mended", MendChecksums(c.bytes)});
    }
    return cases;
}

TEST(Png_Damaged, ShippedPicturesFailWithAMessageOrDecodeWhole) {
    for (const char* path :
         {"Data/Meshes/helperF.png", "Data/Textures/cursor.png", "Data/Meshes/bullet.png"}) {
        const std::string bytes = ReadShipped(path);
        ASSERT_GT(bytes.size(), 100u) << path;
        ExpectNamedFailures(PngMutations(bytes, 131, 300), "picture.png", DecodeChecked);
    }
}

// The size check must not refuse a real picture: every shipped one decodes.
TEST(Png_Shipped, EveryPictureOfTheDataDecodes) {
    int count = 0;
    for (const auto& entry :
         std::filesystem::recursive_directory_iterator(std::string(BRELVOX_SOURCE_DIR) + "/Data")) {
        if (entry.path().extension() != ".png") {
            continue;
        }
        const std::string relative = entry.path().string().substr(std::string(BRELVOX_SOURCE_DIR).size() + 1);
        platform::Image image;
        std::string error;
        EXPECT_TRUE(platform::DecodePng(ReadShipped(relative), image, error)) << relative << ": " << error;
        ++count;
    }
    EXPECT_GT(count, 10);
}

TEST(Png_Hostile, AHeaderClaimingAHugePictureIsRefusedWithoutAllocatingIt) {
    // Valid checksums throughout: only the size is a lie, and the data is a few bytes.
    const std::string idat = PngChunk("IDAT", std::string("\x78\x9c\x63\x00\x00\x00\x01\x00\x01", 9));
    const std::string end = PngChunk("IEND", "");
    const struct {
        uint32_t width, height;
        uint8_t depth, colourType;
    } headers[] = {
        {16384, 16384, 8, 6},     {16384, 16384, 16, 6}, {16384, 16384, 1, 0}, {16384, 1, 8, 6},
        {1, 16384, 8, 6},         {16385, 1, 8, 6},      {0, 1, 8, 6},         {0x7FFFFFFF, 0x7FFFFFFF, 8, 6},
        {1000000, 1000000, 8, 6}, {12000, 12000, 8, 2},
    };
    for (const auto& h : headers) {
        const std::string file = kSignature + Ihdr(h.width, h.height, h.depth, h.colourType) + idat + end;
        const std::string what = std::to_string(h.width) + " x " + std::to_string(h.height);
        ResetLargestAllocation();
        const Outcome o = DecodeChecked(file);
        EXPECT_FALSE(o.ok) << what;
        EXPECT_FALSE(o.message.empty()) << what;
        EXPECT_LE(LargestAllocation(), std::size_t(1) << 20) << what << ": the pixels were allocated first";
    }
    // A picture of the largest size whose data could really be in the file still decodes as far as
    // the data goes: here the data is cut, so it fails, but only after the check let it through.
    const std::string honest = kSignature + Ihdr(16, 16, 8, 6) + idat + end;
    EXPECT_FALSE(DecodeChecked(honest).ok);
}

// The texture loader names the file whatever went wrong with it.
struct TextureFiles : render_test::RendererFixture {};

TEST_F(TextureFiles, DamagedAndMissingPicturesAreNamedAndGiveNoTexture) {
    render_test::ScratchData data;
    render_test::LogCapture log;
    const std::string bytes = ReadShipped("Data/Textures/cursor.png");
    std::vector<Case> cases;
    AddTruncations(bytes, 40, 20, cases);
    AddFlips(bytes, 60, 141, cases, 64);
    std::vector<Case> mended;
    AddFlips(bytes, 60, 142, mended);
    for (Case& c : mended) {
        cases.push_back({c.what, MendChecksums(c.bytes)});
    }
    std::size_t failures = 0;
    for (const Case& c : cases) {
        data.Write("Data/Textures/damaged.png", c.bytes);
        std::string error;
        platform::TextureHandle full;
        if (!CreateTextureFromFile(data.DataRoot(), render.Device(), "data\\textures\\Damaged.png", full,
                                   error)) {
            EXPECT_FALSE(full) << c.what;
            ++failures;
            EXPECT_NE(error.find("Damaged.png"), std::string::npos) << c.what << ": " << error;
        } else {
            device->ReleaseTexture(full);
        }
        platform::TextureHandle one;
        CreateTextureFromFileOneLevel(data.DataRoot(), render.Device(), "data\\textures\\Damaged.png", one,
                                      error);
        if (one) {
            device->ReleaseTexture(one);
        }
        EXPECT_EQ(!full, !one) << c.what;
    }
    EXPECT_GT(failures, 0u);
    std::string error;
    platform::TextureHandle absent;
    EXPECT_FALSE(
        CreateTextureFromFile(data.DataRoot(), render.Device(), "Data\\Textures\\absent.png", absent, error));
    EXPECT_NE(error.find("absent.png"), std::string::npos) << error;
}

TEST_F(TextureFiles, ImagesWhoseSizeDoesNotMatchTheirPixelsGiveNoTexture) {
    render_test::LogCapture log;
    platform::Image image;
    image.Width = 4;
    image.Height = 4;
    image.Rgba.assign(4 * 4 * 4 - 1, 0);
    std::string error;
    platform::TextureHandle t;
    EXPECT_FALSE(CreateTextureFromImage(render.Device(), image, true, "odd.png", t, error));
    EXPECT_NE(error.find("odd.png"), std::string::npos) << error;
    image.Width = -4;
    image.Rgba.clear();
    EXPECT_FALSE(CreateTextureFromImage(render.Device(), image, false, "negative.png", t, error));
    EXPECT_NE(error.find("negative.png"), std::string::npos) << error;
    // A long thin picture gets its whole mip chain without reading outside a level.
    image.Width = 1;
    image.Height = 4096;
    image.Rgba.assign(4096 * 4, 200);
    EXPECT_TRUE(CreateTextureFromImage(render.Device(), image, true, "thin.png", t, error)) << error;
    EXPECT_EQ(BuildMipChain(image).size(), 13u);
    device->ReleaseTexture(t);
}

}  // namespace
