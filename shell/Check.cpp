#include "shell/Check.h"

#include <set>
#include <string_view>

#include "audio/WaveFile.h"
#include "gui/FontInfo.h"
#include "gui/GUISkinInfo.h"
#include "models/Mesh.h"
#include "platform/Png.h"
#include "shell/Config.h"
#include "shell/Languages.h"
#include "shell/Levels.h"
#include "shell/Progress.h"
#include "shell/Settings.h"
#include "shell/StartupFiles.h"
#include "shell/TableOfRecords.h"
#include "shell/UserLevels.h"
#include "util/Files.h"
#include "util/GE_UTILS.h"
#include "util/Log.h"
#include "world/GameState.h"
#include "world/LevelCheck.h"
#include "world/LevelFile.h"

namespace {

class TDataCheck {
public:
    TDataCheck(const files::TDataRoot& root, const TUserFiles& userFiles)
        : Root(root), UserFiles(userFiles) {}

    std::vector<std::string> Run() {
        CheckSettings();
        CheckLanguages();
        CheckGui();
        for (const TNamedFile& sound : kSounds) {
            CheckSound(sound.File);
        }
        for (const TNamedFile& texture : kMenuTextures) {
            CheckPicture(texture.File);
        }
        for (const TMeshFile& mesh : kGameMeshes) {
            CheckMesh(mesh.File);
        }
        for (const TNamedFile& texture : kGameTextures) {
            CheckPicture(texture.File);
        }
        for (const char* shader : {kQuadVertexShader, kQuadPixelShader, kParticlePixelShader,
                                   kParticleVertexShader, kFontPixelShader, kFontVertexShader}) {
            CheckText(shader);
        }
        for (const char* shader : kSceneShaderFiles) {
            CheckText(shader);
        }
        CheckRecords();
        CheckProgress();
        CheckLevels();
        CheckUserLevels();
        return Problems;
    }

private:
    void Problem(const std::string& text) { Problems.push_back(text); }

    // The bytes of a file, or a problem.
    bool Read(std::string_view path, std::string& bytes) {
        std::string error;
        if (!Root.ReadFile(path, bytes, error)) {
            Problem(error);
            return false;
        }
        return true;
    }

    void CheckSettings() {
        TGameState state;
        std::string error;
        if (!LoadConfig(Root, state, error)) {
            Problem(error);
        }
        if (!LoadOptions(Root, UserFiles.OptionsRead, state, error)) {
            Problem(error);
        }
        if (!UserFiles.Settings.empty()) {
            TSettings settings;
            std::vector<std::string> problems;
            LoadSettings(Root, UserFiles.Settings, settings, problems);
            for (const std::string& problem : problems) {
                Problem(problem);
            }
        }
    }

    void CheckLanguages() {
        TLanguages languages;
        std::string error;
        if (!languages.LoadFromFiles(Root, kUkrainianFile, kRussianFile, kEnglishFile, error)) {
            Problem(error);
            return;
        }
        for (const char* key : kLanguageKeys) {
            if (languages.GetText(key, kLanguageEnglish).empty()) {
                Problem(QuotePathForMessage(kEnglishFile) + ": no line \"" + key +
                        "\" among the lines all three language files have");
            }
        }
    }

    void CheckGui() {
        TGUISkinInfo skin;
        std::string error;
        if (!skin.LoadFromFile(Root, kSkinInfoFile, kSkinWidth, kSkinHeight, error)) {
            Problem(error);
        }
        std::string bytes;
        if (Read(kFontInfoFile, bytes)) {
            TFontInfo info;
            std::string warning;
            if (!ParseFontInfo(bytes, kFontInfoFile, info, error, warning)) {
                Problem(error);
            } else if (!warning.empty()) {
                Problem(warning);
            }
        }
        CheckPicture(kSkinTextureFile());
        CheckPicture(kFontTexture);
    }

    static const char* kSkinTextureFile() { return kMenuTextures[2].File; }

    void CheckSound(const char* path) {
        TWaveData wave;
        std::string error;
        if (!LoadWaveFile(Root, path, wave, error)) {
            Problem(error);
        }
    }

    void CheckPicture(const std::string& path) {
        if (!Checked.insert(Root.Resolve(path) + "|" + path).second) {
            return;
        }
        std::string bytes;
        if (!Read(path, bytes)) {
            return;
        }
        platform::Image image;
        std::string error;
        if (!platform::DecodePng(bytes, image, error)) {
            Problem(QuotePathForMessage(path) + ": " + error);
        }
    }

