// The screens BuildMenus makes and the texts ApplyLanguage sets.
#include "shell/Menus.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "input/KeyBindings.h"
#include "platform/HeadlessWindow.h"
#include "platform/RecordingDevice.h"
#include "shell/Languages.h"
#include "shell/ResolutionChooser.h"
#include "shell/StartupFiles.h"
#include "util/Files.h"
#include "util/GE_UTILS.h"
#include "world/GameState.h"

namespace {

class Menus : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(render_.Initialize(&window_, true, 800, 600, 1, error)) << error;
        gui_ = std::make_unique<TGUI>(render_, files::TDataRoot(BRELVOX_SOURCE_DIR), nullptr,
                                      kGuiVertexShader, kGuiPixelShader, nullptr, nullptr);
        ASSERT_TRUE(gui_->LoadSkin(files::TDataRoot(BRELVOX_SOURCE_DIR), kSkinInfoFile, kSkinWidth,
                                   kSkinHeight, error))
            << error;
        TMenuCallbacks callbacks;
        auto record = [this](const char* group) {
            return [this, group](TMyButton& button) {
                clicks_.push_back(std::string(group) + ":" + button.Name);
            };
        };
        callbacks.MainMenu = record("main");
        callbacks.Options = record("options");
        callbacks.PauseMenu = record("pause");
        callbacks.Exit = record("exit");
        callbacks.NextLevel = record("next");
        callbacks.EnterName = record("name");
        callbacks.ReturnToMainMenu = record("back");
        BuildMenus(*gui_, render_.Device(), callbacks);
    }
    void TearDown() override { gui_.reset(); }
    TBaseWidget* Widget(const char* form, const char* name) {
        TMyForm* owner = gui_->FindForm(form);
        return owner != nullptr ? owner->FindWidget(name) : nullptr;
    }
    std::vector<std::string> Names(const char* form) {
        std::vector<std::string> names;
        TMyForm* owner = gui_->FindForm(form);
        for (size_t i = 0; owner != nullptr && i < owner->WidgetCount(); ++i) {
            names.push_back(owner->Widget(i)->Name);
        }
        return names;
    }

    platform::HeadlessWindow window_{800, 600};
    platform::RecordingGraphicsSystem graphics_;
    TRenderD3D9 render_{graphics_};
    std::unique_ptr<TGUI> gui_;
    TGameState state_;
    std::vector<std::string> clicks_;
};

TEST_F(Menus, TenFormsInOrderEachWithItsWidgets) {
    const char* forms[] = {"Game", "MainMenu",  "Options",   "EnterName",        "Author",
                           "Exit", "PauseMenu", "NextLevel", "Table of records", "Help"};
    ASSERT_EQ(gui_->FormCount(), 10u);
    for (const char* form : forms) {
        ASSERT_NE(gui_->FindForm(form), nullptr) << form;
        EXPECT_EQ(gui_->FindForm(form)->Device, render_.Device());
    }
    EXPECT_EQ(Names("Game"), (std::vector<std::string>{"Armour", "Clock", "Scores", "Armour2"}));
    EXPECT_EQ(Names("MainMenu"), (std::vector<std::string>{"Play", "Table of records", "Help", "Options",
                                                           "Author", "Exit", "Two players"}));
    EXPECT_EQ(Names("Options"),
              (std::vector<std::string>{"FullScreen", "1024", "800", "Language", "Display", "UKR", "ENG",
                                        "RUS", "Cencel", "OK", "ModeLess", "Mode", "ModeMore"}));
    EXPECT_EQ(Names("EnterName"), (std::vector<std::string>{"Enter name", "Record", "Name", "OK"}));
    EXPECT_EQ(Names("Exit"), (std::vector<std::string>{"Exit_Verification", "Cencel", "OK"}));
    EXPECT_EQ(Names("PauseMenu"), (std::vector<std::string>{"PauseMenu", "Continue", "MainMenu"}));
    EXPECT_EQ(Names("NextLevel"), (std::vector<std::string>{"Victory", "NextLevel", "MainMenu"}));
    EXPECT_EQ(Names("Table of records"),
              (std::vector<std::string>{"Table of records", "1", "2", "3", "4", "5", "OK"}));
    EXPECT_EQ(Names("Help"),
              (std::vector<std::string>{"Help", "OK", "1", "2", "3", "Bomb", "Armour", "Remount", "Life",
                                        "Wall", "Upgrade", "Time", "4", "5"}));
    EXPECT_EQ(Names("Author").size(), 4u);
    EXPECT_EQ(Names("Author")[0], "Created");
    EXPECT_EQ(Names("Author")[3], "OK");
}

