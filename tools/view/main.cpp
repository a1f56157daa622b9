// The scene viewer: a model of Data/Meshes turning slowly under the game's camera, drawn through the
// scene manager on the OpenGL device. Left and Right (or Space) cycle the models, Up and Down move the
// camera nearer and farther along its line of sight (--zoom F starts at F; 1 is the game's distance),
// Escape quits.
//
// --effects puts particle effects beside the model: smoke, and an explosion every 1.5 seconds.
// --grid N lays out N x N copies one unit apart, as the level's walls are (each turned and scaled a
// little differently), so the instanced path can be watched; --static draws every copy on its own instead.
// --frames N runs N frames of a fixed 16 ms step and quits; --screenshot FILE writes the last of them as PNG.
// --compare-static draws the same frame once instanced and once copy by copy and fails (exit code 1) unless
// the two pictures match.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "effects/GE_PARTICLESYSTEM.h"
#include "models/GE_ResourceManager.h"
#include "platform/Clock.h"
#include "platform/DirectInputKeys.h"
#include "platform/GlGraphicsSystem.h"
#include "platform/Png.h"
#include "platform/SdlInputDevice.h"
#include "platform/SdlWindow.h"
#include "render/GE_D3D9.h"
#include "scene/GE_SCENEMANAGER.h"
#include "tests/scene/SceneTestSupport.h"
#include "util/Files.h"

namespace {

struct Options {
    std::string DataRoot = ".";
    std::string Model;
    bool Wall = false;
    int Grid = 0;
    bool Static = false;
    int Width = 800;
    int Height = 600;
    int Frames = -1;  // run until closed
    std::string Screenshot;
    bool CompareStatic = false;
    bool Effects = false;
    float Zoom = 1.0f;
};

constexpr const char* kUsage =
    "Usage: view [options]\n"
    "Shows the models of Data/Meshes under the game's camera. Left, Right or Space: next model;\n"
    "Up, Down: nearer, farther; Escape quits.\n"
    "  --data DIR          the folder that holds Data (default: the current folder)\n"
    "  --model NAME        start with this model (file name in Data/Meshes)\n"
    "  --wall              show the level's wall box\n"
    "  --grid N            N x N copies one unit apart, drawn in instanced batches (N up to 100)\n"
    "  --static            draw every copy of the grid on its own\n"
    "  --size WxH          window size (default 800x600)\n"
    "  --zoom F            camera distance, 1 is the game's (0.05 to 10)\n"
    "  --effects           smoke and an explosion every 1.5 seconds beside the model\n"
    "  --frames N          run N frames of 16 ms and quit\n"
    "  --screenshot FILE   write the last frame as PNG\n"
    "  --compare-static    draw one frame instanced and copy by copy; exit code 1 unless they match\n"
    "  --help              show this text\n";

// False on a bad command line (the message is written) or after --help (`exitNow`).
bool ParseOptions(int argc, char** argv, Options& options, bool& exitNow) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "view: %s needs a value\n", arg.c_str());
                return false;
            }
            out = argv[++i];
            return true;
        };
        std::string text;
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            exitNow = true;
            return false;
        } else if (arg == "--data") {
            if (!value(options.DataRoot))
                return false;
        } else if (arg == "--model") {
            if (!value(options.Model))
                return false;
        } else if (arg == "--wall") {
            options.Wall = true;
        } else if (arg == "--grid") {
            if (!value(text))
                return false;
            options.Grid = std::clamp(std::atoi(text.c_str()), 0, 100);
        } else if (arg == "--static") {
            options.Static = true;
        } else if (arg == "--size") {
            if (!value(text) || std::sscanf(text.c_str(), "%dx%d", &options.Width, &options.Height) != 2 ||
                options.Width < 16 || options.Height < 16 || options.Width > 4096 || options.Height > 4096) {
                std::fprintf(stderr, "view: --size wants WIDTHxHEIGHT\n");
                return false;
            }
        } else if (arg == "--frames") {
            if (!value(text))
                return false;
            options.Frames = std::max(1, std::atoi(text.c_str()));
        } else if (arg == "--screenshot") {
            if (!value(options.Screenshot))
                return false;
        } else if (arg == "--zoom") {
            if (!value(text))
                return false;
            options.Zoom = std::clamp(static_cast<float>(std::atof(text.c_str())), 0.05f, 10.0f);
        } else if (arg == "--effects") {
            options.Effects = true;
        } else if (arg == "--compare-static") {
            options.CompareStatic = true;
        } else {
            std::fprintf(stderr, "view: unknown option %s\n%s", arg.c_str(), kUsage);
            return false;
        }
    }
    if (options.CompareStatic && options.Frames < 0) {
        options.Frames = 1;
    }
    return true;
}

