// XInput pads on Windows: each state, as a pad newly seen sends it, through the game's one
// mapping.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <string>

#include "app/platform_windows.h"
#include "input/gamepads.h"
#include "support/presses.h"

namespace {

TEST(GamepadWindows, XInputStatesPressTheKeysOfTheMapping) {
  const struct {
    WORD buttons;
    SHORT x, y;
    const char* presses;
  } states[] = {
      {0, 0, 0, ""},
      {XINPUT_GAMEPAD_DPAD_UP, 0, 0, "^"},
      {XINPUT_GAMEPAD_DPAD_DOWN, 0, 0, "v"},
      {XINPUT_GAMEPAD_DPAD_LEFT, 0, 0, "<"},
      {XINPUT_GAMEPAD_DPAD_RIGHT, 0, 0, ">"},
      {0, 0, 32767, "^"},  // XInput's stick is y up
      {0, 0, -32768, "v"},
      {0, -20000, 0, "<"},
      {0, 17000, 0, ">"},       // just past half its travel
      {0, 16000, -16000, ""},   // short of half
      {0, 30000, -20000, ">"},  // the dominant axis
      {XINPUT_GAMEPAD_A, 0, 0, "c"},
      {XINPUT_GAMEPAD_Y, 0, 0, "b"},
      {XINPUT_GAMEPAD_START, 0, 0, "sr"},
      {XINPUT_GAMEPAD_BACK, 0, 0, "q"},
      {XINPUT_GAMEPAD_B | XINPUT_GAMEPAD_X | XINPUT_GAMEPAD_LEFT_SHOULDER |
           XINPUT_GAMEPAD_RIGHT_SHOULDER | XINPUT_GAMEPAD_LEFT_THUMB,
       0, 0, ""},
  };
  for (const auto& s : states) {
    XINPUT_STATE state{};
    state.Gamepad.wButtons = s.buttons;
    state.Gamepad.sThumbLX = s.x;
    state.Gamepad.sThumbLY = s.y;
    input::Gamepads pads;
    EXPECT_EQ(padtest::written(pads.presses({gamepad_from_xinput(2, state)})), s.presses)
        << "buttons " << s.buttons << ", stick " << s.x << ", " << s.y;
  }
}

// Whatever XInput there is (wine's has no pads), reading it neither fails nor invents a pad.
TEST(GamepadWindows, NoPadConnectedReadsAsNone) {
  EXPECT_TRUE(connected_gamepads().empty());
  EXPECT_TRUE(connected_gamepads().empty());
}

}  // namespace
