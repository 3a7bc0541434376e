#pragma once

// The few things the game needs from the window system beyond GLUT.

// True when the X display can be opened: the named one, or DISPLAY's when the name is null.
bool x_display_available(const char* display_name = nullptr);

// Closes the connection the check above keeps open (call once the toolkit has its own).
void release_display_probe();

// The display the toolkit will use: the value of a "-display NAME" argument, else null.
const char* display_argument(int argc, char** argv);

// Moves the mouse pointer to (x, y) of the current window.
void move_pointer(int x, int y);

// Gives the current window a UTF-8 title (_NET_WM_NAME) for desktops that show it.
void set_window_title_utf8(const char* utf8_title);
