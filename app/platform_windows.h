#pragma once

// The parts of the Windows platform layer that its own tests reach.
#include <windows.h>
#include <xinput.h>

#include "app/platform.h"

// An XInput pad's state in the standard layout; `slot` is its player number (0..3) and id.
Gamepad_state gamepad_from_xinput(int slot, const XINPUT_STATE& state);