// The .x files of Data/Meshes, by name.
std::vector<std::string> ListModels(const files::TDataRoot& root) {
    std::vector<std::string> models;
    const std::string folder = root.Resolve("Data/Meshes");
    std::error_code error;
    if (folder.empty() || !std::filesystem::is_directory(folder, error)) {
        return models;
    }
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        std::string name = entry.path().filename().string();
        std::string lower = name;
        std::transform(lower.begin(), lower.end(), lower.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (lower.size() > 2 && lower.compare(lower.size() - 2, 2, ".x") == 0) {
            models.push_back(name);
        }
    }
    std::sort(models.begin(), models.end());
    return models;
}

// A checker texture on the device for the built-in box, so lighting and texture coordinates show.
platform::TextureHandle MakeCheckerTexture(platform::GraphicsDevice& device) {
    constexpr uint32_t kSize = 64;
    const platform::TextureHandle texture =
        device.CreateTexture(kSize, kSize, 1, 0, platform::D3DFMT_A8R8G8B8, platform::D3DPOOL_MANAGED);
    std::vector<uint8_t> bgra(kSize * kSize * 4);
    for (uint32_t y = 0; y < kSize; ++y) {
        for (uint32_t x = 0; x < kSize; ++x) {
            const bool light = ((x / 8) + (y / 8)) % 2 == 0;
            uint8_t* texel = &bgra[(y * kSize + x) * 4];
            texel[0] = light ? 70 : 40;    // B
            texel[1] = light ? 150 : 80;   // G
            texel[2] = light ? 230 : 150;  // R
            texel[3] = 255;
        }
    }
    device.WriteTextureLevel(texture, 0, bgra.data(), kSize * 4);
    return texture;
}

class Viewer {
public:
    explicit Viewer(const Options& options) : options_(options), root_(options.DataRoot) {}

