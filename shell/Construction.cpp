#include "shell/Construction.h"

#include <algorithm>
#include <filesystem>
#include <memory>

#include "platform/DirectInputKeys.h"
#include "shell/Menus.h"
#include "util/Files.h"
#include "util/GE_UTILS.h"
#include "util/Log.h"
#include "world/GameState.h"

namespace {

constexpr int kRowsPerPage = 6;
constexpr int kOpenRowsPerPage = 6;
// The editor's panels in reference pixels of 800 x 600: tools on the left, enemies and commands on
// the right, the status line at the bottom; the map shows between them.
constexpr int32_t kLeftPanel = 150;
constexpr int32_t kRightPanel = 650;
constexpr int32_t kStatusTop = 555;
// Pan speed in screen heights per second, and the edge band of the window that pans.
constexpr float kPanSpeed = 0.8f;
constexpr int32_t kEdgePixels = 4;
// The editor's view is rebuilt at most this often while a drag goes on.
constexpr int32_t kDragRefreshMs = 100;
constexpr float kTurnStep = 15.0f;
constexpr float kScaleStep = 1.1f;

constexpr int Key(uint8_t code) {
    return platform::KeyIndexOfCode(code);
}

struct TToolButton {
    const char* Widget;
    const char* Key;
    TEditTool Tool;
};
constexpr TToolButton kTools[kEditToolCount] = {
    {"Tool1", "Ground", TEditTool::Empty},
    {"Tool2", "Brick", TEditTool::Brick},
    {"Tool3", "Rock", TEditTool::Rock},
    {"Tool4", "Water", TEditTool::Water},
    {"Tool5", "Base", TEditTool::Base},
    {"Tool6", "Start", TEditTool::Start},
    {"Tool7", "Second start", TEditTool::SecondStart},
    {"Tool8", "Spawn", TEditTool::Spawn},
    {"Tool9", "Decoration", TEditTool::Decoration},
    {"Tool10", "Eraser", TEditTool::Eraser},
};
// The decoration meshes' names, in the order of kDecorationMeshes.
constexpr const char* kMeshKeys[kDecorationMeshCount] = {"Grass", "Bush", "Pine", "Tree", "Stone", "Soil"};
constexpr const char* kEnemyRows[4] = {"Kind1", "Kind2", "Kind3", "Kind4"};

// The lines the screens use besides those of their fixed widgets, tools and meshes.
constexpr const char* kLooseKeys[] = {"A name may hold 1 to 32 Latin letters, digits, - and _",
                                      "Brush",
                                      "Columns",
                                      "Rows",
                                      "Delete the level %1?",
                                      "Delete",
                                      "Edit",
                                      "Kind %1",
                                      "Level %1",
                                      "No levels yet",
                                      "Saved",
                                      "Saved as a draft: mend the problems to play it",
                                      "Score",
                                      "The level can be played",
                                      "The level cannot be played yet"};

struct TFixed {
    const char* Form;
    const char* Widget;
    const char* Key;
};
// The widgets whose text is one line of the language files.
constexpr TFixed kFixed[] = {
    {"Construction", "Title", "Construction"},
    {"Construction", "New level", "New level"},
    {"Construction", "Open a level", "Open a level"},
    {"Construction", "My levels", "My levels"},
    {"Construction", "Main menu", "Main menu"},
    {"NewLevel", "Title", "New level"},
    {"NewLevel", "Back", "Back"},
    {"NewLevel", "Create", "Create"},
    {"OpenLevel", "Title", "Open a level"},
    {"OpenLevel", "Back", "Back"},
    {"Editor", "Enemies", "Enemies"},
    {"Editor", "Undo", "Undo"},
    {"Editor", "Redo", "Redo"},
    {"Editor", "Try (F5)", "Try (F5)"},
    {"Editor", "Save", "Save"},
    {"Editor", "Back", "Back"},
    {"SaveLevel", "Title", "Save the level as"},
    {"SaveLevel", "Back", "Back"},
    {"SaveLevel", "Save", "Save"},
    {"MyLevels", "Title", "My levels"},
    {"MyLevels", "Play all", "Play all"},
    {"MyLevels", "Back", "Back"},
    {"DeleteLevel", "No", "No"},
    {"DeleteLevel", "Yes", "Yes"},
    {"LeaveEditor", "Question", "Leave without saving?"},
    {"LeaveEditor", "No", "No"},
    {"LeaveEditor", "Yes", "Yes"},
    {"LevelScore", "OK", "OK"},
};

// The name a level file suggests for saving: its file name without ".txt", when that is a valid name.
std::string NameOf(const std::string& path) {
    std::string name = ExtractFileNamePart(path);
    if (name.size() > 4 &&
        (name.compare(name.size() - 4, 4, ".txt") == 0 || name.compare(name.size() - 4, 4, ".TXT") == 0)) {
        name.resize(name.size() - 4);
    }
    std::string ignored;
    return ValidLevelName(name, ignored) ? name : std::string();
}

// A widget of no use on the page (an empty row of a list) is moved off the screen, where it is neither
// drawn nor hit, and back when it is of use again.
constexpr float kAway = 4.0f;
void ShowWidget(TGUI& gui, const char* form, const std::string& widget, bool shown) {
    TMyForm* owner = gui.FindForm(form);
    TBaseWidget* found = owner != nullptr ? owner->FindWidget(widget) : nullptr;
    if (found != nullptr && (found->X > kAway / 2) == shown) {
        found->X += shown ? -kAway : kAway;
    }
}

void Log(const std::string& text) {
    logging::Write("construction", text);
}

}  // namespace

