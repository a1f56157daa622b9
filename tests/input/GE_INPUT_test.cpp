#include "input/GE_INPUT.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <string>

#include "platform/DirectInputKeys.h"

namespace {

// UTF-8 text to Windows-1251 bytes through the C library's converter, so the expected Cyrillic bytes
// do not come from the same hand-written table as the code under test.
std::string ToCp1251(const std::string& utf8) {
    iconv_t cd = iconv_open("CP1251", "UTF-8");
    EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1));
    std::string in = utf8;
    std::string out(in.size(), '\0');
    char* inPtr = in.data();
    char* outPtr = out.data();
    size_t inLeft = in.size();
    size_t outLeft = out.size();
    const size_t done = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    EXPECT_NE(done, static_cast<size_t>(-1)) << utf8;
    iconv_close(cd);
    out.resize(out.size() - outLeft);
    return out;
}

class InputTest : public ::testing::Test {
protected:
    void SetUp() override { input.Init(&device); }

    void Set(int keyIndex, bool down) { device.SetKey(TInput::KeyCode(keyIndex), down); }

    // Presses a key for one poll and lets it go in the next; returns the character typed then.
    uint8_t Tap(int keyIndex, bool shift = false) {
        Set(KEY_LEFT_SHIFT, shift);
        Set(keyIndex, true);
        input.Poll();
        Set(keyIndex, false);
        input.Poll();
        const uint8_t typed = input.TypedChar();
        Set(KEY_LEFT_SHIFT, false);
        input.Poll();
        return typed;
    }

    // The characters typed by tapping the keys first..first+count-1 in order.
    std::string TapRange(int first, int count, bool shift) {
        std::string typed;
        for (int keyIndex = first; keyIndex < first + count; ++keyIndex) {
            typed.push_back(static_cast<char>(Tap(keyIndex, shift)));
        }
        return typed;
    }

    platform::ScriptedInputDevice device;
    TInput input;
};

// A device whose reads can be made to fail, as when the window loses the focus.
class FailingDevice final : public platform::InputDevice {
public:
    bool ReadKeyboard(platform::KeyboardSnapshot& snapshot) override {
        if (!keyboardOk)
            return false;
        return inner.ReadKeyboard(snapshot);
    }
    bool ReadMouse(platform::MouseSnapshot& snapshot) override {
        if (!mouseOk)
            return false;
        return inner.ReadMouse(snapshot);
    }
    platform::ScriptedInputDevice inner;
    bool keyboardOk = true;
    bool mouseOk = true;
};

}  // namespace

TEST(InputKeyTable, CoversTheDirectInputCodesInAscendingOrder) {
    for (int i = 0; i <= 82; ++i) {
        EXPECT_EQ(TInput::KeyCode(i), i + 1) << "index " << i;
    }
    for (int i = 1; i < TInput::KeyCount; ++i) {
        EXPECT_LT(TInput::KeyCode(i - 1), TInput::KeyCode(i)) << "index " << i;
    }
    EXPECT_EQ(TInput::KeyCode(83), platform::DIK_F11);
    EXPECT_EQ(TInput::KeyCode(95), platform::DIK_DIVIDE);
    EXPECT_EQ(TInput::KeyCode(123), platform::DIK_MEDIASELECT);
    EXPECT_EQ(TInput::KeyCode(124), 0);
    EXPECT_EQ(TInput::KeyCode(-1), 0);
}

TEST(InputKeyTable, NamedKeysHaveTheirDirectInputCodes) {
    EXPECT_EQ(TInput::KeyCode(KEY_ESCAPE), platform::DIK_ESCAPE);
    EXPECT_EQ(TInput::KeyCode(KEY_BACKSPACE), platform::DIK_BACK);
    EXPECT_EQ(TInput::KeyCode(KEY_W), platform::DIK_W);
    EXPECT_EQ(TInput::KeyCode(KEY_ENTER), platform::DIK_RETURN);
    EXPECT_EQ(TInput::KeyCode(KEY_LEFT_CTRL), platform::DIK_LCONTROL);
    EXPECT_EQ(TInput::KeyCode(KEY_A), platform::DIK_A);
    EXPECT_EQ(TInput::KeyCode(KEY_S), platform::DIK_S);
    EXPECT_EQ(TInput::KeyCode(KEY_D), platform::DIK_D);
    EXPECT_EQ(TInput::KeyCode(KEY_LEFT_SHIFT), platform::DIK_LSHIFT);
    EXPECT_EQ(TInput::KeyCode(KEY_RIGHT_SHIFT), platform::DIK_RSHIFT);
    EXPECT_EQ(TInput::KeyCode(KEY_LEFT_ALT), platform::DIK_LMENU);
    EXPECT_EQ(TInput::KeyCode(KEY_RIGHT_ALT), platform::DIK_RMENU);
}