    int Run() {
        std::string error;
        window_ = platform::SdlWindow::Create("Brelvox viewer", options_.Width, options_.Height, error);
        if (!window_) {
            std::fprintf(stderr, "view: no window: %s\n", error.c_str());
            return 2;
        }
        window_->Show();
        render_ = std::make_unique<TRenderD3D9>(graphics_);
        if (!render_->Initialize(window_.get(), true, static_cast<uint16_t>(options_.Width),
                                 static_cast<uint16_t>(options_.Height), 1, error)) {
            std::fprintf(stderr, "view: no device: %s\n", error.c_str());
            return 2;
        }
        render_->SetTextureFilter(0, 1, 0);
        render_->SetDepthTest(true);
        scene_ = std::make_unique<TSceneManager>(*render_, root_);
        TCamera* camera = scene_->GetCamera();
        camera->SetRotation(60, 0, 0);
        camera->SetProjection(static_cast<float>(kPi / 2),
                              static_cast<float>(options_.Width) / static_cast<float>(options_.Height), 1,
                              100);
        zoom_ = options_.Zoom;
        PlaceCamera();
        meshes_ = std::make_unique<TMeshManager>(render_->Device(), root_);
        level_ = scene_->GetRoot()->AddChild(std::make_unique<TMoveableObject>("Level"));

        models_ = ListModels(root_);
        if (!options_.Model.empty()) {
            auto it = std::find(models_.begin(), models_.end(), options_.Model);
            if (it == models_.end()) {
                std::fprintf(stderr, "view: no model \"%s\" in Data/Meshes\n", options_.Model.c_str());
                return 2;
            }
            current_ = static_cast<size_t>(it - models_.begin());
        }
        if (options_.Wall || models_.empty()) {
            if (!options_.Wall) {
                std::fprintf(stderr, "view: no models in %s/Data/Meshes, showing the built-in box\n",
                             options_.DataRoot.c_str());
            }
            models_.clear();
        }
        ShowModel();

        const int result = options_.CompareStatic ? CompareStatic() : Loop();
        level_ = nullptr;
        scene_.reset();
        particleVertex_.reset();
        particlePixel_.reset();
        meshes_.reset();
        builtinTextureEntry_.Texture.Reset();
        builtin_.reset();
        render_.reset();
        return result;
    }

private:
    TMeshResource* CurrentMesh() {
        if (models_.empty()) {
            if (!builtin_) {
                builtin_ = scene_test::MakeMesh(render_->Device(), scene_test::BoxMeshText(12), "box");
                builtinTextureEntry_.Texture =
                    TUniqueTexture(render_->Device(), MakeCheckerTexture(*DeviceOf(render_->Device())));
                builtin_->Mesh->SetSubsetTexture(0, 0, &builtinTextureEntry_);
            }
            return builtin_.get();
        }
        const std::string& file = models_[current_];
        return meshes_->LoadMesh("Data/Meshes/" + file, file, platform::D3DPOOL_MANAGED,
                                 platform::D3DUSAGE_WRITEONLY);
    }

    // The game's camera follows the tank from 23 above and 12 behind; the zoom scales that offset.
    static constexpr float kCentreZ = -16.5f + 12.0f;
    void PlaceCamera() { scene_->GetCamera()->SetPosition(0, 23.0f * zoom_, kCentreZ - 12.0f * zoom_); }

    // Replaces what the level shows with the current model (or a grid of it).
    void ShowModel() {
        while (level_->GetChildCount() > 0) {
            level_->GetChild(0)->Remove();
        }
        TMeshResource* mesh = CurrentMesh();
        // The model stands where the tank would.
        const float centreZ = kCentreZ;
        if (options_.Grid > 0) {
            const float half = static_cast<float>(options_.Grid - 1) / 2.0f;
            for (int row = 0; row < options_.Grid; ++row) {
                for (int column = 0; column < options_.Grid; ++column) {
                    auto* copy = level_->AddChild(std::make_unique<TGameObject>("Wall", mesh));
                    copy->SetPosition(static_cast<float>(column) - half, 0.5f,
                                      centreZ + static_cast<float>(row) - half);
                    // Turned and scaled as the level's decorations are, each copy differently, so the
                    // instanced path must place and light every copy by its whole world matrix.
                    const int n = row * options_.Grid + column;
                    copy->SetRotation(0, static_cast<float>(n % 12) * 30.0f, 0);
                    const float scale = 0.7f + 0.05f * static_cast<float>(n % 5);
                    copy->SetScale(scale, scale, scale);
                }
            }
        } else {
            model_ = level_->AddChild(std::make_unique<TGameObject>("Model", mesh));
            model_->SetPosition(0, 0, centreZ);
            if (options_.Effects) {
                AddEffects(centreZ);
            }
        }
        if (!models_.empty()) {
            window_->SetTitle("Brelvox viewer - " + models_[current_]);
        }
    }

