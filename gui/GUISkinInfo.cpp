#include "gui/GUISkinInfo.h"

#include "gui/InfoReader.h"
#include "util/Files.h"
#include "util/GE_UTILS.h"

namespace {

std::string Where(std::string_view sourceName, const TInfoReader& reader) {
    return QuotePathForMessage(sourceName) + ", line " + std::to_string(reader.Line()) + ": ";
}

}  // namespace

bool TGUISkinInfo::LoadFromFile(const files::TDataRoot& root, std::string_view fileName, int textureWidth,
                                int textureHeight, std::string& error) {
    Items.clear();
    std::string bytes;
    if (!root.ReadFile(fileName, bytes, error)) {
        return false;
    }
    return LoadFromBytes(bytes, fileName, textureWidth, textureHeight, error);
}

bool TGUISkinInfo::LoadFromBytes(std::string_view bytes, std::string_view sourceName, int textureWidth,
                                 int textureHeight, std::string& error) {
    Items.clear();
    if (textureWidth <= 0 || textureHeight <= 0) {
        error = QuotePathForMessage(sourceName) + ": the skin texture size must be positive";
        return false;
    }
    TInfoReader reader(bytes);
    std::string_view token;
    int32_t count = 0;
    if (!reader.NextToken(token)) {
        error = QuotePathForMessage(sourceName) + ": the file is empty, the number of entries is missing";
        return false;
    }
    if (!ParseInteger(token, count) || count < 0) {
        error = Where(sourceName, reader) + "the number of entries " + QuoteForMessage(token) +
                " is not a whole number of 0 or more";
        return false;
    }
    std::vector<TSkinTexCoord> items;
    for (int32_t entry = 0; entry < count; ++entry) {
        TSkinTexCoord item;
        if (!reader.NextToken(token)) {
            error = QuotePathForMessage(sourceName) + ": the file ends after " + std::to_string(entry) +
                    " of " + std::to_string(count) + " entries";
            return false;
        }
        item.Name = std::string(token);
        int32_t pixels[4] = {};
        static const char* const kFieldNames[4] = {"left", "top", "right", "bottom"};
        for (int field = 0; field < 4; ++field) {
            if (!reader.NextToken(token)) {
                error = QuotePathForMessage(sourceName) + ": the file ends inside the entry " +
                        QuoteForMessage(item.Name) + " (its " + kFieldNames[field] + " is missing)";
                return false;
            }
            if (!ParseInteger(token, pixels[field])) {
                error = Where(sourceName, reader) + "the " + kFieldNames[field] + " of the entry " +
                        QuoteForMessage(item.Name) + " is " + QuoteForMessage(token) + ", not a whole number";
                return false;
            }
        }
        item.Left = static_cast<float>(pixels[0]) / static_cast<float>(textureWidth);
        item.Top = static_cast<float>(pixels[1]) / static_cast<float>(textureHeight);
        item.Right = static_cast<float>(pixels[2]) / static_cast<float>(textureWidth);
        item.Bottom = static_cast<float>(pixels[3]) / static_cast<float>(textureHeight);
        items.push_back(std::move(item));
    }
    Items = std::move(items);
    return true;
}

bool TGUISkinInfo::GetTexCoord(std::string_view name, TSkinTexCoord& rect) const {
    for (const TSkinTexCoord& item : Items) {
        if (item.Name == name) {
            rect = item;
            return true;
        }
    }
    return false;
}