TEST_F(InputTest, HeldKeyIsReleasedInExactlyThePollAfterItGoesUp) {
    Set(KEY_W, true);
    for (int poll = 0; poll < 4; ++poll) {
        input.Poll();
        EXPECT_TRUE(input.KeyDown(KEY_W));
        EXPECT_FALSE(input.KeyReleased(KEY_W)) << "poll " << poll;
    }
    Set(KEY_W, false);
    input.Poll();
    EXPECT_FALSE(input.KeyDown(KEY_W));
    EXPECT_TRUE(input.KeyReleased(KEY_W));
    input.Poll();
    EXPECT_FALSE(input.KeyReleased(KEY_W));
    EXPECT_FALSE(input.KeyReleased(KEY_A));
}

TEST_F(InputTest, OutOfRangeKeysAndButtonsAreNeverDown) {
    device.SetKey(0, true);
    device.SetButton(3, true);
    input.Poll();
    EXPECT_FALSE(input.KeyDown(-1));
    EXPECT_FALSE(input.KeyDown(TInput::KeyCount));
    EXPECT_FALSE(input.MouseButtonDown(4));
    EXPECT_FALSE(input.MouseButtonDown(-1));
    EXPECT_TRUE(input.MouseButtonDown(3));
}

TEST_F(InputTest, MouseButtonClickIsTheReleaseEdge) {
    device.SetButton(0, true);
    input.Poll();
    input.Poll();
    EXPECT_TRUE(input.MouseButtonDown(0));
    EXPECT_FALSE(input.MouseButtonReleased(0));
    EXPECT_FALSE(input.MouseButtonDown(1));
    device.SetButton(0, false);
    input.Poll();
    EXPECT_FALSE(input.MouseButtonDown(0));
    EXPECT_TRUE(input.MouseButtonReleased(0));
    input.Poll();
    EXPECT_FALSE(input.MouseButtonReleased(0));
}

TEST_F(InputTest, MouseDeltasAreThisPollsMotion) {
    device.MoveMouse(5, -3);
    device.MoveMouse(2, 1);
    input.Poll();
    EXPECT_FLOAT_EQ(input.MouseDeltaX(), 7.0f);
    EXPECT_FLOAT_EQ(input.MouseDeltaY(), -2.0f);
    input.Poll();
    EXPECT_FLOAT_EQ(input.MouseDeltaX(), 0.0f);
    EXPECT_FLOAT_EQ(input.MouseDeltaY(), 0.0f);
}

TEST(InputFailures, UnreadableKeyboardMeansNoKeyDown) {
    FailingDevice device;
    TInput input;
    input.Init(&device);
    device.inner.SetKey(TInput::KeyCode(KEY_W), true);
    input.Poll();
    EXPECT_TRUE(input.KeyDown(KEY_W));
    device.keyboardOk = false;
    input.Poll();
    EXPECT_FALSE(input.KeyDown(KEY_W));
    EXPECT_TRUE(input.KeyReleased(KEY_W));
}

TEST(InputFailures, UnreadableMouseKeepsButtonsAndDoesNotDrift) {
    FailingDevice device;
    TInput input;
    input.Init(&device);
    device.inner.SetButton(0, true);
    device.inner.MoveMouse(10, 4);
    input.Poll();
    EXPECT_FLOAT_EQ(input.MouseDeltaX(), 10.0f);
    device.mouseOk = false;
    input.Poll();
    EXPECT_TRUE(input.MouseButtonDown(0));
    EXPECT_FALSE(input.MouseButtonReleased(0));
    EXPECT_FLOAT_EQ(input.MouseDeltaX(), 0.0f);
    EXPECT_FLOAT_EQ(input.MouseDeltaY(), 0.0f);
}

