// The Windows platform layer: the wide title on the toolkit's window, the pointer placed in
// client coordinates, console text readable in files and on a console, the program's folder, the
// folders the game writes in.
#include <gtest/gtest.h>
#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>

#include "platform/platform.h"
#include "support/gl_window.h"

namespace {

HWND game_window() {
  gltest::open_window(500, 500);
  return WindowFromDC(wglGetCurrentDC());
}

TEST(PlatformWindows, WideTitleAndPointerPlacedInClientCoordinates) {
  const HWND window = game_window();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window_system_ready(0, nullptr));
  set_window_title("ザルヴォス３Ｄ～ミルテカ～");
  wchar_t title[64] = {};
  GetWindowTextW(window, title, 64);
  EXPECT_EQ(std::wstring(title), L"ザルヴォス３Ｄ～ミルテカ～");

  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  for (const auto& [x, y] : {std::pair{250, 250}, {0, 0}, {499, 17}}) {
    move_pointer(x, y);
    POINT screen{};
    ASSERT_TRUE(GetCursorPos(&screen));
    EXPECT_EQ(std::pair(screen.x, screen.y), std::pair(origin.x + x, origin.y + y));
  }
  // The client area does not start at the screen's corner: the conversion mattered.
  EXPECT_NE(std::pair(origin.x, origin.y), std::pair(0L, 0L));
}

TEST(PlatformWindows, ConsoleTextIsUtf8InAFileAndWideOnAConsole) {
  testing::internal::CaptureStdout();
  print_console("NOW LOADING\u2026\n", true);
  print_console("ファイル開けない", false);
  std::fflush(stdout);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "NOW LOADING\u2026\nファイル開けない");

  // On a console the characters themselves arrive, whatever its code page. A screen buffer of
  // its own takes standard output for a moment; wine's console for a program started from a
  // Unix shell has none to give, so such a test gets a new console.
  auto screen_buffer = [] {
    return CreateConsoleScreenBuffer(GENERIC_READ | GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     CONSOLE_TEXTMODE_BUFFER, nullptr);
  };
  AllocConsole();
  HANDLE console = screen_buffer();
  if (console == INVALID_HANDLE_VALUE) {
    FreeConsole();
    AllocConsole();
    console = screen_buffer();
  }
  const UINT code_page = GetConsoleOutputCP();
  SetConsoleOutputCP(437);  // no Japanese in this code page
  ASSERT_NE(console, INVALID_HANDLE_VALUE);
  CONSOLE_SCREEN_BUFFER_INFO info{};
  ASSERT_TRUE(GetConsoleScreenBufferInfo(console, &info));
  std::fflush(stdout);
  const int report = _dup(_fileno(stdout));
  _dup2(_open_osfhandle(reinterpret_cast<intptr_t>(console), _O_WRONLY), _fileno(stdout));
  print_console("NOW LOADING\u2026 ザルヴォス", true);
  _dup2(report, _fileno(stdout));
  _close(report);
  SetConsoleOutputCP(code_page);

  const std::wstring expected = L"NOW LOADING\u2026 ザルヴォス";
  wchar_t cells[64] = {};
  DWORD read = 0;
  ASSERT_TRUE(ReadConsoleOutputCharacterW(console, cells, static_cast<DWORD>(expected.size()),
                                          info.dwCursorPosition, &read));
  EXPECT_EQ(std::wstring(cells, read), expected);
}

TEST(PlatformWindows, ProgramFolderPerUserStateFolderAndPrivateTemporaryFolders) {
  namespace fs = std::filesystem;
  const std::string dir = executable_dir();
  ASSERT_FALSE(dir.empty());
  EXPECT_NE(dir.back(), '\\');
  EXPECT_TRUE(fs::exists(fs::u8path(dir + "\\test_platform_windows.exe"))) << dir;
  const char* local = std::getenv("LOCALAPPDATA");
  ASSERT_NE(local, nullptr);
  EXPECT_EQ(user_state_dir(), std::string(local) + "\\Vorna");

  // Each one new, under the user's temporary folder.
  const fs::path first = fs::u8path(make_private_temp_dir());
  const fs::path second = fs::u8path(make_private_temp_dir());
  EXPECT_NE(first, second);
  for (const fs::path& made : {first, second}) {
    EXPECT_TRUE(fs::is_directory(made)) << made;
    EXPECT_EQ(made, fs::temp_directory_path() / made.filename());
    fs::remove(made);
  }
}

}  // namespace