std::vector<std::string> ConstructionTextKeys() {
    std::vector<std::string> keys;
    auto add = [&](std::string_view key) {
        if (std::find(keys.begin(), keys.end(), key) == keys.end()) {
            keys.emplace_back(key);
        }
    };
    for (const TFixed& fixed : kFixed) {
        add(fixed.Key);
    }
    for (const TToolButton& tool : kTools) {
        add(tool.Key);
    }
    for (const char* key : kMeshKeys) {
        add(key);
    }
    for (const char* key : kLooseKeys) {
        add(key);
    }
    for (std::string_view key : LevelProblemKeys()) {
        add(key);
    }
    return keys;
}

TConstruction::TConstruction(TWorld& world, TGameServices& services, TGameFlow& flow,
                             std::function<void()> loadLevelResources, const std::string& userFolder)
    : World_(world),
      Services_(services),
      Flow_(flow),
      LoadLevelResources_(std::move(loadLevelResources)),
      UserLevels_(userFolder),
      View_(world, services) {}

TMyButton::TOnClick TConstruction::MainMenuCallback() {
    return [this](TMyButton& button) { OnMainMenuClick(button); };
}

void TConstruction::BuildForms(TDeviceRef device) {
    TGUI& gui = *Services_.GUI;
    auto click = [this](TMyButton& button) { OnClick(button); };

    TMyForm& menu = *AddMenuForm(gui, device, "Construction");
    AddMenuLabel(menu, "Title", "Construction", {300, 100});
    AddMenuButton(menu, "New level", "New level", {300, 200}, click);
    AddMenuButton(menu, "Open a level", "Open a level", {300, 250}, click);
    AddMenuButton(menu, "My levels", "My levels", {300, 300}, click);
    AddMenuButton(menu, "Main menu", "Main menu", {300, 400}, click);

    TMyForm& size = *AddMenuForm(gui, device, "NewLevel");
    AddMenuLabel(size, "Title", "New level", {300, 100});
    for (int row = 0; row < 2; ++row) {
        const int32_t y = 200 + 60 * row;
        const std::string axis = row == 0 ? "W" : "H";
        AddMenuButton(size, (axis + "--").c_str(), "--", {170, y, 50, 40}, click);
        AddMenuButton(size, (axis + "-").c_str(), "-", {225, y, 50, 40}, click);
        AddMenuLabel(size, (axis + "Size").c_str(), "", {280, y, 240, 40});
        AddMenuButton(size, (axis + "+").c_str(), "+", {525, y, 50, 40}, click);
        AddMenuButton(size, (axis + "++").c_str(), "++", {580, y, 50, 40}, click);
    }
    AddMenuButton(size, "Back", "Back", {190, 400}, click);
    AddMenuButton(size, "Create", "Create", {410, 400}, click);

    TMyForm& open = *AddMenuForm(gui, device, "OpenLevel");
    AddMenuLabel(open, "Title", "Open a level", {300, 95, 200, 30});
    for (int row = 0; row < kOpenRowsPerPage; ++row) {
        AddMenuButton(open, ("Open" + std::to_string(row)).c_str(), "", {250, 135 + 48 * row, 300, 40},
                      click);
    }
    AddMenuButton(open, "Previous", "<", {190, 430, 50, 40}, click);
    AddMenuButton(open, "Next", ">", {560, 430, 50, 40}, click);
    AddMenuButton(open, "Back", "Back", {300, 490}, click);

    TMyForm& editor = *AddMenuForm(gui, device, "Editor");
    for (int i = 0; i < kEditToolCount; ++i) {
        // A little smaller than the menus' type: the longest tool names fit with their key and mark.
        AddMenuButton(editor, kTools[i].Widget, kTools[i].Key, {4, 8 + 38 * i, 142, 34}, click)->FontSize =
            0.066f;
    }
    AddMenuButton(editor, "Brush", "Brush", {4, 396, 142, 34}, click);
    // The decoration meshes, two to a row, in smaller type.
    for (int mesh = 0; mesh < kDecorationMeshCount; ++mesh) {
        AddMenuButton(editor, ("Mesh" + std::to_string(mesh)).c_str(), kMeshKeys[mesh],
                      {4 + 72 * (mesh % 2), 436 + 30 * (mesh / 2), 70, 27}, click)
            ->FontSize = 0.06f;
    }
    AddMenuLabel(editor, "Enemies", "Enemies", {654, 5, 142, 30});
    for (int kind = 0; kind < 4; ++kind) {
        const int32_t y = 38 + 62 * kind;
        AddMenuLabel(editor, kEnemyRows[kind], "", {654, y, 142, 26});
        AddMenuButton(editor, ("Fewer" + std::to_string(kind)).c_str(), "-", {665, y + 26, 55, 30}, click);
        AddMenuButton(editor, ("More" + std::to_string(kind)).c_str(), "+", {730, y + 26, 55, 30}, click);
    }
    const char* commands[] = {"Undo", "Redo", "Try (F5)", "Save", "Back"};
    for (int i = 0; i < 5; ++i) {
        AddMenuButton(editor, commands[i], commands[i], {654, 300 + 40 * i, 142, 34}, click);
    }
    // The longest problem lines (a spawn point cut off by water) take the width of the map in smaller type.
    AddMenuLabel(editor, "Status", "", {kLeftPanel + 5, kStatusTop + 5, kRightPanel - kLeftPanel - 10, 36},
                 true)
        ->FontSize = 0.075f;

    TMyForm& save = *AddMenuForm(gui, device, "SaveLevel");
    AddMenuLabel(save, "Title", "Save the level as", {300, 150});
    AddMenuEdit(save, "Name", "", {300, 220});
    AddMenuLabel(save, "Message", "", {60, 280, 680, 40});
    AddMenuButton(save, "Back", "Back", {190, 400}, click);
    AddMenuButton(save, "Save", "Save", {410, 400}, click);

    TMyForm& mine = *AddMenuForm(gui, device, "MyLevels");
    AddMenuLabel(mine, "Title", "My levels", {300, 95, 200, 30});
    AddMenuLabel(mine, "Empty", "", {200, 200, 400, 40});
    for (int row = 0; row < kRowsPerPage; ++row) {
        const int32_t y = 130 + 48 * row;
        const std::string n = std::to_string(row);
        AddMenuButton(mine, ("Play" + n).c_str(), "", {130, y, 280, 40}, click);
        AddMenuButton(mine, ("Edit" + n).c_str(), "Edit", {420, y, 120, 40}, click);
        AddMenuButton(mine, ("Delete" + n).c_str(), "Delete", {550, y, 120, 40}, click);
    }
    AddMenuButton(mine, "Previous", "<", {130, 430, 50, 40}, click);
    AddMenuButton(mine, "Play all", "Play all", {300, 430}, click);
    AddMenuButton(mine, "Next", ">", {620, 430, 50, 40}, click);
    AddMenuButton(mine, "Back", "Back", {300, 490}, click);

    TMyForm& confirm = *AddMenuForm(gui, device, "DeleteLevel");
    AddMenuLabel(confirm, "Question", "", {100, 200, 600, 40});
    AddMenuButton(confirm, "No", "No", {190, 400}, click);
    AddMenuButton(confirm, "Yes", "Yes", {410, 400}, click);

    TMyForm& leave = *AddMenuForm(gui, device, "LeaveEditor");
    AddMenuLabel(leave, "Question", "Leave without saving?", {100, 200, 600, 40});
    AddMenuButton(leave, "No", "No", {190, 400}, click);
    AddMenuButton(leave, "Yes", "Yes", {410, 400}, click);

    TMyForm& score = *AddMenuForm(gui, device, "LevelScore");
    AddMenuLabel(score, "Score", "", {300, 200});
    AddMenuButton(score, "OK", "OK", {300, 400}, click);
}

