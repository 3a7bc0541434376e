// Preloaded into the real game by test_e2e_gamepad: game controllers that SDL takes for real
// ones (its virtual joysticks, which live in the process that attaches them), played from a
// script file the test appends to. The game polls SDL once per tick through SDL_PumpEvents; the
// shim runs the script's next commands there first, so each lands on a known tick.
//   attach P          plugs in a new pad as player P (0..3)     detach P     pulls it out
//   press P CONTROL   release P CONTROL   (a y start back up down left right)
//   flick P CONTROL   pressed and let go again before the game reads the pads
//   stick P X Y       the left stick, each axis -32768..32767
//   wait N            the next command waits N ticks
//   mark NAME         appends "NAME" to the log file
// VORNA_PAD_SCRIPT names the script, VORNA_PAD_LOG the log.
#include <SDL.h>
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

namespace {

struct Player {
  SDL_Joystick* joystick = nullptr;
  SDL_JoystickID id = -1;
};

Player g_players[4];
std::deque<std::string> g_commands;
std::string g_partial;      // a line not yet written whole
std::streamoff g_read = 0;  // how far the script has been read
int g_waiting = 0;

const std::map<std::string, SDL_GameControllerButton> kButtons = {
    {"a", SDL_CONTROLLER_BUTTON_A},
    {"y", SDL_CONTROLLER_BUTTON_Y},
    {"start", SDL_CONTROLLER_BUTTON_START},
    {"back", SDL_CONTROLLER_BUTTON_BACK},
    {"up", SDL_CONTROLLER_BUTTON_DPAD_UP},
    {"down", SDL_CONTROLLER_BUTTON_DPAD_DOWN},
    {"left", SDL_CONTROLLER_BUTTON_DPAD_LEFT},
    {"right", SDL_CONTROLLER_BUTTON_DPAD_RIGHT}};

// SDL's own SDL_PumpEvents.
void pump() {
  static const auto real = reinterpret_cast<void (*)()>(dlsym(RTLD_NEXT, "SDL_PumpEvents"));
  real();
}

void read_script() {
  const char* path = std::getenv("VORNA_PAD_SCRIPT");
  std::ifstream in(path != nullptr ? path : "", std::ios::binary);
  if (!in || !in.seekg(g_read)) return;
  std::string more((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  g_read += static_cast<std::streamoff>(more.size());
  g_partial += more;
  for (std::size_t end; (end = g_partial.find('\n')) != std::string::npos;) {
    g_commands.push_back(g_partial.substr(0, end));
    g_partial.erase(0, end + 1);
  }
}

void log(const std::string& line) {
  if (FILE* f = std::fopen(std::getenv("VORNA_PAD_LOG"), "a")) {
    std::fprintf(f, "%s\n", line.c_str());
    std::fclose(f);
  }
}

// A standard controller: SDL maps its buttons and axes by their place in the masks.
void attach(Player& p) {
  SDL_VirtualJoystickDesc desc{};
  desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
  desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
  desc.naxes = SDL_CONTROLLER_AXIS_MAX;
  desc.nbuttons = SDL_CONTROLLER_BUTTON_DPAD_RIGHT + 1;
  desc.axis_mask = (1u << SDL_CONTROLLER_AXIS_MAX) - 1;
  desc.button_mask = (1u << desc.nbuttons) - 1;
  desc.name = "Vorna test pad";
  const int index = SDL_JoystickAttachVirtualEx(&desc);
  p.joystick = index < 0 ? nullptr : SDL_JoystickOpen(index);
  p.id = p.joystick != nullptr ? SDL_JoystickInstanceID(p.joystick) : -1;
  if (p.joystick == nullptr) log(std::string("attach failed: ") + SDL_GetError());
}

void detach(Player& p) {
  for (int i = 0; i < SDL_NumJoysticks(); ++i)
    if (SDL_JoystickGetDeviceInstanceID(i) == p.id) {
      SDL_JoystickClose(p.joystick);
      SDL_JoystickDetachVirtual(i);
      break;
    }
  p = Player();
}

void run(const std::string& command) {
  std::istringstream words(command);
  std::string verb, what;
  int player = 0;
  words >> verb;
  if (verb == "wait") {
    words >> g_waiting;
    return;
  }
  if (verb == "mark") {
    words >> what;
    log(what);
    return;
  }
  words >> player;
  Player& p = g_players[player & 3];
  if (verb == "attach") {
    attach(p);
  } else if (verb == "detach") {
    detach(p);
  } else if (verb == "press" || verb == "release" || verb == "flick") {
    words >> what;
    const auto button = kButtons.find(what);
    if (button == kButtons.end()) return;
    SDL_JoystickSetVirtualButton(p.joystick, button->second, verb != "release");
    if (verb != "flick") return;
    pump();  // SDL sees it go down, then up
    SDL_JoystickSetVirtualButton(p.joystick, button->second, 0);
  } else if (verb == "stick") {
    int x = 0, y = 0;
    words >> x >> y;
    SDL_JoystickSetVirtualAxis(p.joystick, SDL_CONTROLLER_AXIS_LEFTX, static_cast<Sint16>(x));
    SDL_JoystickSetVirtualAxis(p.joystick, SDL_CONTROLLER_AXIS_LEFTY, static_cast<Sint16>(y));
  }
}

}  // namespace

extern "C" void SDL_PumpEvents() {
  read_script();
  if (g_waiting > 0) --g_waiting;
  while (g_waiting == 0 && !g_commands.empty()) {
    const std::string command = g_commands.front();
    g_commands.pop_front();
    run(command);
  }
  pump();
}
