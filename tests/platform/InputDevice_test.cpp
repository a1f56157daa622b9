// The input snapshot's one serializer: what the game reads (bit 7 of each key and button, the motion)
// comes back as written; bytes that end inside a snapshot or an unknown version are refused.
#include "platform/InputDevice.h"

#include <gtest/gtest.h>

using namespace platform;

TEST(InputSnapshotRecord, RoundTrip_KeepsKeysButtonsAndMotion_AndRefusesShortBytes) {
    InputSnapshot snapshot;
    snapshot.Keyboard.Keys[0x01] = 0x80;  // Escape
    snapshot.Keyboard.Keys[0x11] = 0x81;  // W, with a low bit the game never reads
    snapshot.Keyboard.Keys[0xFF] = 0x80;
    snapshot.Keyboard.Keys[0x20] = 0x7F;  // bit 7 clear: up
    snapshot.Mouse.DeltaX = -70000;
    snapshot.Mouse.DeltaY = 3;
    snapshot.Mouse.DeltaWheel = -120;
    snapshot.Mouse.Buttons = {0x80, 0, 0x80, 0};
    std::string bytes = "ab";
    WriteInputSnapshot(snapshot, bytes);
    WriteInputSnapshot(InputSnapshot{}, bytes);

    std::size_t offset = 2;
    InputSnapshot read;
    ASSERT_TRUE(ReadInputSnapshot(bytes, offset, kInputSnapshotVersion, read));
    for (int key = 0; key < 256; ++key) {
        EXPECT_EQ(read.Keyboard.Keys[key], (snapshot.Keyboard.Keys[key] & 0x80) ? 0x80 : 0) << key;
    }
    EXPECT_EQ(read.Mouse.DeltaX, -70000);
    EXPECT_EQ(read.Mouse.DeltaY, 3);
    EXPECT_EQ(read.Mouse.DeltaWheel, -120);
    EXPECT_EQ(read.Mouse.Buttons, snapshot.Mouse.Buttons);
    const std::size_t second = offset;
    ASSERT_TRUE(ReadInputSnapshot(bytes, offset, kInputSnapshotVersion, read));
    EXPECT_EQ(offset, bytes.size());
    EXPECT_EQ(read.Keyboard.Keys[0x01], 0);

    std::size_t at = second;
    EXPECT_FALSE(ReadInputSnapshot(std::string_view(bytes).substr(0, bytes.size() - 1), at, 1, read));
    EXPECT_EQ(at, second);
    EXPECT_FALSE(ReadInputSnapshot(bytes, at, kInputSnapshotVersion + 1, read));
}
