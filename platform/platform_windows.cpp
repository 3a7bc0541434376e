#include "platform/platform.h"

#include <GL/freeglut.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "platform/platform_windows.h"

namespace {

std::wstring widen(const char* utf8) {
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
  if (n <= 1) return std::wstring();
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8, -1, &wide[0], n);
  wide.resize(static_cast<std::size_t>(n - 1));  // without the terminator
  return wide;
}

std::string narrow(const std::wstring& wide) {
  const int len = static_cast<int>(wide.size());
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), len, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return std::string();
  std::string utf8(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), len, &utf8[0], n, nullptr, nullptr);
  return utf8;
}

// The window the toolkit is drawing into: the one of the current GL context.
HWND current_window() {
  const HDC dc = wglGetCurrentDC();
  return dc != nullptr ? WindowFromDC(dc) : nullptr;
}

}  // namespace

// Closing the window ends the process through exit(), so exit-time destructors run.
void set_toolkit_options() {
  glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_EXIT);
}

// A desktop game plays on whether its window is seen or not.
bool game_paused() {
  return false;
}

// (x, y) of the window's client area, as a screen position for the cursor.
void move_pointer(int x, int y) {
  POINT point{x, y};
  const HWND window = current_window();
  if (window != nullptr) ClientToScreen(window, &point);
  SetCursorPos(point.x, point.y);
}

namespace {

WNDPROC g_toolkit_procedure = nullptr;

// Text messages stay wide; everything else reaches the toolkit as before, converted to ANSI
// where a message carries text.
LRESULT CALLBACK wide_text_procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
  switch (message) {
    case WM_SETTEXT:
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH:
      return DefWindowProcW(window, message, w, l);
    default:
      return CallWindowProcW(g_toolkit_procedure, window, message, w, l);
  }
}

}  // namespace

// The toolkit's window is an ANSI one: a wide title would pass through the ANSI code page and
// lose its Japanese on most systems. A wide procedure in front of the toolkit's keeps it whole.
void set_window_title(const char* utf8_title) {
  const HWND window = current_window();
  if (window == nullptr || utf8_title == nullptr) return;
  if (!IsWindowUnicode(window)) {
    g_toolkit_procedure = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC));
    SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(wide_text_procedure));
  }
  SetWindowTextW(window, widen(utf8_title).c_str());
}

// A console shows wide text whatever its code page; files and pipes get the UTF-8 bytes.
void print_console(const char* utf8_text, bool flush) {
  const HANDLE out = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stdout)));
  DWORD mode = 0;
  if (out != INVALID_HANDLE_VALUE && GetConsoleMode(out, &mode)) {
    std::fflush(stdout);  // anything already buffered comes first
    const std::wstring wide = widen(utf8_text);
    DWORD written = 0;
    WriteConsoleW(out, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    return;
  }
  std::fputs(utf8_text, stdout);
  if (flush) std::fflush(stdout);
}

std::string executable_dir() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
    if (n == 0) return std::string();
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);  // truncated: try again with more room
  }
  const std::size_t slash = path.find_last_of(L"\\/");
  return narrow(slash == std::wstring::npos ? std::wstring() : path.substr(0, slash));
}

// Windows' place for a program's per-user files that stay on the machine.
std::string user_state_dir() {
  wchar_t local[MAX_PATH];
  const DWORD n = GetEnvironmentVariableW(L"LOCALAPPDATA", local, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return std::string();
  return narrow(std::wstring(local, n) + L"\\Vorna");
}

// The user's own temporary folder; CreateDirectory fails on any name already there, a link
// included, so a new folder is always the game's own.
std::string make_private_temp_dir() {
  wchar_t tmp[MAX_PATH + 1];
  const DWORD n = GetTempPathW(MAX_PATH + 1, tmp);
  if (n == 0 || n > MAX_PATH) return std::string();
  const unsigned long long seed = GetTickCount64() ^ (GetCurrentProcessId() * 2654435761ULL);
  for (unsigned i = 0; i < 100; ++i) {
    const std::wstring dir =
        std::wstring(tmp, n) + L"vorna-" + std::to_wstring((seed + i) % 1000000007ULL);
    if (CreateDirectoryW(dir.c_str(), nullptr)) return narrow(dir);
    if (GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
  return std::string();
}

namespace {

using Get_xinput_state = DWORD(WINAPI*)(DWORD, XINPUT_STATE*);

// XInput is loaded at run time, from the system folder only: xinput1_4.dll (Windows 8 and
// later), else xinput9_1_0.dll (Vista, 7). The game then imports nothing beyond what every
// Windows has, and without either it plays without pads.
Get_xinput_state xinput() {
  static const Get_xinput_state get = []() -> Get_xinput_state {
    wchar_t system[MAX_PATH];
    const UINT n = GetSystemDirectoryW(system, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return nullptr;
    for (const wchar_t* dll : {L"\\xinput1_4.dll", L"\\xinput9_1_0.dll"}) {
      const HMODULE module = LoadLibraryW((std::wstring(system, n) + dll).c_str());
      if (module == nullptr) continue;
      // Through void(*)(), the one pointer type any function pointer may be cast to.
      const auto get = reinterpret_cast<Get_xinput_state>(
          reinterpret_cast<void (*)()>(GetProcAddress(module, "XInputGetState")));
      if (get != nullptr) return get;
      FreeLibrary(module);
    }
    return nullptr;
  }();
  return get;
}

float stick_axis(SHORT value) {
  return std::max(-1.0f, std::min(1.0f, value / 32767.0f));
}

}  // namespace

// XInput's stick is y up; the standard layout's is y down.
Gamepad_state gamepad_from_xinput(int slot, const XINPUT_STATE& state) {
  const WORD b = state.Gamepad.wButtons;
  Gamepad_state s{};
  s.id = slot;
  s.up = (b & XINPUT_GAMEPAD_DPAD_UP) != 0;
  s.down = (b & XINPUT_GAMEPAD_DPAD_DOWN) != 0;
  s.left = (b & XINPUT_GAMEPAD_DPAD_LEFT) != 0;
  s.right = (b & XINPUT_GAMEPAD_DPAD_RIGHT) != 0;
  s.a = (b & XINPUT_GAMEPAD_A) != 0;
  s.y = (b & XINPUT_GAMEPAD_Y) != 0;
  s.start = (b & XINPUT_GAMEPAD_START) != 0;
  s.back = (b & XINPUT_GAMEPAD_BACK) != 0;
  s.stick_x = stick_axis(state.Gamepad.sThumbLX);
  s.stick_y = -stick_axis(state.Gamepad.sThumbLY);
  return s;
}

// The four player slots, polled: XInput reports the state now only, so a tap shorter than a tick
// can fall between two reads.
const std::vector<Gamepad_state>& connected_gamepads() {
  static std::vector<Gamepad_state> pads;
  pads.clear();
  if (const Get_xinput_state get = xinput())
    for (DWORD slot = 0; slot < XUSER_MAX_COUNT; ++slot) {
      XINPUT_STATE state{};
      if (get(slot, &state) == ERROR_SUCCESS)
        pads.push_back(gamepad_from_xinput(static_cast<int>(slot), state));
    }
  return pads;
}