TEST_F(Menus, PlacesSizesAndStylesInReferencePixels) {
    TBaseWidget* play = Widget("MainMenu", "Play");
    EXPECT_FLOAT_EQ(play->X, 300.0f / 800 * 2 - 1);
    EXPECT_FLOAT_EQ(play->Y, -(150.0f / 600 * 2 - 1));
    EXPECT_FLOAT_EQ(play->Width, 200.0f * 2 / 800);
    EXPECT_FLOAT_EQ(play->Height, 40.0f * 2 / 600);
    EXPECT_FLOAT_EQ(play->FontSize, 0.1f);
    EXPECT_EQ(play->FontColor.R + play->FontColor.G + play->FontColor.B + play->FontColor.A, 0);

    TBaseWidget* clock = Widget("Game", "Clock");
    EXPECT_FLOAT_EQ(clock->Y, -(200.0f / 768 * 2 - 1));
    EXPECT_FLOAT_EQ(clock->Width, 100.0f * 2 / 1024);
    EXPECT_FLOAT_EQ(clock->FontSize, 0.13f);
    EXPECT_EQ(clock->FontColor.B, 255);
    EXPECT_EQ(clock->FontColor.R, 0);
    EXPECT_EQ(clock->HAlign, 1);
    EXPECT_EQ(Widget("Game", "Scores")->HAlign, 0);

    auto* box = dynamic_cast<TMyCheckBox*>(Widget("Options", "FullScreen"));
    ASSERT_NE(box, nullptr);
    EXPECT_FLOAT_EQ(box->BoxWidth, 30.0f * 2 / 800);
    EXPECT_FLOAT_EQ(box->BoxHeight, 30.0f * 2 / 600);
    EXPECT_FLOAT_EQ(box->BoxMarginX, 5.0f * 2 / 800);
    auto* radio1024 = dynamic_cast<TMyRadioButton*>(Widget("Options", "1024"));
    auto* radioRus = dynamic_cast<TMyRadioButton*>(Widget("Options", "RUS"));
    ASSERT_TRUE(radio1024 && radioRus);
    EXPECT_EQ(radio1024->Group, 1);
    EXPECT_TRUE(radio1024->Ticked);
    EXPECT_EQ(radioRus->Group, 0);
    EXPECT_TRUE(dynamic_cast<TMyRadioButton*>(Widget("Options", "ENG"))->Ticked);

    TBaseWidget* line = Widget("Help", "2");
    EXPECT_FLOAT_EQ(line->Height, 20.0f * 2 / 600);
    EXPECT_EQ(line->HAlign, 0);
    EXPECT_FLOAT_EQ(Widget("Help", "Time")->X, 420.0f / 800 * 2 - 1);
    EXPECT_FLOAT_EQ(Widget("Table of records", "3")->Y, -(250.0f / 600 * 2 - 1));
    EXPECT_EQ(Widget("Table of records", "3")->HAlign, 0);
}

