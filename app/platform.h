#pragma once

// The few things the game needs from the window system beyond GLUT.

// True when an X display can be opened (DISPLAY set and reachable).
bool x_display_available();

// Moves the mouse pointer to (x, y) of the current window.
void move_pointer(int x, int y);

// Gives the current window a UTF-8 title (_NET_WM_NAME) for desktops that show it.
void set_window_title_utf8(const char* utf8_title);
