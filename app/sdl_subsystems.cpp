#include "app/sdl_subsystems.h"

#include <mutex>

namespace {

std::mutex g_sdl_start_stop;

}  // namespace

bool start_sdl_subsystem(Uint32 flags) {
  std::lock_guard<std::mutex> lock(g_sdl_start_stop);
  // SDL would otherwise take over SIGINT and SIGTERM, and Ctrl+C or kill would no longer end us.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  // A is the bottom face button and Y the top one on every pad, whatever their labels say.
  SDL_SetHint(SDL_HINT_GAMECONTROLLER_USE_BUTTON_LABELS, "0");
  if (SDL_InitSubSystem(flags) == 0) return true;
  if (SDL_WasInit(0) == 0) SDL_Quit();
  return false;
}

void stop_sdl_subsystem(Uint32 flags) {
  std::lock_guard<std::mutex> lock(g_sdl_start_stop);
  SDL_QuitSubSystem(flags);
  if (SDL_WasInit(0) == 0) SDL_Quit();
}
