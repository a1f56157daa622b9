#include "render/Shaders.h"

#include "util/Files.h"
#include "util/Log.h"

using namespace platform;

void TShader::ReleaseShader() {
    Shader_.Reset();
}

bool TShader::LoadFromFile(const files::TDataRoot& root, TDeviceRef deviceRef, std::string_view fileName,
                           std::string_view functionName, std::string& error) {
    ReleaseShader();
    FileName_ = std::string(fileName);
    FunctionName_ = std::string(functionName);

    std::string source;
    if (!root.ReadFile(fileName, source, error)) {
        return false;
    }
    return LoadFromSource(deviceRef, source, fileName, error);
}

void TShader::LoadFromFileOrLog(const files::TDataRoot& root, TDeviceRef deviceRef,
                                std::string_view fileName) {
    std::string error;
    if (!LoadFromFile(root, deviceRef, fileName, "main", error)) {
        logging::Write("render", error);
    }
}

bool TShader::LoadFromSource(TDeviceRef deviceRef, std::string_view source, std::string_view name,
                             std::string& error) {
    ReleaseShader();
    GraphicsDevice* device = DeviceOf(deviceRef);
    if (device == nullptr) {
        error = std::string(name) + ": no graphics device to compile the shader on";
        return false;
    }
    std::string messages;
    TUniqueShader shader(deviceRef, device->CreateShader(Stage_, source, messages));
    if (!messages.empty()) {
        // Warnings count as failures: the shader stays empty and draws run without this stage.
        error = std::string(name) + ": shader not compiled:\n" + messages;
        return false;
    }
    if (!shader) {
        error = std::string(name) + ": shader not compiled";
        return false;
    }
    Shader_ = std::move(shader);
    return true;
}

TPixelShader* TShaderManager::AddPixelShader(std::string_view name, std::string_view fileName,
                                             std::string_view functionName) {
    PixelShaders_.push_back(std::make_unique<TPixelShader>());
    PixelNames_.emplace_back(name);
    std::string error;
    if (!PixelShaders_.back()->LoadFromFile(Root_, DeviceRef_, fileName, functionName, error)) {
        logging::Write("render", error);
    }
    return PixelShaders_.back().get();
}

TVertexShader* TShaderManager::AddVertexShader(std::string_view name, std::string_view fileName,
                                               std::string_view functionName) {
    VertexShaders_.push_back(std::make_unique<TVertexShader>());
    VertexNames_.emplace_back(name);
    std::string error;
    if (!VertexShaders_.back()->LoadFromFile(Root_, DeviceRef_, fileName, functionName, error)) {
        logging::Write("render", error);
    }
    return VertexShaders_.back().get();
}

TPixelShader* TShaderManager::GetPixelShader(std::string_view name) const {
    TPixelShader* found = nullptr;
    for (size_t i = 0; i < PixelNames_.size(); ++i) {
        if (PixelNames_[i] == name)
            found = PixelShaders_[i].get();
    }
    return found;
}

TVertexShader* TShaderManager::GetVertexShader(std::string_view name) const {
    TVertexShader* found = nullptr;
    for (size_t i = 0; i < VertexNames_.size(); ++i) {
        if (VertexNames_[i] == name)
            found = VertexShaders_[i].get();
    }
    return found;
}