TEST(InputFailures, NoDeviceReadsNothing) {
    TInput input;
    input.Poll();
    for (int i = 0; i < TInput::KeyCount; ++i) {
        EXPECT_FALSE(input.KeyDown(i));
    }
    EXPECT_FALSE(input.MouseButtonDown(0));
    EXPECT_EQ(input.TypedChar(), 0);
}

TEST_F(InputTest, LayoutStartsEnglishAndCtrlShiftCyclesThroughThree) {
    EXPECT_EQ(input.KeyboardLayout, TInput::LayoutEnglish);
    Set(KEY_LEFT_CTRL, true);
    const uint8_t expected[] = {1, 2, 0, 1};
    for (uint8_t layout : expected) {
        Set(KEY_LEFT_SHIFT, true);
        input.Poll();
        input.Poll();
        Set(KEY_LEFT_SHIFT, false);
        input.Poll();
        EXPECT_EQ(input.KeyboardLayout, layout);
        input.Poll();
        EXPECT_EQ(input.KeyboardLayout, layout) << "only the release poll switches";
    }
}

TEST_F(InputTest, ReleasingCtrlWhileShiftHeldSwitchesOnce) {
    Set(KEY_LEFT_SHIFT, true);
    Set(KEY_LEFT_CTRL, true);
    for (int poll = 0; poll < 5; ++poll) {
        input.Poll();
    }
    EXPECT_EQ(input.KeyboardLayout, 0) << "holding both does not switch";
    Set(KEY_LEFT_CTRL, false);
    input.Poll();
    EXPECT_EQ(input.KeyboardLayout, 1);
    Set(KEY_LEFT_SHIFT, false);
    input.Poll();
    EXPECT_EQ(input.KeyboardLayout, 1) << "the second release has no partner held";
}

TEST_F(InputTest, ReleasingBothInOnePollDoesNotSwitch) {
    Set(KEY_LEFT_SHIFT, true);
    Set(KEY_LEFT_CTRL, true);
    input.Poll();
    Set(KEY_LEFT_SHIFT, false);
    Set(KEY_LEFT_CTRL, false);
    input.Poll();
    EXPECT_EQ(input.KeyboardLayout, 0);
}

TEST_F(InputTest, RightShiftOrRightCtrlDoNotSwitch) {
    Set(KEY_RIGHT_SHIFT, true);
    Set(KEY_LEFT_CTRL, true);
    input.Poll();
    Set(KEY_RIGHT_SHIFT, false);
    input.Poll();
    EXPECT_EQ(input.KeyboardLayout, 0);
}

TEST_F(InputTest, ShiftedWTypesCapitalWInEnglishAndTseInRussian) {
    EXPECT_EQ(Tap(KEY_W, true), 'W');
    EXPECT_EQ(Tap(KEY_W, false), 'w');
    input.KeyboardLayout = TInput::LayoutRussian;
    EXPECT_EQ(Tap(KEY_W, true), static_cast<uint8_t>(ToCp1251("Ц")[0]));
    EXPECT_EQ(Tap(KEY_W, false), static_cast<uint8_t>(ToCp1251("ц")[0]));
}

TEST_F(InputTest, RightShiftAlsoShifts) {
    Set(KEY_RIGHT_SHIFT, true);
    Set(KEY_A, true);
    input.Poll();
    Set(KEY_A, false);
    input.Poll();
    EXPECT_EQ(input.TypedChar(), 'A');
}

TEST_F(InputTest, EnglishRowsTypeTheUsLayout) {
    EXPECT_EQ(TapRange(1, 12, false), "1234567890-=");
    EXPECT_EQ(TapRange(1, 12, true), "!@#$%^&*()_+");
    EXPECT_EQ(TapRange(15, 12, false), "qwertyuiop[]");
    EXPECT_EQ(TapRange(15, 12, true), "QWERTYUIOP{}");
    EXPECT_EQ(TapRange(29, 12, false), "asdfghjkl;'`");
    EXPECT_EQ(TapRange(29, 12, true), "ASDFGHJKL:\"~");
    EXPECT_EQ(TapRange(42, 11, false), "\\zxcvbnm,./");
    EXPECT_EQ(TapRange(42, 11, true), "|ZXCVBNM<>?");
    EXPECT_EQ(TapRange(70, 13, false), "789-456+1230.");
    EXPECT_EQ(TapRange(70, 13, true), "789-456+1230.");
}

