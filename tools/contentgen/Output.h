// Where the generator's files go: everything under OUTDIR/Data, the desktop icons under
// OUTDIR/desktop, plus a manifest of what was meant
// (vertex and triangle counts of each model) beside it for the content tests.
#pragma once

#include <string>
#include <string_view>

#include "platform/GraphicsDevice.h"

namespace contentgen {

class Output {
public:
    explicit Output(std::string root) : root_(std::move(root)) {}

    // dataPath is relative to Data, with forward slashes ("Meshes/bullet.x"). Folders are created.
    // Failures are remembered; Ok() tells whether every write succeeded.
    void Write(const std::string& dataPath, std::string_view bytes);
    void WritePng(const std::string& dataPath, const platform::Image& image);
    // Files outside Data (the desktop icons): `path` is relative to OUTDIR.
    void WriteBeside(const std::string& path, std::string_view bytes);
    void WritePngBeside(const std::string& path, const platform::Image& image);
    void AddManifestLine(const std::string& line) { manifest_ += line + "\n"; }
    void Finish();

    bool Ok() const { return ok_; }

private:
    std::string root_;
    std::string manifest_;
    bool ok_ = true;
};

// A number with six decimals and the given decimal separator, the same on every machine and locale.
std::string FormatNumber(float value, char separator = '.');

}  // namespace contentgen
