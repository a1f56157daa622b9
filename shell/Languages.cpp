#include "shell/Languages.h"

#include "util/Files.h"
#include "util/GE_UTILS.h"

bool TLanguages::LoadFromFiles(const files::TDataRoot& root, std::string_view ukrainianPath,
                               std::string_view russianPath, std::string_view englishPath,
                               std::string& error) {
    ukrainian_.clear();
    russian_.clear();
    english_.clear();
    std::string texts[3];
    const std::string_view paths[3] = {ukrainianPath, russianPath, englishPath};
    for (int i = 0; i < 3; ++i) {
        if (!root.ReadFile(paths[i], texts[i], error)) {
            return false;
        }
    }
    const std::string quoted[3] = {QuotePathForMessage(paths[0]), QuotePathForMessage(paths[1]),
                                   QuotePathForMessage(paths[2])};
    const std::string_view names[3] = {quoted[0], quoted[1], quoted[2]};
    return LoadFromBytes(texts[0], texts[1], texts[2], names, error);
}

bool TLanguages::LoadFromBytes(std::string_view ukrainian, std::string_view russian, std::string_view english,
                               std::string& error) {
    static const std::string_view kNames[3] = {"the Ukrainian text", "the Russian text", "the English text"};
    return LoadFromBytes(ukrainian, russian, english, kNames, error);
}

bool TLanguages::LoadFromBytes(std::string_view ukrainian, std::string_view russian, std::string_view english,
                               const std::string_view (&names)[3], std::string& error) {
    ukrainian_.clear();
    russian_.clear();
    english_.clear();
    TTextSource sources[3] = {TTextSource{std::string(ukrainian)}, TTextSource{std::string(russian)},
                              TTextSource{std::string(english)}};
    while (!sources[0].Eof() && !sources[1].Eof() && !sources[2].Eof()) {
        ukrainian_.push_back(ReadLine(sources[0]));
        russian_.push_back(ReadLine(sources[1]));
        english_.push_back(ReadLine(sources[2]));
    }
    const int shorter = sources[0].Eof() ? 0 : sources[1].Eof() ? 1 : 2;
    for (int other = 0; other < 3; ++other) {
        if (!sources[other].Eof()) {
            error = std::string(names[shorter]) + " ends after " + std::to_string(english_.size()) +
                    " lines, but " + std::string(names[other]) +
                    " goes on: the lines after that have no translation and are left out";
            return false;
        }
    }
    return true;
}

std::string TLanguages::GetText(std::string_view key, int language) const {
    const std::vector<std::string>* lists[3] = {&ukrainian_, &russian_, &english_};
    if (language < 0 || language > 2) {
        return std::string();
    }
    for (std::size_t i = 0; i < english_.size(); ++i) {
        if (english_[i] == key) {
            return (*lists[language])[i];
        }
    }
    return std::string();
}