void TConstruction::LoadUserLevels() {
    std::vector<std::string> problems;
    UserLevels_.Load(problems);
    for (const std::string& problem : problems) {
        Log(problem + "; the level is left out of \"My levels\"");
    }
}

std::string TConstruction::Text(std::string_view key) const {
    std::string text =
        Services_.Languages ? Services_.Languages->GetText(key, World_.State.Language) : std::string();
    return text.empty() ? std::string(key) : text;
}

void TConstruction::ShowForm(const char* name) {
    ApplyTexts();
    if (Services_.GUI) {
        Services_.GUI->SetActiveForm(name);
    }
}

void TConstruction::ApplyTexts() {
    if (!Services_.GUI) {
        return;
    }
    TGUI& gui = *Services_.GUI;
    for (const TFixed& fixed : kFixed) {
        SetWidgetText(gui, fixed.Form, fixed.Widget, Text(fixed.Key));
    }
    SetWidgetText(gui, "NewLevel", "WSize", Text("Columns") + ": " + std::to_string(NewWidth_));
    SetWidgetText(gui, "NewLevel", "HSize", Text("Rows") + ": " + std::to_string(NewHeight_));
    for (int i = 0; i < kEditToolCount; ++i) {
        const bool chosen = Model_.Tool() == kTools[i].Tool;
        SetWidgetText(gui, "Editor", kTools[i].Widget,
                      (chosen ? "> " : "") + std::to_string((i + 1) % 10) + " " + Text(kTools[i].Key));
    }
    SetWidgetText(gui, "Editor", "Brush", Text("Brush") + (Model_.BrushSize() == 2 ? " 2x2" : " 1x1"));
    for (int mesh = 0; mesh < kDecorationMeshCount; ++mesh) {
        const bool chosen = Model_.Tool() == TEditTool::Decoration && Model_.DecorationMesh() == mesh;
        SetWidgetText(gui, "Editor", ("Mesh" + std::to_string(mesh)).c_str(),
                      (chosen ? "> " : "") + Text(kMeshKeys[mesh]));
    }
    for (int kind = 0; kind < 4; ++kind) {
        SetWidgetText(gui, "Editor", kEnemyRows[kind],
                      FillPlaceholders(Text("Kind %1"), {std::to_string(kind + 1)}) + ": " +
                          std::to_string(Model_.Enemies()[kind]));
    }
    SetWidgetText(gui, "Editor", "Status", Status());
    SetWidgetText(gui, "DeleteLevel", "Question",
                  FillPlaceholders(Text("Delete the level %1?"), {Deleting_}));
    SetWidgetText(gui, "LevelScore", "Score", Text("Score") + " : " + std::to_string(World_.State.Score));

    const std::vector<TUserLevels::TEntry>& mine = UserLevels_.Entries();
    SetWidgetText(gui, "MyLevels", "Empty", mine.empty() ? Text("No levels yet") : std::string());
    for (int row = 0; row < kRowsPerPage; ++row) {
        const std::size_t index = std::size_t(Page_ * kRowsPerPage + row);
        const bool used = index < mine.size();
        const std::string n = std::to_string(row);
        SetWidgetText(gui, "MyLevels", ("Play" + n).c_str(), used ? mine[index].Name : std::string());
        SetWidgetText(gui, "MyLevels", ("Edit" + n).c_str(), Text("Edit"));
        SetWidgetText(gui, "MyLevels", ("Delete" + n).c_str(), Text("Delete"));
        for (const char* widget : {"Play", "Edit", "Delete"}) {
            ShowWidget(gui, "MyLevels", widget + n, used);
        }
    }
    const bool minePages = mine.size() > std::size_t(kRowsPerPage);
    ShowWidget(gui, "MyLevels", "Previous", minePages);
    ShowWidget(gui, "MyLevels", "Next", minePages);
    ShowWidget(gui, "MyLevels", "Play all", !mine.empty());
    for (int row = 0; row < kOpenRowsPerPage; ++row) {
        const std::size_t index = std::size_t(Page_ * kOpenRowsPerPage + row);
        const std::string widget = "Open" + std::to_string(row);
        SetWidgetText(gui, "OpenLevel", widget.c_str(),
                      index < Openable_.size() ? Openable_[index].Title : std::string());
        ShowWidget(gui, "OpenLevel", widget, index < Openable_.size());
    }
    const bool openPages = Openable_.size() > std::size_t(kOpenRowsPerPage);
    ShowWidget(gui, "OpenLevel", "Previous", openPages);
    ShowWidget(gui, "OpenLevel", "Next", openPages);
}

