#include "shell/Languages.h"

#include "util/Files.h"
#include "util/GE_UTILS.h"

bool TLanguages::LoadFromFiles(std::string_view ukrainianPath, std::string_view russianPath,
                               std::string_view englishPath, std::string& error) {
    ukrainian_.clear();
    russian_.clear();
    english_.clear();
    std::string texts[3];
    const std::string_view paths[3] = {ukrainianPath, russianPath, englishPath};
    for (int i = 0; i < 3; ++i) {
        if (!files::ReadFile(paths[i], texts[i], error)) {
            return false;
        }
    }
    LoadFromBytes(texts[0], texts[1], texts[2]);
    return true;
}

void TLanguages::LoadFromBytes(std::string_view ukrainian, std::string_view russian,
                               std::string_view english) {
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
