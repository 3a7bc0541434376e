#pragma once

#include "screens/window_title.h"

// Every on-screen text, as the Shift-JIS bytes the kanji renderer takes. They are written in
// UTF-8 in screens/texts.cpp.in and converted to CP932 at build time (tools/texts), so the
// source stays readable and the bytes do not depend on the compiler's charset options.
namespace texts {

// Title screen: the story crawl, then the title, the subtitle and the two key hints.
constexpr int story_lines = 9;
extern const char* const story[story_lines];
extern const char title[];
extern const char subtitle[];
extern const char start_hint[];
extern const char quit_hint[];

// Game-over page.
extern const char gameover_line[];
extern const char gameover[];
extern const char restart_hint[];

// The window's title: UTF-8, for the window system, not drawn with the font.
inline constexpr char window_title[] = VORNA_WINDOW_TITLE;

}  // namespace texts