std::string TConstruction::Status() const {
    if (!Message_.empty()) {
        return Message_;
    }
    const std::vector<TLevelProblem> problems = Model_.Problems();
    if (problems.empty()) {
        return Text("The level can be played");
    }
    auto translate = [this](std::string_view key) { return Text(key); };
    std::string text = LevelProblemText(problems[0], translate);
    if (problems.size() > 1) {
        text += " (+" + std::to_string(problems.size() - 1) + ")";
    }
    return text;
}

void TConstruction::OnMainMenuClick(TMyButton& button) {
    if (button.Name == "Construction") {
        ShowForm("Construction");
    } else if (button.Name == "My levels") {
        ShowMyLevels();
    }
}

void TConstruction::OnClick(TMyButton& button) {
    const std::string form = Services_.GUI ? Services_.GUI->GetActiveFormName() : std::string();
    const std::string& name = button.Name;
    if (form == "Construction") {
        if (name == "New level") {
            ShowForm("NewLevel");
        } else if (name == "Open a level") {
            Openable_.clear();
            if (Services_.Levels) {
                int number = 1;
                for (const TLevelEntry& entry : Services_.Levels->Entries()) {
                    TOpenable level{FillPlaceholders(Text("Level %1"), {std::to_string(number++)}),
                                    entry.path,
                                    {},
                                    NameOf(entry.path)};
                    std::copy(entry.enemies, entry.enemies + 4, level.Enemies);
                    Openable_.push_back(level);
                }
            }
            LoadUserLevels();
            for (const TUserLevels::TEntry& entry : UserLevels_.Entries()) {
                TOpenable level{entry.Name, entry.Path, {}, entry.Name};
                std::copy(entry.Enemies, entry.Enemies + 4, level.Enemies);
                Openable_.push_back(level);
            }
            Page_ = 0;
            ShowForm("OpenLevel");
        } else if (name == "My levels") {
            ShowMyLevels();
        } else if (name == "Main menu") {
            ShowForm("MainMenu");
        }
    } else if (form == "NewLevel") {
        const int32_t step = name.size() == 3 ? 8 : 1;
        const int32_t change = name.find('+') != std::string::npos ? step : -step;
        if (name == "Create") {
            Model_.NewLevel(NewWidth_, NewHeight_);
            StartEditing("");
        } else if (name == "Back") {
            ShowForm("Construction");
        } else if (name[0] == 'W') {
            NewWidth_ = std::clamp(NewWidth_ + change, kSmallestLevel, kLargestLevel);
        } else if (name[0] == 'H') {
            NewHeight_ = std::clamp(NewHeight_ + change, kSmallestLevel, kLargestLevel);
        }
        ApplyTexts();
    } else if (form == "OpenLevel") {
        OnOpenLevelClick(button);
    } else if (form == "Editor") {
        OnEditorClick(button);
    } else if (form == "SaveLevel") {
        if (name == "Save") {
            Save();
        } else {
            ShowForm("Editor");
        }
    } else if (form == "MyLevels") {
        OnMyLevelsClick(button);
    } else if (form == "DeleteLevel") {
        if (name == "Yes" && SaveFiles_) {
            std::string error;
            if (!UserLevels_.Remove(Deleting_, error)) {
                Flow_.ReportSaveFailure(UserLevels_.ListPath(), error);
            }
        }
        ShowMyLevels();
    } else if (form == "LeaveEditor") {
        if (name == "Yes") {
            LeaveEditor("Construction");
        } else {
            ShowForm("Editor");
        }
    } else if (form == "LevelScore") {
        ShowMyLevels();
    }
}

