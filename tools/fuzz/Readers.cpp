#include "tools/fuzz/Readers.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "audio/WaveFile.h"
#include "gui/FontInfo.h"
#include "gui/GUISkinInfo.h"
#include "models/Mesh.h"
#include "platform/Png.h"
#include "shell/Config.h"
#include "shell/Demo.h"
#include "shell/Languages.h"
#include "shell/Levels.h"
#include "shell/Progress.h"
#include "shell/Settings.h"
#include "shell/TableOfRecords.h"
#include "world/LevelFile.h"

namespace {

constexpr std::string_view kName = "fuzzed.txt";

// Stops the run (a finding) when a message carries a byte a terminal would act on.
void ExpectPrintable(std::string_view message) {
    for (char c : message) {
        if ((static_cast<unsigned char>(c) < 0x20 && c != '\n') || c == 0x7F) {
            std::fprintf(stderr, "a message carries the raw byte 0x%02X\n", static_cast<unsigned char>(c));
            std::abort();
        }
    }
}

void ExpectNamed(bool ok, const std::string& message) {
    ExpectPrintable(message);
    if (!ok && message.find(kName) == std::string::npos) {
        std::fprintf(stderr, "a refusal does not name the file\n");
        std::abort();
    }
}

void FuzzConfig(std::string_view bytes) {
    TGameState state;
    std::string error;
    ExpectNamed(ParseConfig(bytes, kName, state, error), error);
}

void FuzzOptions(std::string_view bytes) {
    TGameState state;
    std::string error;
    ExpectNamed(ParseOptions(bytes, kName, state, error), error);
}

// The three language files: the input's halves and the whole of it.
void FuzzLanguages(std::string_view bytes) {
    TLanguages languages;
    static const std::string_view kNames[3] = {kName, kName, kName};
    std::string error;
    ExpectNamed(languages.LoadFromBytes(bytes, bytes.substr(bytes.size() / 2), bytes, kNames, error), error);
    languages.GetText(bytes.substr(0, bytes.find('\n')), kLanguageRussian);
}

void FuzzRecords(std::string_view bytes) {
    TTable_of_records table;
    std::string error;
    ExpectNamed(table.LoadFromBytes(bytes, kName, error), error);
    table.AddRecord(bytes.substr(0, 64), 1000);
    table.Format();
}

void FuzzLevels(std::string_view bytes) {
    TLevels levels;
    std::string error;
    ExpectNamed(levels.LoadFromBytes(bytes, kName, error), error);
}

void FuzzLevel(std::string_view bytes) {
    TLevelDescription level;
    std::string error;
    const bool ok = ParseLevel(bytes, kName, level, error);
    ExpectNamed(ok, error);
    if (ok) {
        BuildMap(level);
    }
}

void FuzzXFile(std::string_view bytes) {
    TMesh mesh;
    std::string error;
    const bool ok = mesh.LoadFromMemory(bytes, std::string(kName), error);
    ExpectNamed(ok, error);
    mesh.MarkFrames();
    for (int set = 0; set < mesh.GetAnimationSetCount(); ++set) {
        mesh.SampleAnimationSet(set, 100, 1.0f);
    }
    mesh.UpdateCombinedMatrices();
    mesh.BuildBonePalette();
}

void FuzzFontInfo(std::string_view bytes) {
    TFontInfo info;
    std::string error, warning;
    ExpectNamed(ParseFontInfo(bytes, kName, info, error, warning), error);
    ExpectPrintable(warning);
}

void FuzzGuiSkin(std::string_view bytes) {
    TGUISkinInfo skin;
    std::string error;
    ExpectNamed(skin.LoadFromBytes(bytes, kName, 512, 256, error), error);
}

// The wave and PNG parsers do not know the file's name; their callers put it in front.
void FuzzWave(std::string_view bytes) {
    TWaveData wave;
    std::string error;
    ParseWave(bytes, wave, error);
    ExpectPrintable(error);
}

void FuzzPng(std::string_view bytes) {
    platform::Image image;
    std::string error;
    platform::DecodePng(bytes, image, error);
    ExpectPrintable(error);
}

// A demo that reads is replayed as far as its frames go: each record decodes.
void FuzzDemo(std::string_view bytes) {
    TDemo demo;
    std::string problem;
    const bool ok = ParseDemo(bytes, demo, problem);
    ExpectPrintable(problem);
    if (!ok && problem.empty()) {
        std::fprintf(stderr, "a refusal says nothing\n");
        std::abort();
    }
    for (std::size_t i = 0; ok && i < demo.Frames.size(); ++i) {
        const TDemoFrame frame = demo.Frames[i];
        if (frame.Ms > kDemoMostFrameMs) {
            std::fprintf(stderr, "frame %zu lasts %u ms\n", i + 1, frame.Ms);
            std::abort();
        }
    }
}

// Every problem names the file; what was read is saved and read back the same, without a problem.
void FuzzSettings(std::string_view bytes) {
    TSettings settings;
    std::vector<std::string> problems;
    ParseSettings(bytes, kName, settings, problems);
    for (const std::string& problem : problems) {
        ExpectNamed(false, problem);
    }
    const std::string saved = FormatSettings(settings);
    TSettings again;
    problems.clear();
    ParseSettings(saved, kName, again, problems);
    if (!problems.empty() || FormatSettings(again) != saved) {
        std::fprintf(stderr, "the settings saved do not read back as they were\n");
        std::abort();
    }
}

void FuzzProgress(std::string_view bytes) {
    int reached = -1;
    std::string error;
    const bool ok = ParseProgress(bytes, kName, reached, error);
    ExpectNamed(ok, error);
    int again = -1;
    if (ok && (reached < 1 || reached > kMostReachedLevel ||
               !ParseProgress(FormatProgress(reached), kName, again, error) || again != reached)) {
        std::fprintf(stderr, "progress %d does not read back\n", reached);
        std::abort();
    }
}

const std::vector<FileReader> kReaders = {
    {"config", FuzzConfig},   {"options", FuzzOptions},   {"languages", FuzzLanguages},
    {"records", FuzzRecords}, {"levels", FuzzLevels},     {"level", FuzzLevel},
    {"xfile", FuzzXFile},     {"fontinfo", FuzzFontInfo}, {"guiskin", FuzzGuiSkin},
    {"wave", FuzzWave},       {"png", FuzzPng},           {"demo", FuzzDemo},
    {"settings", FuzzSettings}, {"progress", FuzzProgress},
};

}  // namespace

const std::vector<FileReader>& FileReaders() {
    return kReaders;
}

const FileReader* FindFileReader(std::string_view name) {
    for (const FileReader& reader : kReaders) {
        if (name == reader.Name) {
            return &reader;
        }
    }
    return nullptr;
}