TEST_F(Menus, DefaultTextsBeforeTheFirstLanguage) {
    EXPECT_EQ(GetWidgetText(*gui_, "MainMenu", "Options"), "Options");
    EXPECT_EQ(GetWidgetText(*gui_, "Options", "FullScreen"), "Fullscreen/Window");
    EXPECT_EQ(GetWidgetText(*gui_, "PauseMenu", "MainMenu"), "Main Menu");
    EXPECT_EQ(GetWidgetText(*gui_, "Help", "Time"), "\"Freezes\" enemies");
    EXPECT_EQ(GetWidgetText(*gui_, "Author", "OK"), "\xCE\xCA");
    EXPECT_EQ(GetWidgetText(*gui_, "Table of records", "1"), "1. ");
    EXPECT_EQ(GetWidgetText(*gui_, "EnterName", "Name"), "");
}

TEST_F(Menus, ApplyLanguage_SetsTheLanguageAndTheTextsOfItsKeys) {
    TLanguages languages;
    std::string error;
    ASSERT_TRUE(languages.LoadFromBytes("Grajte\nNalashtuvannja\nVyhid\n", "Igrat\nNastrojki\nVyhod\n",
                                        "Play\nSettings\nExit\n", error))
        << error;
    ApplyLanguage(state_, *gui_, languages, kLanguageEnglish);
    EXPECT_EQ(state_.Language, kLanguageEnglish);
    EXPECT_EQ(GetWidgetText(*gui_, "MainMenu", "Options"), "Settings");
    ApplyLanguage(state_, *gui_, languages, kLanguageRussian);
    EXPECT_EQ(GetWidgetText(*gui_, "MainMenu", "Options"), "Nastrojki");
    EXPECT_EQ(GetWidgetText(*gui_, "MainMenu", "Play"), "Igrat");
    // Keys the table lacks empty their widgets; the widgets it never touches keep their texts.
    EXPECT_EQ(GetWidgetText(*gui_, "MainMenu", "Help"), "");
    EXPECT_EQ(GetWidgetText(*gui_, "Help", "OK"), "OK");
    EXPECT_EQ(GetWidgetText(*gui_, "Author", "OK"), "\xCE\xCA");
    EXPECT_EQ(GetWidgetText(*gui_, "Game", "Scores"), "Scores:");
}

TEST_F(Menus, ApplyLanguage_ShippedFilesFillEveryTranslatedWidget) {
    TLanguages languages;
    std::string error;
    ASSERT_TRUE(languages.LoadFromFiles(files::TDataRoot(BRELVOX_SOURCE_DIR), kUkrainianFile, kRussianFile,
                                        kEnglishFile, error))
        << error;
    for (uint8_t language = 0; language < 3; ++language) {
        ApplyLanguage(state_, *gui_, languages, language);
        for (const char* form : {"MainMenu", "PauseMenu", "Options", "Exit", "NextLevel", "Help"}) {
            for (const std::string& name : Names(form)) {
                // The chooser's label shows a size when the screen opens.
                if ((std::string(form) == "Help" && name == "OK") || name == "Mode") {
                    continue;
                }
                EXPECT_FALSE(GetWidgetText(*gui_, form, name.c_str()).empty()) << form << ": " << name;
            }
        }
    }
    ApplyLanguage(state_, *gui_, languages, kLanguageUkrainian);
    EXPECT_EQ(GetWidgetText(*gui_, "Options", "UKR"), std::string(kKeyUkrainianName));
}