void TConstruction::OnOpenLevelClick(TMyButton& button) {
    const std::string& name = button.Name;
    const int pages = std::max(1, int((Openable_.size() + kOpenRowsPerPage - 1) / kOpenRowsPerPage));
    if (name == "Back") {
        ShowForm("Construction");
    } else if (name == "Previous" || name == "Next") {
        Page_ = std::clamp(Page_ + (name == "Next" ? 1 : -1), 0, pages - 1);
        ApplyTexts();
    } else if (name.rfind("Open", 0) == 0) {
        const std::size_t index = std::size_t(Page_ * kOpenRowsPerPage + std::stoi(name.substr(4)));
        if (index >= Openable_.size()) {
            return;
        }
        const TOpenable& chosen = Openable_[index];
        TLevelDescription level;
        std::string error;
        if (!ReadLevelFile(Services_.Root, chosen.Path, level, error)) {
            Log(error);
            return;
        }
        Model_.Open(level, chosen.Enemies);
        StartEditing(chosen.Name);
    }
}

bool TConstruction::OpenFile(const std::string& path, std::string& error) {
    TLevelDescription level;
    if (!ReadLevelFile(Services_.Root, path, level, error)) {
        return false;
    }
    uint8_t enemies[4] = {4, 0, 0, 0};
    LoadUserLevels();
    const std::string real = Services_.Root.Resolve(path);
    std::error_code ignored;
    auto same = [&](const std::string& other) {
        const std::string resolved = Services_.Root.Resolve(other);
        return !resolved.empty() && std::filesystem::equivalent(resolved, real, ignored);
    };
    if (Services_.Levels) {
        for (const TLevelEntry& entry : Services_.Levels->Entries()) {
            if (same(entry.path)) {
                std::copy(entry.enemies, entry.enemies + 4, enemies);
            }
        }
    }
    for (const TUserLevels::TEntry& entry : UserLevels_.Entries()) {
        if (same(entry.Path)) {
            std::copy(entry.Enemies, entry.Enemies + 4, enemies);
        }
    }
    Model_.Open(level, enemies);
    StartEditing(NameOf(path));
    return true;
}

