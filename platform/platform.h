#pragma once

#include <string>
#include <vector>

// The few things the game needs from the operating system and the window system beyond GLUT.
// One implementation per platform; nothing else in the game knows which one is built.

// Before the toolkit starts (it would fail with its own terse message): whether the game's
// window can be opened, on the display named by a "-display NAME" argument or else the default;
// when it cannot, one line on standard error says why. Whatever the check holds open stays open
// until release_display_probe() (call it once the toolkit has its own).
bool window_system_ready(int argc, char** argv);
void release_display_probe();

// Lets the system's requests to stop the game (on Linux SIGTERM, SIGINT, SIGHUP) end it as the
// quit key does: the request is only noted, and the game's clock, seeing stop_requested(),
// calls exit() outside the handler, so the exit-time clean-up runs. A second request, before
// the first is seen, ends the game at once.
void catch_stop_requests();
bool stop_requested();

// The toolkit settings the game needs on this platform, after glutInit and before the window.
void set_toolkit_options();

// Whether the game stands still now: while it does, its clock neither ticks nor draws, and no key
// or click reaches it, so nothing is lost and nothing is caught up afterwards. The browser stops
// while its page is hidden or has lost its graphics context; the desktops never stop.
bool game_paused();

// Moves the mouse pointer to (x, y) of the current window.
void move_pointer(int x, int y);

// Gives the current window its title (UTF-8), everywhere the desktop may read it, and names
// the window's program so desktops and tools can tell it apart.
void set_window_title(const char* utf8_title);

// Writes a UTF-8 text to standard output so that the console shows it readably; with `flush`
// the output is flushed afterwards.
void print_console(const char* utf8_text, bool flush);

// The folder that holds the running binary (UTF-8, no trailing separator); "" if unknown.
std::string executable_dir();

// The folder of the program started as `argv0` (links followed), as a shell finds it: a name
// with a slash from `cwd`, a bare name on the ':'-separated `path` (nullptr: none). "" when it
// is not found. On Linux, executable_dir's fallback where /proc cannot be read.
std::string program_dir(const std::string& argv0, const std::string& cwd, const char* path);

// The per-user folder for the files the game writes (UTF-8): $XDG_STATE_HOME/vorna, else
// ~/.local/state/vorna on Linux; %LOCALAPPDATA%\Vorna on Windows; "" means the working
// directory. Not created here.
std::string user_state_dir();

// A new folder of the game's own under the system's temporary folder, private to the user and
// made fresh (never one that was there before); "" when none can be made.
std::string make_private_temp_dir();

// A game controller in the standard layout, as read on a game tick.
struct Gamepad_state {
  int id;  // the same for as long as the pad stays connected
  // The D-pad, the bottom (A) and top (Y) face buttons, Start and Back / Select: down now, or
  // pressed since the previous read where the platform can tell, so a tap between two ticks
  // still counts.
  bool up, down, left, right;
  bool a, y, start, back;
  // The left stick, each axis -1..1, y negative = up.
  float stick_x, stick_y;
};

// The pads connected now (none: empty), read afresh; the game calls it once per tick, and the
// first call starts the platform's controller support. A pad plugged in or pulled out shows
// from the next call on. The list stays valid until the next call.
const std::vector<Gamepad_state>& connected_gamepads();