    // Smoke to the right of the model; explosions to the left come from Frame.
    void AddEffects(float centreZ) {
        if (!particleVertex_) {
            particleVertex_ = std::make_unique<TVertexShader>();
            particleVertex_->LoadFromFileOrLog(root_, render_->Device(), "Data/Shaders/particle.vs");
            particlePixel_ = std::make_unique<TPixelShader>();
            particlePixel_->LoadFromFileOrLog(root_, render_->Device(), "Data/Shaders/particle.ps");
            TTextureManager* textures = meshes_->GetTextureManager();
            smokeTexture_ = textures->AddTexture(render_->Device(), "Particle", "Data/Textures/particle.png");
            bangTexture_ = textures->AddTexture(render_->Device(), "Bang", "Data/Textures/bang.png");
        }
        auto* smoke = level_->AddChild(std::make_unique<TSmoke>(
            *render_, smokeTexture_->Texture.Get(), particleVertex_.get(), particlePixel_.get(), 500));
        smoke->SetPosition(2.5f, 0.5f, centreZ);
        effectsZ_ = centreZ;
        bangTimer_ = 0;
    }

    void AddBang() {
        auto* bang = level_->AddChild(std::make_unique<TBang>(
            *render_, bangTexture_->Texture.Get(), particleVertex_.get(), particlePixel_.get(), 500));
        bang->SetPosition(-2.5f, 0.5f, effectsZ_);
        bang->Variant = static_cast<uint8_t>(bangVariant_++ % 2);
    }

    // One frame: update by dt, draw, optionally read the picture back, present.
    void Frame(int32_t dt, platform::Image* picture) {
        if (options_.Effects && options_.Grid == 0) {
            bangTimer_ -= dt;
            if (bangTimer_ <= 0) {
                bangTimer_ = 1500;
                AddBang();
            }
        }
        if (options_.Grid == 0 && model_ != nullptr) {
            angle_ += static_cast<float>(dt) * 0.02f;  // degrees per millisecond: a slow turn
            model_->SetRotation(0, angle_, 0);
        }
        scene_->Update(dt);
        render_->ClearTarget(128, 128, 128);
        render_->ClearDepth();
        render_->BeginScene();
        scene_->Render();
        render_->EndScene();
        if (picture != nullptr) {
            DeviceOf(render_->Device())->ReadBackBuffer(*picture);
        }
        render_->Present();
    }

    int Loop() {
        scene_->SetInstancing(!options_.Static);
        platform::SdlInputDevice input(window_.get(), nullptr);
        platform::KeyboardSnapshot keys, previous;
        platform::SystemClock clock;
        uint32_t lastTick = clock.TickCount();
        platform::Image picture;
        for (int frame = 0; options_.Frames < 0 || frame < options_.Frames; ++frame) {
            std::vector<platform::WindowEvent> events;
            window_->PollEvents(events);
            for (const auto& event : events) {
                if (event.Type == platform::WindowEventType::Close) {
                    return 0;
                }
            }
            previous = keys;
            input.ReadKeyboard(keys);
            auto pressed = [&](uint8_t key) {
                return (keys.Keys[key] & 0x80) && !(previous.Keys[key] & 0x80);
            };
            if (pressed(platform::DIK_ESCAPE)) {
                return 0;
            }
            if (!models_.empty() && (pressed(platform::DIK_RIGHT) || pressed(platform::DIK_SPACE))) {
                current_ = (current_ + 1) % models_.size();
                ShowModel();
            } else if (!models_.empty() && pressed(platform::DIK_LEFT)) {
                current_ = (current_ + models_.size() - 1) % models_.size();
                ShowModel();
            }
            if (pressed(platform::DIK_UP) || pressed(platform::DIK_DOWN)) {
                zoom_ = std::clamp(zoom_ * (pressed(platform::DIK_UP) ? 0.8f : 1.25f), 0.05f, 10.0f);
                PlaceCamera();
            }
            int32_t dt = 16;
            if (options_.Frames < 0) {
                const uint32_t now = clock.TickCount();
                dt = static_cast<int32_t>(now - lastTick);
                lastTick = now;
            }
            const bool last = options_.Frames > 0 && frame == options_.Frames - 1;
            Frame(dt, last && !options_.Screenshot.empty() ? &picture : nullptr);
        }
        std::printf("view: %d draw calls in the last frame\n", scene_->GetDrawCallCount());
        return options_.Screenshot.empty() ? 0 : WritePicture(options_.Screenshot, picture);
    }