TEST_F(InputTest, UkrainianRowsTypeWindows1251) {
    input.KeyboardLayout = TInput::LayoutUkrainian;
    EXPECT_EQ(TapRange(1, 12, false), "1234567890-=");
    EXPECT_EQ(TapRange(1, 12, true), ToCp1251("!\"№;%:?*()_+"));
    EXPECT_EQ(TapRange(15, 12, false), ToCp1251("йцукенгшщзхї"));
    EXPECT_EQ(TapRange(15, 12, true), ToCp1251("ЙЦУКЕНГШЩЗХЇ"));
    EXPECT_EQ(TapRange(29, 12, false), ToCp1251("фівапролджєё"));
    EXPECT_EQ(TapRange(29, 12, true), ToCp1251("ФІВАПРОЛДЖЄЁ"));
    EXPECT_EQ(TapRange(42, 11, false), ToCp1251("\\ячсмитьбю."));
    EXPECT_EQ(TapRange(42, 11, true), ToCp1251("/ЯЧСМИТЬБЮ,"));
}

TEST_F(InputTest, RussianRowsTypeWindows1251) {
    input.KeyboardLayout = TInput::LayoutRussian;
    EXPECT_EQ(TapRange(1, 12, true), ToCp1251("!\"№;%:?*()_+"));
    EXPECT_EQ(TapRange(15, 12, false), ToCp1251("йцукенгшщзхъ"));
    EXPECT_EQ(TapRange(15, 12, true), ToCp1251("ЙЦУКЕНГШЩЗХЪ"));
    EXPECT_EQ(TapRange(29, 12, false), ToCp1251("фывапролджэё"));
    EXPECT_EQ(TapRange(29, 12, true), ToCp1251("ФЫВАПРОЛДЖЭЁ"));
    EXPECT_EQ(TapRange(42, 11, false), ToCp1251("\\ячсмитьбю."));
    EXPECT_EQ(TapRange(42, 11, true), ToCp1251("/ЯЧСМИТЬБЮ,"));
}

TEST_F(InputTest, SharedKeysAreAlikeInEveryLayout) {
    for (uint8_t layout = 0; layout < 3; ++layout) {
        input.KeyboardLayout = layout;
        for (bool shift : {false, true}) {
            EXPECT_EQ(Tap(54, shift), '*');
            EXPECT_EQ(Tap(56, shift), ' ');
            EXPECT_EQ(Tap(95, shift), '/');
            EXPECT_EQ(TapRange(70, 13, shift), "789-456+1230.");
        }
    }
}

TEST_F(InputTest, KeysWithoutCharactersTypeNothingInAnyLayout) {
    const int silent[] = {0, 13, 14, 27, 28, 41, 53, 55, 57, 58, 67, 69, 83, 94, 96, 123};
    for (uint8_t layout = 0; layout < 3; ++layout) {
        for (bool shift : {false, true}) {
            for (int keyIndex : silent) {
                EXPECT_EQ(TInput::CharOf(layout, shift, keyIndex), 0)
                    << "layout " << int(layout) << " key " << keyIndex;
            }
        }
    }
    input.KeyboardLayout = TInput::LayoutUkrainian;
    EXPECT_EQ(Tap(KEY_ESCAPE), 0);
}

TEST_F(InputTest, NothingReleasedTypesNothing) {
    Set(KEY_A, true);
    input.Poll();
    input.Poll();
    EXPECT_EQ(input.TypedChar(), 0);
}

TEST_F(InputTest, OnlyTheFirstReleasedKeyCounts) {
    Set(KEY_W, true);  // index 16
    Set(KEY_A, true);  // index 29
    input.Poll();
    Set(KEY_W, false);
    Set(KEY_A, false);
    input.Poll();
    EXPECT_EQ(input.TypedChar(), 'w');

    Set(KEY_ESCAPE, true);  // index 0, no character
    Set(KEY_A, true);
    input.Poll();
    Set(KEY_ESCAPE, false);
    Set(KEY_A, false);
    input.Poll();
    EXPECT_EQ(input.TypedChar(), 0);
}