TEST_F(Menus, HelpNamesTheKeysAsBoundAndTheDesignedLinesForTheDefaults) {
    TLanguages languages;
    std::string error;
    ASSERT_TRUE(languages.LoadFromFiles(files::TDataRoot(BRELVOX_SOURCE_DIR), kUkrainianFile, kRussianFile,
                                        kEnglishFile, error))
        << error;
    ApplyLanguage(state_, *gui_, languages, kLanguageEnglish);
    const auto name = [](uint16_t code) { return "k" + std::to_string(code); };
    const std::vector<std::string> designed = {
        GetWidgetText(*gui_, "Help", "1"), GetWidgetText(*gui_, "Help", "3"),
        GetWidgetText(*gui_, "Help", "4"), GetWidgetText(*gui_, "Help", "5")};
    auto lines = [this] {
        return std::vector<std::string>{GetWidgetText(*gui_, "Help", "1"), GetWidgetText(*gui_, "Help", "3"),
                                        GetWidgetText(*gui_, "Help", "4"), GetWidgetText(*gui_, "Help", "5")};
    };
    ShowBoundControls(*gui_, languages, kLanguageEnglish, {}, {}, name);
    EXPECT_EQ(lines(), designed);
    EXPECT_EQ(designed[0], "Moving: W,A,S,D");

    TKeyBindings first;
    first.Codes = {0x17, 0x25, 0x24, 0x26, 0x39, 0x01};  // I, K, J, L, Space, Escape
    TSecondKeyBindings second;
    second.Codes = {0x48, 0x50, 0x4B, 0x4D, 0x9C, 0x33, 0x34};  // the keypad's arrows and Enter
    ShowBoundControls(*gui_, languages, kLanguageEnglish, first, second, name);
    EXPECT_EQ(lines(), (std::vector<std::string>{"Moving: k23,k36,k37,k38", "Shooting: k57",
                                                 "Player 2: k72,k75,k80,k77, fire: k156", designed[3]}));
    second.Codes[SecondTurretRight] = 0x35;
    ShowBoundControls(*gui_, languages, kLanguageRussian, TKeyBindings{}, second, name);
    EXPECT_EQ(GetWidgetText(*gui_, "Help", "1"), languages.GetText("Moving: W,A,S,D", kLanguageRussian));
    EXPECT_EQ(GetWidgetText(*gui_, "Help", "5"),
              "\xC1\xE0\xF8\xED\xFF \xE8\xE3\xF0\xEE\xEA\xE0 2: k51 \xE8 k53");
    // Back to the defaults: the designed lines again.
    ShowBoundControls(*gui_, languages, kLanguageEnglish, {}, {}, name);
    EXPECT_EQ(lines(), designed);
}

TEST_F(Menus, Credits_PerLanguage) {
    SetCreditTexts(*gui_, kLanguageUkrainian);
    std::string ukrainian = GetWidgetText(*gui_, "Author", kCreditMusicLabel);
    SetCreditTexts(*gui_, kLanguageRussian);
    std::string russian = GetWidgetText(*gui_, "Author", kCreditMusicLabel);
    SetCreditTexts(*gui_, kLanguageEnglish);
    EXPECT_EQ(GetWidgetText(*gui_, "Author", kCreditMusicLabel), "Music: Exhilarate by the Brelvox team");
    EXPECT_NE(ukrainian, russian);
    EXPECT_NE(ukrainian.find("Exhilarate"), std::string::npos);
    EXPECT_NE(russian.find("Exhilarate"), std::string::npos);
    EXPECT_NE(GetWidgetText(*gui_, "Author", kCreditAuthorLabel).find("Brelvox team"), std::string::npos);
    EXPECT_FALSE(GetWidgetText(*gui_, "Author", kCreditRightsLabel).empty());
}

TEST_F(Menus, ButtonsCarryTheirGroupsCallback) {
    for (auto [form, button] : {std::pair{"MainMenu", "Exit"},
                                {"Options", "OK"},
                                {"PauseMenu", "Continue"},
                                {"Exit", "Cencel"},
                                {"NextLevel", "NextLevel"},
                                {"EnterName", "OK"},
                                {"Help", "OK"},
                                {"Author", "OK"},
                                {"Table of records", "OK"}}) {
        auto* widget = dynamic_cast<TMyButton*>(Widget(form, button));
        ASSERT_NE(widget, nullptr) << form << ": " << button;
        ASSERT_TRUE(widget->OnClick) << form << ": " << button;
        widget->OnClick(*widget);
    }
    EXPECT_EQ(clicks_,
              (std::vector<std::string>{"main:Exit", "options:OK", "pause:Continue", "exit:Cencel",
                                        "next:NextLevel", "name:OK", "back:OK", "back:OK", "back:OK"}));
}