void TConstruction::StartEditing(const std::string& name) {
    Name_ = name;
    Message_.clear();
    if (LoadLevelResources_) {
        LoadLevelResources_();
    }
    Camera_ = TEditorCamera::Over(Model_.Level().Width, Model_.Level().Height);
    MouseWasDown_ = false;
    Refresh(true);
    ShowForm("Editor");
}

void TConstruction::AskToLeave() {
    if (Model_.Modified()) {
        ShowForm("LeaveEditor");
    } else {
        LeaveEditor("Construction");
    }
}

void TConstruction::UpdateMenus(const TInput& input) {
    if (!Services_.GUI || Services_.GUI->GetActiveFormName() != "LeaveEditor") {
        return;
    }
    if (input.KeyReleased(KEY_ENTER) || input.KeyReleased(KEY_NUMPAD_ENTER)) {
        LeaveEditor("Construction");
    } else if (input.KeyReleased(KEY_ESCAPE)) {  // also a gamepad's Start
        ShowForm("Editor");
    }
}

void TConstruction::LeaveEditor(const char* form) {
    View_.Hide();
    View_.Leave();
    ShowForm(form);
}

bool TConstruction::Editing() const {
    return !World_.State.InGame && Services_.GUI && Services_.GUI->GetActiveFormName() == "Editor";
}

void TConstruction::Refresh(bool force) {
    if (!force && ShownRevision_ == Model_.Revision() && View_.Shown()) {
        return;
    }
    ShownRevision_ = Model_.Revision();
    SinceRefreshMs_ = 0;
    View_.Show(Model_.Level());
    View_.Aim(Camera_);
}

void TConstruction::OnEditorClick(TMyButton& button) {
    const std::string& name = button.Name;
    for (int i = 0; i < kEditToolCount; ++i) {
        if (name == kTools[i].Widget) {
            Model_.SetTool(kTools[i].Tool);
        }
    }
    if (name == "Brush") {
        Model_.SetBrushSize(3 - Model_.BrushSize());
    } else if (name.rfind("Mesh", 0) == 0) {
        Model_.SetDecorationMesh(name.back() - '0');
        Model_.SetTool(TEditTool::Decoration);
    } else if (name.rfind("Fewer", 0) == 0 || name.rfind("More", 0) == 0) {
        Model_.ChangeEnemies(name.back() - '0', name[0] == 'M' ? 1 : -1);
    } else if (name == "Undo") {
        Model_.Undo();
    } else if (name == "Redo") {
        Model_.Redo();
    } else if (name == "Try (F5)") {
        Try();
        return;
    } else if (name == "Save") {
        OpenSaveForm();
        return;
    } else if (name == "Back") {
        AskToLeave();
        return;
    }
    Message_.clear();
    ApplyTexts();
}

void TConstruction::Try() {
    const std::vector<TLevelProblem> problems = Model_.Problems();
    if (!Playable(problems)) {
        SetMessage(Text("The level cannot be played yet") + ": " +
                   LevelProblemText(problems[0], [this](std::string_view key) { return Text(key); }));
        ApplyTexts();
        return;
    }
    TLevelEntry entry;
    entry.path = Name_.empty() ? std::string("(new level)") : Name_;
    entry.level = std::make_shared<TLevelDescription>(Model_.Level());
    std::copy(Model_.Enemies(), Model_.Enemies() + 4, entry.enemies);
    View_.Hide();
    View_.Leave();
    Trying_ = true;
    if (!Flow_.PlayOwnLevels({entry}, [this]() { ReturnFromTry(); })) {
        Trying_ = false;
        Refresh(true);
        ShowForm("Editor");
    }
}

void TConstruction::ReturnFromTry() {
    Trying_ = false;
    Message_.clear();
    Refresh(true);
    ShowForm("Editor");
}

void TConstruction::OpenSaveForm() {
    if (Services_.GUI) {
        SetWidgetText(*Services_.GUI, "SaveLevel", "Name", Name_);
        SetWidgetText(*Services_.GUI, "SaveLevel", "Message", "");
        if (TMyForm* form = Services_.GUI->FindForm("SaveLevel")) {
            form->Focus = "Name";
        }
    }
    ShowForm("SaveLevel");
}

void TConstruction::Save() {
    const std::string name = Services_.GUI ? GetWidgetText(*Services_.GUI, "SaveLevel", "Name") : Name_;
    std::string error;
    if (!ValidLevelName(name, error)) {
        Log(error);
        SetWidgetText(*Services_.GUI, "SaveLevel", "Message",
                      Text("A name may hold 1 to 32 Latin letters, digits, - and _"));
        return;
    }
    if (SaveFiles_ && !UserLevels_.Save(name, Model_.Level(), Model_.Enemies(), error)) {
        Flow_.ReportSaveFailure(UserLevels_.Folder() + "/" + name + ".txt", error);
        ShowForm("Editor");
        return;
    }
    Name_ = name;
    Model_.MarkSaved();
    Message_ =
        Playable(Model_.Problems()) ? Text("Saved") : Text("Saved as a draft: mend the problems to play it");
    ShowForm("Editor");
}

