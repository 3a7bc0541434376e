#pragma once

// SDL is shared within the process on Linux: the sound starts its audio on a thread of its own,
// the platform layer its game controllers on the main thread. Both start and stop their
// subsystems here, one at a time (SDL's start-up is not thread-safe), and SDL itself ends with
// the last of them, so neither can take the other's down at exit.
#include <SDL.h>

// SDL_InitSubSystem(flags), without SDL's signal handlers; false when it fails.
bool start_sdl_subsystem(Uint32 flags);
void stop_sdl_subsystem(Uint32 flags);
