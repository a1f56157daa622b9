// The committed content is exactly what the generator writes: regenerating into a temporary folder
// gives the same bytes for every generated file, and no generated folder holds a file the generator
// no longer writes.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <set>

#include "ContentSupport.h"

namespace fs = std::filesystem;
using namespace content_test;

namespace {

std::set<std::string> FilesUnder(const std::string& root) {
    std::set<std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        if (e.is_regular_file()) {
            files.insert(fs::relative(e.path(), root).generic_string());
        }
    }
    return files;
}

}  // namespace

TEST(Regenerate, GeneratedFilesMatchTheCommittedDataByteForByte) {
    TempDir temp("regen");
    int status = 0;
    RunCommand("'" + Generator() + "' '" + temp.Path() + "' 2>&1", status);
    ASSERT_EQ(status, 0) << "the generator failed";
    std::string generated = temp.Path() + "/Data";
    std::set<std::string> files = FilesUnder(generated);
    ASSERT_GT(files.size(), 60u);
    for (const std::string& f : files) {
        std::string committed = DataDir() + "/" + f;
        ASSERT_TRUE(fs::exists(committed)) << f << " is generated but not committed";
        EXPECT_TRUE(ReadAll(committed) == ReadAll(generated + "/" + f))
            << f << " differs from the generator's output";
    }
    // The desktop icons, drawn from the same models.
    const std::set<std::string> icons = FilesUnder(temp.Path() + "/desktop");
    EXPECT_EQ(icons.size(), 4u);
    for (const std::string& f : icons) {
        const std::string committed = SourceDir() + "/desktop/" + f;
        ASSERT_TRUE(fs::exists(committed)) << f << " is generated but not committed";
        EXPECT_TRUE(ReadAll(committed) == ReadAll(temp.Path() + "/desktop/" + f))
            << f << " differs from the generator's output";
    }
    for (const std::string& f : FilesUnder(SourceDir() + "/desktop/icons")) {
        EXPECT_TRUE(icons.count("icons/" + f)) << "desktop/icons/" << f << " is committed but not generated";
    }
    // Folders that hold only generated files must not keep stale ones.
    for (const char* folder : {"Meshes", "Textures", "Font", "GUI", "Sound", "Music"}) {
        for (const std::string& f : FilesUnder(DataDir() + "/" + folder)) {
            std::string rel = std::string(folder) + "/" + f;
            EXPECT_TRUE(files.count(rel)) << rel << " is committed but the generator does not write it";
        }
    }
}

TEST(Regenerate, TwoRunsGiveTheSameManifest) {
    TempDir a("manifest_a"), b("manifest_b");
    int status = 0;
    RunCommand("'" + Generator() + "' --manifest '" + a.Path() + "'", status);
    ASSERT_EQ(status, 0);
    RunCommand("'" + Generator() + "' --manifest '" + b.Path() + "'", status);
    ASSERT_EQ(status, 0);
    std::string first = ReadAll(a.Path() + "/contentgen_manifest.txt");
    EXPECT_FALSE(first.empty());
    EXPECT_EQ(first, ReadAll(b.Path() + "/contentgen_manifest.txt"));
}

TEST(Regenerate, DataStaysUnderFifteenMegabytes) {
    uintmax_t total = 0;
    for (const auto& e : fs::recursive_directory_iterator(DataDir())) {
        if (e.is_regular_file()) {
            total += e.file_size();
        }
    }
    EXPECT_LT(total, 15u * 1024 * 1024) << "Data holds " << total << " bytes";
}