    void CheckText(const char* path) {
        std::string bytes;
        if (Read(path, bytes) && bytes.find_first_not_of(" \t\r\n") == std::string::npos) {
            Problem(QuotePathForMessage(path) + ": the file is empty");
        }
    }

    void CheckMesh(const std::string& path) {
        std::string resolved = Root.Resolve(path);
        if (!resolved.empty() && !Checked.insert(resolved).second) {
            return;
        }
        std::string bytes;
        if (!Read(path, bytes)) {
            return;
        }
        TMesh mesh;
        std::string error;
        if (!mesh.LoadFromMemory(bytes, path, error)) {
            Problem(error.empty() ? QuotePathForMessage(path) + ": not a readable model" : error);
            return;
        }
        std::string directory = ExtractDirPart(path);
        for (int part = 0; part < mesh.GetMeshPartCount(); ++part) {
            for (int subset = 0; subset < mesh.GetSubsetCount(part); ++subset) {
                std::string texture;
                mesh.GetSubsetTextureName(part, subset, texture);
                if (texture.empty()) {
                    continue;
                }
                std::string texturePath = directory + texture;
                if (Root.Resolve(texturePath).empty()) {
                    Problem(QuotePathForMessage(path) + ": its texture " + QuotePathForMessage(texture) +
                            " is missing");
                } else {
                    CheckPicture(texturePath);
                }
            }
        }
    }

    void CheckRecords() {
        const std::string& path = UserFiles.RecordsRead;
        if (Root.Resolve(path).empty()) {
            return;  // a missing table is fine
        }
        std::string bytes;
        if (!Read(path, bytes)) {
            return;
        }
        TTable_of_records records;
        std::string error;
        if (!records.LoadFromBytes(bytes, path, error)) {
            Problem(error);
        }
    }

    void CheckProgress() {
        const std::string path = UserFiles.ProgressFile();
        int reached = 0;
        std::string error;
        if (!path.empty() && !ReadProgressFile(Root, path, reached, error)) {
            Problem(error);  // a missing file is fine: nothing reached yet
        }
    }

    void CheckLevels() {
        TLevels levels;
        std::string error;
        if (!levels.LoadFromFile(Root, kLevelListFile, error)) {
            Problem(error);
            return;
        }
        if (levels.Count() == 0) {
            Problem(QuotePathForMessage(kLevelListFile) + ": the list holds no level");
        }
        for (const TLevelEntry& entry : levels.Entries()) {
            TLevelDescription level;
            if (!ReadLevelFile(Root, entry.path, level, error)) {
                Problem(error);
                continue;
            }
            CheckPlayable(entry.path, level, entry.enemies);
            for (const TLevelDecoration& decoration : level.Decorations) {
                CheckMesh(decoration.path);
            }
        }
    }

    // The level checks of the editor, every warning included: a shipped level must pass them all.
    void CheckPlayable(const std::string& path, const TLevelDescription& level, const uint8_t (&enemies)[4]) {
        for (const TLevelProblem& problem : CheckLevel(level, enemies)) {
            Problem(QuotePathForMessage(path) + ": " + LevelProblemText(problem));
        }
    }

    // The player's own levels: a file that cannot be read is left out of "My levels", so it is named
    // here; a draft that fails a check cannot be played until it is mended.
    void CheckUserLevels() {
        TUserLevels levels(UserFiles.Folder);
        levels.Load(Problems);
        for (const TUserLevels::TEntry& entry : levels.Entries()) {
            TLevelDescription level;
            std::string error;
            if (ReadLevelFile(Root, entry.Path, level, error)) {
                CheckPlayable(entry.Path, level, entry.Enemies);
                for (const TLevelDecoration& decoration : level.Decorations) {
                    CheckMesh(decoration.path);
                }
            }
        }
    }

    const files::TDataRoot& Root;
    const TUserFiles& UserFiles;
    std::vector<std::string> Problems;
    std::set<std::string> Checked;
};

}  // namespace

std::vector<std::string> CheckGameData(const files::TDataRoot& root, const TUserFiles& userFiles) {
    // The loaders log what they find as well; the check reports it once, in its own lines.
    logging::Sink previous = logging::SetSink([](std::string_view, std::string_view) {});
    std::vector<std::string> problems = TDataCheck(root, userFiles).Run();
    logging::SetSink(previous);
    return problems;
}
