// Where the game finds Data and where it keeps what it writes: the search order and its message, an
// installed Data recognised even where it could be written, and a whole game's options and record
// saved into the per-user folder with the design's bytes while the shared Data stays as it was.
#include "shell/UserFiles.h"

#include <filesystem>

#include "ShellTestSupport.h"
#include "shell/Check.h"

namespace fs = std::filesystem;

namespace {

// A fresh folder under /tmp, removed with the object.
struct ScratchFolder {
    ScratchFolder() {
        char pattern[] = "/tmp/brelvox_places_XXXXXX";
        Path = mkdtemp(pattern) != nullptr ? pattern : "";
    }
    ~ScratchFolder() { RemoveFolder(Path); }
    std::string Make(const std::string& relative) const {
        fs::create_directories(Path + "/" + relative);
        return Path + "/" + relative;
    }
    std::string Path;
};

}  // namespace

TEST(FindDataRoot, SearchesTheProgramFolderThenShareThenTheCurrentFolder) {
    ScratchFolder scratch;
    ASSERT_FALSE(scratch.Path.empty());
    const std::string bin = scratch.Make("prefix/bin");
    scratch.Make("prefix/share/brelvox/Data");
    std::string root, error;
    ASSERT_TRUE(FindDataRoot("", bin, root, error)) << error;
    EXPECT_EQ(fs::canonical(root), fs::canonical(scratch.Path + "/prefix/share/brelvox"));

    scratch.Make("prefix/bin/data");  // any letter case; beside the program wins
    ASSERT_TRUE(FindDataRoot("", bin, root, error)) << error;
    EXPECT_EQ(root, bin);

    const std::string given = scratch.Make("mine");
    scratch.Make("mine/Data");
    ASSERT_TRUE(FindDataRoot(given, bin, root, error)) << error;
    EXPECT_EQ(root, given);
}

TEST(FindDataRoot, NamesEveryPlaceTriedWhenNoneHoldsData) {
    ScratchFolder scratch;
    const std::string bin = scratch.Make("empty/bin");
    const fs::path previous = fs::current_path();
    fs::current_path(scratch.Make("elsewhere"));
    std::string root, error;
    const bool found = FindDataRoot("", bin, root, error);
    fs::current_path(previous);
    ASSERT_FALSE(found);
    for (const std::string& place :
         {bin, scratch.Path + "/empty/share/brelvox", scratch.Path + "/elsewhere"}) {
        EXPECT_NE(error.find(place), std::string::npos) << place << " not in: " << error;
    }
    EXPECT_FALSE(FindDataRoot(scratch.Path + "/empty", bin, root, error));
    EXPECT_NE(error.find("holds no Data"), std::string::npos) << error;
}

TEST(IsSharedData, AnInstalledTreeIsSharedEvenWhenWritable) {
    ScratchFolder scratch;
    scratch.Make("usr/share/brelvox/Data");
    scratch.Make("tree/Data");
    EXPECT_TRUE(IsSharedData(scratch.Path + "/usr/share/brelvox"));
    EXPECT_TRUE(IsSharedData(scratch.Path + "/usr/bin/../share/brelvox/"));
    EXPECT_FALSE(IsSharedData(scratch.Path + "/tree"));
    fs::permissions(scratch.Path + "/tree/Data",
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    EXPECT_EQ(IsSharedData(scratch.Path + "/tree"), geteuid() != 0);  // root writes anyway
}

class SharedData : public ShellTest {};

TEST_F(SharedData, OptionsAndRecordGoToThePerUserFolderAndDataStaysAsItWas) {
    const std::string user = Root + "/home/.local/share/brelvox";
    const std::string shippedOptions = Slurp("Data/options.txt");
    Services.UserFiles = ChooseUserFiles(true, user + "/");
    EXPECT_EQ(Services.UserFiles.OptionsRead, kOptionsFile);  // nothing saved yet: the shipped file
    EXPECT_EQ(Services.UserFiles.ScreenshotFolder(), user + "/screenshots");

    Click("Options");
    ASSERT_EQ(ActiveForm(), "Options");
    Click("UKR");
    Click("1024");
    Click("OK");
    ASSERT_EQ(ActiveForm(), "MainMenu");
    Click("Play");
    World.State.Score = 700;
    World.State.GameOver = true;
    Frame(10);
    ASSERT_EQ(ActiveForm(), "EnterName");
    Click("OK");

    std::ifstream options(user + "/options.txt", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(options), {}),
              "Windowed = true\r\nScreenWidth = 1024\r\nScreenHeight = 768\r\nLanguage = UKR");
    std::ifstream records(user + "/table_of_records.txt", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(records), {}),
              "Unnamed\r\n700\r\nUnnamed\r\n0\r\nUnnamed\r\n0\r\nUnnamed\r\n0\r\nUnnamed\r\n0\r\n");
    EXPECT_EQ(Slurp("Data/options.txt"), shippedOptions);
    EXPECT_FALSE(fs::exists(Root + "/Data/table_of_records.txt"));
    EXPECT_FALSE(fs::exists(Root + "/Data/Options.txt"));

    // The next start reads the player's copies, and the data check looks at them.
    const TUserFiles next = ChooseUserFiles(true, user);
    EXPECT_EQ(next.OptionsRead, user + "/options.txt");
    EXPECT_EQ(next.RecordsRead, user + "/table_of_records.txt");
    TGameState state;
    std::string error;
    ASSERT_TRUE(LoadOptions(Services.Root, next.OptionsRead, state, error)) << error;
    EXPECT_EQ(state.ScreenWidth, 1024);
    std::ofstream(user + "/table_of_records.txt", std::ios::binary) << "ada\r\nlots\r\n";
    const std::vector<std::string> problems = CheckGameData(Services.Root, next);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find(user + "/table_of_records.txt"), std::string::npos) << problems[0];
}

TEST_F(SharedData, DataOfItsOwnKeepsTheFilesInData) {
    Services.UserFiles = ChooseUserFiles(false, Root + "/not_used/brelvox");
    Click("Options");
    Click("OK");
    EXPECT_EQ(Slurp("Data/options.txt"),
              "Windowed = true\r\nScreenWidth = 800\r\nScreenHeight = 600\r\nLanguage = ENG");
    EXPECT_FALSE(fs::exists(Root + "/not_used"));
}
