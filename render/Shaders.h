// TVertexShader and TPixelShader wrap one compiled shader each; TShaderManager keeps shaders by name.
//
// Sources are GLSL files read through the case-insensitive game-file look-up in the data root the
// caller gives, and compiled by the device.
// A missing file, or any message from the compiler (errors or warnings), leaves the shader empty and
// gives false with the message, naming the file. Binding an empty shader binds none.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/GraphicsDevice.h"
#include "render/DeviceResource.h"
#include "render/RenderDevice.h"
#include "util/Files.h"

// The common part of both shader kinds. Not copied; the shader is released with the object.
class TShader {
public:
    TShader(const TShader&) = delete;
    TShader& operator=(const TShader&) = delete;

    // Stores the three values, releases any shader held and compiles the file. True when a shader was
    // created; false with an `error` otherwise. `functionName` is recorded only: GLSL shaders always
    // start at "main".
    bool LoadFromFile(const files::TDataRoot& root, TDeviceRef deviceRef, std::string_view fileName,
                      std::string_view functionName, std::string& error);
    // Compiles a source held in memory; `name` is used in messages. True when a shader was created.
    bool LoadFromSource(TDeviceRef deviceRef, std::string_view source, std::string_view name,
                        std::string& error);
    // LoadFromFile of a "main" shader whose failure is only logged (under "render"): the game draws on
    // without the stage.
    void LoadFromFileOrLog(const files::TDataRoot& root, TDeviceRef deviceRef, std::string_view fileName);
    void ReleaseShader();

    platform::ShaderHandle Handle() const { return Shader_.Get(); }
    const std::string& FileName() const { return FileName_; }
    const std::string& FunctionName() const { return FunctionName_; }

protected:
    explicit TShader(platform::ShaderStage stage) : Stage_(stage) {}
    ~TShader() = default;

private:
    platform::ShaderStage Stage_;
    TUniqueShader Shader_;
    std::string FileName_;
    std::string FunctionName_;
};

class TVertexShader : public TShader {
public:
    TVertexShader() : TShader(platform::ShaderStage::Vertex) {}
};

class TPixelShader : public TShader {
public:
    TPixelShader() : TShader(platform::ShaderStage::Pixel) {}
};

// Shaders by name, owned. Names are compared exactly and case-sensitively; adding a name again does
// not replace the earlier entry, but look-up returns the one added last. Files are read from `root`.
class TShaderManager {
public:
    TShaderManager(TDeviceRef deviceRef, files::TDataRoot root)
        : DeviceRef_(deviceRef), Root_(std::move(root)) {}
    TShaderManager(const TShaderManager&) = delete;
    TShaderManager& operator=(const TShaderManager&) = delete;

    // Creates and loads a shader and returns it (empty when it did not compile, never nullptr).
    TPixelShader* AddPixelShader(std::string_view name, std::string_view fileName,
                                 std::string_view functionName);
    TVertexShader* AddVertexShader(std::string_view name, std::string_view fileName,
                                   std::string_view functionName);
    // The last shader added under `name`, or nullptr.
    TPixelShader* GetPixelShader(std::string_view name) const;
    TVertexShader* GetVertexShader(std::string_view name) const;

    int32_t VertexCount() const { return static_cast<int32_t>(VertexShaders_.size()); }
    int32_t PixelCount() const { return static_cast<int32_t>(PixelShaders_.size()); }

private:
    TDeviceRef DeviceRef_;
    files::TDataRoot Root_;
    std::vector<std::unique_ptr<TVertexShader>> VertexShaders_;
    std::vector<std::unique_ptr<TPixelShader>> PixelShaders_;
    std::vector<std::string> VertexNames_;
    std::vector<std::string> PixelNames_;
};