    static int WritePicture(const std::string& path, const platform::Image& picture) {
        std::string error;
        if (!platform::WritePngFile(path, picture, error)) {
            std::fprintf(stderr, "view: %s\n", error.c_str());
            return 2;
        }
        return 0;
    }

    // The same frame, instanced and copy by copy: the pictures must match within a small tolerance,
    // something must be drawn, and the instanced frame must take fewer draw calls.
    int CompareStatic() {
        platform::Image instanced, single;
        for (int frame = 0; frame < options_.Frames; ++frame) {
            scene_->SetInstancing(true);
            Frame(0, &instanced);
        }
        const int instancedCalls = scene_->GetDrawCallCount();
        scene_->SetInstancing(false);
        Frame(0, &single);
        const int singleCalls = scene_->GetDrawCallCount();
        if (!options_.Screenshot.empty()) {
            WritePicture(options_.Screenshot, instanced);
        }
        if (instanced.Width != single.Width || instanced.Height != single.Height || instanced.Width == 0) {
            std::fprintf(stderr, "view: no pictures to compare\n");
            return 1;
        }
        constexpr int kTolerance = 8;  // per channel, of 255
        size_t differing = 0, drawn = 0;
        const size_t pixels = static_cast<size_t>(instanced.Width) * static_cast<size_t>(instanced.Height);
        for (size_t p = 0; p < pixels; ++p) {
            int largest = 0, fromBackground = 0;
            for (int channel = 0; channel < 3; ++channel) {
                const int a = instanced.Rgba[p * 4 + static_cast<size_t>(channel)];
                const int b = single.Rgba[p * 4 + static_cast<size_t>(channel)];
                largest = std::max(largest, std::abs(a - b));
                fromBackground = std::max(fromBackground, std::abs(b - 128));
            }
            differing += largest > kTolerance ? 1 : 0;
            drawn += fromBackground > kTolerance ? 1 : 0;
        }
        std::printf("view: instanced %d calls, single %d calls; %zu of %zu pixels differ, %zu drawn\n",
                    instancedCalls, singleCalls, differing, pixels, drawn);
        const bool same = differing * 1000 <= pixels;       // at most 0.1 %
        const bool somethingDrawn = drawn * 100 >= pixels;  // at least 1 %
        const bool fewerCalls = instancedCalls < singleCalls;
        if (!same || !somethingDrawn || !fewerCalls) {
            std::fprintf(stderr, "view: instanced and single pictures %s\n",
                         !somethingDrawn ? "show nothing"
                         : !fewerCalls   ? "took the same path"
                                         : "differ");
            return 1;
        }
        return 0;
    }

    Options options_;
    files::TDataRoot root_;
    platform::GlGraphicsSystem graphics_;
    std::unique_ptr<platform::SdlWindow> window_;
    std::unique_ptr<TRenderD3D9> render_;
    std::unique_ptr<TSceneManager> scene_;
    std::unique_ptr<TMeshManager> meshes_;
    std::unique_ptr<TMeshResource> builtin_;
    TTextureResource builtinTextureEntry_;
    TMoveableObject* level_ = nullptr;
    TGameObject* model_ = nullptr;
    std::vector<std::string> models_;
    size_t current_ = 0;
    float angle_ = 0;
    float zoom_ = 1;
    std::unique_ptr<TVertexShader> particleVertex_;
    std::unique_ptr<TPixelShader> particlePixel_;
    TTextureResource* smokeTexture_ = nullptr;
    TTextureResource* bangTexture_ = nullptr;
    float effectsZ_ = 0;
    int32_t bangTimer_ = 0;
    int bangVariant_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    Options options;
    bool exitNow = false;
    if (!ParseOptions(argc, argv, options, exitNow)) {
        return exitNow ? 0 : 2;
    }
    Viewer viewer(options);
    return viewer.Run();
}