void TConstruction::ShowMyLevels() {
    LoadUserLevels();
    const int pages = std::max(1, int((UserLevels_.Entries().size() + kRowsPerPage - 1) / kRowsPerPage));
    Page_ = std::clamp(Page_, 0, pages - 1);
    ShowForm("MyLevels");
}

void TConstruction::OnMyLevelsClick(TMyButton& button) {
    const std::string& name = button.Name;
    const std::vector<TUserLevels::TEntry>& mine = UserLevels_.Entries();
    const int pages = std::max(1, int((mine.size() + kRowsPerPage - 1) / kRowsPerPage));
    auto row = [&](std::size_t prefix) {
        return std::size_t(Page_ * kRowsPerPage + std::stoi(name.substr(prefix)));
    };
    if (name == "Back") {
        Page_ = 0;
        ShowForm("MainMenu");
    } else if (name == "Previous" || name == "Next") {
        Page_ = std::clamp(Page_ + (name == "Next" ? 1 : -1), 0, pages - 1);
        ApplyTexts();
    } else if (name == "Play all") {
        std::vector<TLevelEntry> all;
        for (const TLevelEntry& entry : UserLevels_.PlayList()) {
            // Drafts that fail a check are skipped.
            TLevelDescription level;
            std::string error;
            if (ReadLevelFile(Services_.Root, entry.path, level, error) &&
                Playable(CheckLevel(level, entry.enemies))) {
                all.push_back(entry);
            }
        }
        if (!all.empty()) {
            PlayOwn(all);
        }
    } else if (name.rfind("Play", 0) == 0 && row(4) < mine.size()) {
        const TLevelEntry entry = UserLevels_.PlayList()[row(4)];
        TLevelDescription level;
        std::string error;
        if (ReadLevelFile(Services_.Root, entry.path, level, error) &&
            Playable(CheckLevel(level, entry.enemies))) {
            PlayOwn({entry});
        }
    } else if (name.rfind("Edit", 0) == 0 && row(4) < mine.size()) {
        const TUserLevels::TEntry& entry = mine[row(4)];
        TLevelDescription level;
        std::string error;
        if (ReadLevelFile(Services_.Root, entry.Path, level, error)) {
            Model_.Open(level, entry.Enemies);
            StartEditing(entry.Name);
        }
    } else if (name.rfind("Delete", 0) == 0 && row(6) < mine.size()) {
        Deleting_ = mine[row(6)].Name;
        ShowForm("DeleteLevel");
    }
}

void TConstruction::PlayOwn(std::vector<TLevelEntry> levels) {
    if (!Flow_.PlayOwnLevels(std::move(levels), [this]() { ShowForm("LevelScore"); })) {
        ShowMyLevels();
    }
}

void TConstruction::EditorKeys(const TInput& input) {
    const bool control = input.KeyDown(KEY_LEFT_CTRL) || input.KeyDown(Key(platform::DIK_RCONTROL));
    const bool shift = input.KeyDown(KEY_LEFT_SHIFT) || input.KeyDown(KEY_RIGHT_SHIFT);
    bool changed = false;
    if (control && input.KeyReleased(Key(platform::DIK_Z))) {
        changed = shift ? Model_.Redo() : Model_.Undo();
    } else if (control && input.KeyReleased(Key(platform::DIK_Y))) {
        changed = Model_.Redo();
    } else if (control && input.KeyReleased(Key(platform::DIK_S))) {
        OpenSaveForm();
        return;
    } else if (input.KeyReleased(Key(platform::DIK_F5))) {
        Try();
        return;
    } else if (input.KeyReleased(KEY_ESCAPE)) {
        AskToLeave();
        return;
    } else if (!control) {
        for (int i = 0; i < kEditToolCount; ++i) {  // 1 to 9, then 0
            if (input.KeyReleased(Key(static_cast<uint8_t>(platform::DIK_1 + i)))) {
                Model_.SetTool(kTools[i].Tool);
                changed = true;
            }
        }
        if (input.KeyReleased(Key(platform::DIK_B))) {
            Model_.SetBrushSize(3 - Model_.BrushSize());
            changed = true;
        }
        if (input.KeyReleased(Key(platform::DIK_TAB))) {
            Model_.SetDecorationMesh(Model_.DecorationMesh() + 1);
            changed = true;
        }
        const struct {
            uint8_t Code;
            float Turn, Scale;
        } kDecorationKeys[] = {{platform::DIK_Q, -kTurnStep, 1.0f},
                               {platform::DIK_E, kTurnStep, 1.0f},
                               {platform::DIK_LBRACKET, 0.0f, 1.0f / kScaleStep},
                               {platform::DIK_RBRACKET, 0.0f, kScaleStep}};
        for (const auto& key : kDecorationKeys) {
            if (input.KeyReleased(Key(key.Code))) {
                if (key.Turn != 0.0f) {
                    Model_.TurnDecoration(key.Turn);
                } else {
                    Model_.ScaleDecoration(key.Scale);
                }
                changed = true;
            }
        }
    }
    if (changed) {
        Message_.clear();
        ApplyTexts();
    }
}

