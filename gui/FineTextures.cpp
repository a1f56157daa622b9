#include "gui/FineTextures.h"

#include "render/TextureLoader.h"
#include "util/GE_UTILS.h"
#include "util/Log.h"

TFineTextures::TFineTextures(TDeviceRef device) : Device_(device) {
    for (int factor : kFactors) {
        Copies_.push_back({factor, false, TUniqueTexture()});
    }
}

std::string TFineTextures::FineFile(std::string_view designFile, int factor) {
    std::string file(designFile);
    const size_t dot = file.rfind('.');
    const size_t slash = file.find_last_of("\\/");
    const size_t at =
        dot != std::string::npos && (slash == std::string::npos || dot > slash) ? dot : file.size();
    return file.insert(at, "_" + std::to_string(factor) + "x");
}

void TFineTextures::SetDesign(const files::TDataRoot& root, std::string_view designFile, int width,
                              int height) {
    Root_ = root;
    DesignFile_ = std::string(designFile);
    DesignWidth_ = width;
    DesignHeight_ = height;
    // The copies are read again, against this design, when next wanted.
    for (TCopy& copy : Copies_) {
        copy.Tried = false;
        copy.Texture.Reset();
    }
    Factor_ = 1;
}

bool TFineTextures::Load(TCopy& copy) {
    if (copy.Tried) {
        return static_cast<bool>(copy.Texture);
    }
    copy.Tried = true;
    const std::string file = FineFile(DesignFile_, copy.Factor);
    std::string error;
    platform::Image image;
    bool ok = DesignWidth_ > 0 && DesignHeight_ > 0 && ReadImageFile(Root_, file, image, error);
    if (ok && (image.Width != DesignWidth_ * copy.Factor || image.Height != DesignHeight_ * copy.Factor)) {
        error = QuotePathForMessage(file) + ": the picture is " + std::to_string(image.Width) + "x" +
                std::to_string(image.Height) + ", not " + std::to_string(DesignWidth_ * copy.Factor) + "x" +
                std::to_string(DesignHeight_ * copy.Factor) + " (" + std::to_string(copy.Factor) +
                " times the design's)";
        ok = false;
    }
    platform::TextureHandle texture;
    if (ok && CreateTextureFromImage(Device_, image, false, file, texture, error)) {
        copy.Texture = TUniqueTexture(Device_, texture);
        return true;
    }
    if (!error.empty()) {
        logging::Write("gui", error + "; drawing from " + QuotePathForMessage(DesignFile_) + " instead");
    }
    return false;
}

void TFineTextures::Choose(int wanted) {
    int chosen = 1;
    for (auto copy = Copies_.rbegin(); copy != Copies_.rend(); ++copy) {
        if (copy->Factor <= wanted && Load(*copy)) {
            chosen = copy->Factor;
            break;
        }
    }
    Factor_ = chosen;
}

platform::TextureHandle TFineTextures::Texture(platform::TextureHandle design) const {
    for (const TCopy& copy : Copies_) {
        if (copy.Factor == Factor_ && copy.Texture) {
            return copy.Texture.Get();
        }
    }
    return design;
}

void DrawWithFineFilter(TRenderD3D9& render, const TFineTextures& textures, const TRenderOperation& op) {
    if (textures.Factor() == 1) {
        render.DrawRenderOperation(op);
        return;
    }
    render.SetTextureFilter(0, 1, 0);
    render.DrawRenderOperation(op);
    render.SetTextureFilter(0, 0, 0);
}
