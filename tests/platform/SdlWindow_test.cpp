// The SDL window and desktop under the test's X server, and the headless stand-ins the shell tests use.
#include "platform/SdlWindow.h"

#include <gtest/gtest.h>

#include "platform/Clock.h"
#include "platform/HeadlessWindow.h"
#include "platform/SdlDesktop.h"

#include <SDL.h>

#include <cstdlib>
#include <string>

using namespace platform;

namespace {

TEST(SdlWindow, ClientSizeAndFrameEncloseEachOther) {
    std::string error;
    auto window = SdlWindow::Create("Brelvox", 320, 200, error);
    ASSERT_TRUE(window) << error;
    window->Show();
    EXPECT_EQ(window->ClientWidth(), 320);
    EXPECT_EQ(window->ClientHeight(), 200);
    window->SetClientSize(400, 300);
    EXPECT_EQ(window->ClientWidth(), 400);
    EXPECT_EQ(window->ClientHeight(), 300);
    EXPECT_GE(window->FrameWidth(), window->ClientWidth());
    EXPECT_GE(window->FrameHeight(), window->ClientHeight());
    window->SetFramePosition(40, 30);
    std::vector<WindowEvent> events;
    window->PollEvents(events);
    EXPECT_EQ(window->FrameLeft(), 40);
    EXPECT_EQ(window->FrameTop(), 30);
}

TEST(SdlWindow, QuitRequestArrivesAsClose) {
    std::string error;
    auto window = SdlWindow::Create("Brelvox", 64, 64, error);
    ASSERT_TRUE(window) << error;
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
    std::vector<WindowEvent> events;
    window->PollEvents(events);
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back().Type, WindowEventType::Close);
}

TEST(SdlDesktop, PointerGoesWhereItIsPutAndTheScreenHasASize) {
    SdlDesktop desktop;
    EXPECT_GT(desktop.ScreenWidth(), 0);
    EXPECT_GT(desktop.ScreenHeight(), 0);
    desktop.SetCursorPosition(123, 77);
    int x = 0;
    int y = 0;
    desktop.GetCursorPosition(x, y);
    EXPECT_EQ(x, 123);
    EXPECT_EQ(y, 77);
    EXPECT_EQ(desktop.WarpCount(), 1u);
}

// SDL would take its offscreen driver for a display that does not answer; the start is refused with the
// display named. A driver asked for by name is taken, the offscreen one too.
TEST(SdlVideo, ADisplayThatDoesNotAnswerIsRefusedByNameAndADriverAskedForIsTaken) {
    const char* display = std::getenv("DISPLAY");
    const std::string saved = display != nullptr ? display : "";
    setenv("DISPLAY", ":9876", 1);
    unsetenv("SDL_VIDEODRIVER");
    std::string error;
    EXPECT_FALSE(StartVideo(error));
    EXPECT_NE(error.find("DISPLAY=:9876"), std::string::npos) << error;
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    EXPECT_TRUE(StartVideo(error)) << error;
    EXPECT_STREQ(SDL_GetCurrentVideoDriver(), "offscreen");
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    unsetenv("SDL_VIDEODRIVER");
    if (display != nullptr) {
        setenv("DISPLAY", saved.c_str(), 1);
    } else {
        unsetenv("DISPLAY");
    }
}

TEST(SystemClock, TicksMoveForward) {
    SystemClock clock;
    uint32_t first = clock.TickCount();
    SDL_Delay(20);
    EXPECT_GE(clock.TickCount() - first, 15u);
}

TEST(HeadlessWindow, RemembersAndHandsOutEvents) {
    HeadlessWindow window(800, 600);
    window.SetWindowed(true);
    EXPECT_EQ(window.FrameWidth(), 800 + 2 * HeadlessWindow::kBorder);
    window.SetWindowed(false);
    EXPECT_EQ(window.FrameWidth(), 800);
    window.PushEvent(WindowEventType::Close);
    window.Minimize();
    std::vector<WindowEvent> events;
    window.PollEvents(events);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].Type, WindowEventType::Close);
    EXPECT_EQ(events[1].Type, WindowEventType::Minimize);
    events.clear();
    window.PollEvents(events);
    EXPECT_TRUE(events.empty());

    HeadlessDesktop desktop;
    desktop.ShowMessageBox("Brelvox", "Data/Config.txt: missing");
    ASSERT_EQ(desktop.Messages().size(), 1u);
    EXPECT_EQ(desktop.Messages()[0].Text, "Data/Config.txt: missing");
}

}  // namespace
