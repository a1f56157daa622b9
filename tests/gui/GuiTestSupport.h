// Shared set-up of the GUI tests: a renderer on the recording device, a scratch data folder the tests
// write their own font, skin and shader files into, and an input fed by a scripted device.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "gui/GE_FONT.h"
#include "gui/GE_GUI.h"
#include "input/GE_INPUT.h"
#include "platform/RecordingDevice.h"
#include "render/GE_D3D9.h"
#include "util/Files.h"

namespace guitest {

// A folder under the system's temporary folder, removed with the object.
class ScratchFolder {
public:
    ScratchFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "brelvox-gui-XXXXXX").string();
        path_ = mkdtemp(pattern.data());
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    // Writes `bytes` to `relative` (slashes), creating folders.
    void Write(const std::string& relative, const std::string& bytes) const {
        const std::filesystem::path file = std::filesystem::path(path_) / relative;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream out(file, std::ios::binary);
        out << bytes;
    }
    const std::string& Path() const { return path_; }

    files::TDataRoot DataRoot() const { return files::TDataRoot(path_); }

private:
    std::string path_;
};

// A glyph description line block as the font file writes it: a quoted character and four lines of
// two words and a value, numbers with a comma.
inline std::string GlyphEntry(const std::string& quotedChar, const char* u, const char* v, const char* w,
                              const char* h) {
    return "Char: " + quotedChar + "\r\nLeft = " + u + "\r\nTop = " + v + "\r\nWidth = " + w +
           "\r\nHeight = " + h + "\r\n";
}

inline std::string FontHeader(int count) {
    return "Texture width: 256\r\nTexture height: 128\r\nNumber of glyphs: " + std::to_string(count) +
           " glyphs\r\n";
}

// The skin every widget needs, on a 512 x 256 texture, each name at its own place.
inline std::string FullSkin() {
    static const char* const kNames[] = {
        "Back_state1",    "Back_state2",    "Back_state3",    "Edit_state1",    "Edit_state2",
        "Edit_state3",    "Check_state1_1", "Check_state2_1", "Check_state3_1", "Check_state1_2",
        "Check_state2_2", "Check_state3_2", "Radio_state1_1", "Radio_state2_1", "Radio_state3_1",
        "Radio_state1_2", "Radio_state2_2", "Radio_state3_2"};
    std::string text = "18\r\n";
    int i = 0;
    for (const char* name : kNames) {
        const int left = (i % 6) * 64, top = (i / 6) * 32;
        text += std::string(name) + " " + std::to_string(left) + " " + std::to_string(top) + " " +
                std::to_string(left + 64) + " " + std::to_string(top + 32) + "\r\n";
        ++i;
    }
    return text;
}

// A renderer on a recording device of 800 x 600.
struct RecordingRenderer {
    platform::RecordingGraphicsSystem system;
    TRenderD3D9 render{system};
    platform::RecordingDevice* device = nullptr;

    RecordingRenderer() {
        std::string error;
        EXPECT_TRUE(render.Initialize(nullptr, false, 800, 600, 1, error)) << error;
        device = system.LastDevice();
    }
};

// Input whose mouse button 0 and keys the test sets before each Poll.
struct ScriptedInput {
    platform::ScriptedInputDevice device;
    std::unique_ptr<TInput> input = std::make_unique<TInput>();

    ScriptedInput() { input->Init(&device); }
    ~ScriptedInput() { input->Release(); }

    // One frame with button 0 held or not.
    void Frame(bool buttonDown) {
        device.SetButton(0, buttonDown);
        input->Poll();
    }
    void SetKey(int keyIndex, bool down) { device.SetKey(TInput::KeyCode(keyIndex), down); }
};

}  // namespace guitest