// The sizes offered: the desktop's first, then what fits it (the display's modes and the usual sizes,
// each once, largest first), and the design's two always.
TEST_F(Menus, ResolutionChooser_DesktopFirstThenWhatFitsLargestFirst) {
    using platform::ScreenSize;
    const std::vector<ScreenSize> sizes = TResolutionChooser::Offered(
        1920, 1080, {{1920, 1080}, {1280, 720}, {2560, 1440}, {1280, 720}, {720, 400}, {1400, 1050}});
    ASSERT_FALSE(sizes.empty());
    EXPECT_EQ(sizes[0].Width, 1920);
    EXPECT_EQ(sizes[0].Height, 1080);
    const auto count = [&](int width, int height) {
        return std::count_if(sizes.begin(), sizes.end(), [&](const ScreenSize& size) {
            return size.Width == width && size.Height == height;
        });
    };
    EXPECT_EQ(count(1920, 1080), 1);
    EXPECT_EQ(count(1280, 720), 1);
    EXPECT_EQ(count(1400, 1050), 1);  // a mode of the display's own
    EXPECT_EQ(count(1600, 900), 1);   // a usual size that fits
    EXPECT_EQ(count(2560, 1440), 0);  // larger than the desktop
    EXPECT_EQ(count(720, 400), 0);    // smaller than a window may be
    EXPECT_EQ(count(1024, 768), 1);
    EXPECT_EQ(count(800, 600), 1);
    for (size_t i = 2; i < sizes.size(); ++i) {
        EXPECT_GE(sizes[i - 1].Width * sizes[i - 1].Height, sizes[i].Width * sizes[i].Height);
    }
    // A desktop smaller than the design's sizes still offers them.
    EXPECT_EQ(TResolutionChooser::Offered(640, 480, {}).size(), 3u);
}

TEST_F(Menus, ResolutionChooser_ArrowsAndRadioButtonsAgree) {
    TResolutionChooser chooser;
    chooser.SetSizes(TResolutionChooser::Offered(1920, 1080, {}));
    auto* radio800 = dynamic_cast<TMyRadioButton*>(Widget("Options", "800"));
    auto* radio1024 = dynamic_cast<TMyRadioButton*>(Widget("Options", "1024"));
    ASSERT_TRUE(radio800 && radio1024);
    chooser.Show(*gui_, 800, 600, "(desktop)");
    EXPECT_EQ(GetWidgetText(*gui_, "Options", "Mode"), "800x600");
    EXPECT_TRUE(radio800->Ticked);
    EXPECT_FALSE(radio1024->Ticked);
    chooser.Step(*gui_, 1);  // past the last size: the desktop's own
    EXPECT_EQ(GetWidgetText(*gui_, "Options", "Mode"), "1920x1080 (desktop)");
    EXPECT_FALSE(radio800->Ticked);
    EXPECT_EQ(chooser.Chosen(*gui_).Width, 1920);
    chooser.Step(*gui_, -1);
    EXPECT_EQ(GetWidgetText(*gui_, "Options", "Mode"), "800x600");
    EXPECT_TRUE(radio800->Ticked);
    // The player ticks 1024x768: the chooser goes there.
    radio800->Ticked = false;
    radio1024->Ticked = true;
    chooser.Follow(*gui_);
    EXPECT_EQ(GetWidgetText(*gui_, "Options", "Mode"), "1024x768");
    EXPECT_EQ(chooser.Chosen(*gui_).Height, 768);
    // A size the options file names and the display does not offer is shown and kept.
    chooser.Show(*gui_, 1000, 700, "(desktop)");
    EXPECT_EQ(GetWidgetText(*gui_, "Options", "Mode"), "1000x700");
    EXPECT_FALSE(radio1024->Ticked);
    EXPECT_EQ(chooser.Chosen(*gui_).Width, 1000);
}

}  // namespace