TEST_F(InputTest, LetterAfterShiftInIndexOrderIsLostWhenBothGoUpTogether) {
    const int z = 43;
    Set(KEY_LEFT_SHIFT, true);
    Set(z, true);
    input.Poll();
    Set(KEY_LEFT_SHIFT, false);
    Set(z, false);
    input.Poll();
    EXPECT_EQ(input.TypedChar(), 0) << "left Shift (41) is the first released key";
}

TEST_F(InputTest, LetterBeforeShiftInIndexOrderTypesUnshiftedWhenBothGoUpTogether) {
    Set(KEY_LEFT_SHIFT, true);
    Set(KEY_W, true);
    input.Poll();
    Set(KEY_LEFT_SHIFT, false);
    Set(KEY_W, false);
    input.Poll();
    EXPECT_EQ(input.TypedChar(), 'w') << "Shift is no longer down in this poll";
}

TEST_F(InputTest, ShiftReleasedFirstThenLetterTypesUnshifted) {
    const int z = 43;
    Set(KEY_LEFT_SHIFT, true);
    Set(z, true);
    input.Poll();
    Set(KEY_LEFT_SHIFT, false);
    input.Poll();
    EXPECT_EQ(input.TypedChar(), 0);
    Set(z, false);
    input.Poll();
    EXPECT_EQ(input.TypedChar(), 'z');
}

// The hand-over of controllers in a game for two, over the snapshots a device gives (the SDL device's
// places are tested in tests/platform): one pad goes to the second player while the first keeps the
// keyboard and mouse; a pad plugged in later goes to the player without one; an unplugged pad frees its
// player and never takes the mouse from the first.
TEST(InputHandOver, PadsGoToThePlayerWithoutOneAndNeverTakeTheMouse) {
    platform::ScriptedInputDevice device;
    TInput input;
    input.Init(&device);
    input.SetTwoPlayerGame(true);
    platform::GamepadSnapshot pad;
    pad.Connected = true;
    pad.Buttons[platform::GamepadA] = 0x80;
    device.SetGamepad(pad);
    device.SetButton(0, false);
    input.Poll();
    EXPECT_TRUE(input.SecondPlayerPad().Connected);
    EXPECT_FALSE(input.Gamepad().Connected);
    EXPECT_FALSE(input.MouseButtonDown(0));  // the second player's A is not the first's fire
    device.SetButton(0, true);
    input.Poll();
    EXPECT_TRUE(input.MouseButtonDown(0));

    platform::GamepadSnapshot other;
    other.Connected = true;
    other.Buttons[platform::GamepadB] = 0x80;
    device.SetSecondGamepad(other);
    input.Poll();
    EXPECT_EQ(input.Gamepad().Buttons[platform::GamepadB], 0x80);  // the newcomer is the first's
    EXPECT_EQ(input.SecondPlayerPad().Buttons[platform::GamepadA], 0x80);

    device.SetGamepad(platform::GamepadSnapshot{});  // the second player's pad unplugged
    input.Poll();
    EXPECT_FALSE(input.SecondPlayerPad().Connected);
    EXPECT_TRUE(input.Gamepad().Connected);
    device.SetGamepad(pad);  // plugged in again: back to the player without one
    input.Poll();
    EXPECT_EQ(input.SecondPlayerPad().Buttons[platform::GamepadA], 0x80);

    // Two attached at once: one each, the first place to the first player.
    TInput fresh;
    fresh.Init(&device);
    fresh.SetTwoPlayerGame(true);
    fresh.Poll();
    EXPECT_EQ(fresh.Gamepad().Buttons[platform::GamepadA], 0x80);
    EXPECT_EQ(fresh.SecondPlayerPad().Buttons[platform::GamepadB], 0x80);
    // With one player the first attached pad is the player's, as it always was.
    fresh.SetTwoPlayerGame(false);
    fresh.Poll();
    EXPECT_EQ(fresh.Gamepad().Buttons[platform::GamepadA], 0x80);
    EXPECT_FALSE(fresh.SecondPlayerPad().Connected);
    fresh.Release();
    input.Release();
}