void TConstruction::UpdateEditor(int32_t dt, const TInput& input, int32_t cursorX, int32_t cursorY,
                                 int32_t screenWidth, int32_t screenHeight) {
    EditorKeys(input);
    if (!Editing()) {
        return;  // the keys left the editor
    }
    const TLevelDescription& level = Model_.Level();
    // Pan: the drive keys (and the gamepad's left stick and D-pad), the arrows, the cursor at an edge.
    float dx = 0.0f;
    float dz = 0.0f;
    const bool control = input.KeyDown(KEY_LEFT_CTRL);
    if (!control) {
        dx += (input.DriveKeyDown(KEY_D) || input.KeyDown(Key(platform::DIK_RIGHT))) ? 1.0f : 0.0f;
        dx -= (input.DriveKeyDown(KEY_A) || input.KeyDown(Key(platform::DIK_LEFT))) ? 1.0f : 0.0f;
        dz += (input.DriveKeyDown(KEY_W) || input.KeyDown(Key(platform::DIK_UP))) ? 1.0f : 0.0f;
        dz -= (input.DriveKeyDown(KEY_S) || input.KeyDown(Key(platform::DIK_DOWN))) ? 1.0f : 0.0f;
    }
    dx += cursorX >= screenWidth - kEdgePixels ? 1.0f : (cursorX < kEdgePixels ? -1.0f : 0.0f);
    dz += cursorY < kEdgePixels ? 1.0f : (cursorY >= screenHeight - kEdgePixels ? -1.0f : 0.0f);
    const float seconds = static_cast<float>(dt) / 1000.0f;
    Camera_.Pan(dx * kPanSpeed * seconds, dz * kPanSpeed * seconds, level.Width, level.Height);
    Camera_.Zoom(input.MouseWheel());
    View_.Aim(Camera_);

    // The map takes the mouse between the panels.
    const int32_t refX = screenWidth > 0 ? cursorX * 800 / screenWidth : 0;
    const int32_t refY = screenHeight > 0 ? cursorY * 600 / screenHeight : 0;
    const bool overMap = refX >= kLeftPanel && refX < kRightPanel && refY < kStatusTop;
    float x = 0.0f;
    float z = 0.0f;
    const bool onGround = View_.GroundPoint(cursorX, cursorY, screenWidth, screenHeight, x, z);
    const TGridPoint cell = CellAt(x, z, level.Width, level.Height);
    Hover_ = overMap && onGround ? cell : TGridPoint{-1, -1};
    const bool down = input.MouseButtonDown(0);
    if (down && !MouseWasDown_ && overMap && onGround) {
        Model_.Press(cell.X, cell.Y, x, z);
        Message_.clear();
    } else if (down && Model_.Dragging() && onGround) {
        Model_.Drag(cell.X, cell.Y, x, z);
    } else if (!down && Model_.Dragging()) {
        Model_.Release();
        ApplyTexts();
    }
    MouseWasDown_ = down;

    SinceRefreshMs_ += dt;
    if (!Model_.Dragging() || SinceRefreshMs_ >= kDragRefreshMs) {
        Refresh(false);
    }
    // The scene lives as in the game (the water breathes, the base's cube turns), and the update
    // gathers what is drawn.
    if (Services_.SceneManager) {
        Services_.SceneManager->Update(dt);
    }
}

void TConstruction::DrawEditor() {
    if (!Services_.SceneManager) {
        return;
    }
    Services_.SceneManager->Render();
    std::vector<TGridPoint> marked;
    for (const TLevelProblem& problem : Model_.Problems()) {
        if (problem.Kind != TLevelProblemKind::NoStart && problem.Kind != TLevelProblemKind::NoSpawnPoint &&
            problem.Kind != TLevelProblemKind::NoEnemy) {
            marked.push_back(problem.Cell);
        }
    }
    const int32_t brush = Model_.Tool() <= TEditTool::Water   ? Model_.BrushSize()
                          : Model_.Tool() <= TEditTool::Spawn ? 2
                                                              : 1;
    View_.DrawOverlay(Model_.Level(), marked, Hover_, brush, World_.State.ScreenWidth,
                      World_.State.ScreenHeight);
}
