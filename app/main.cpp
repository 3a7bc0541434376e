#include <GL/freeglut.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/gamesystem.h"
#include "input/gamepads.h"
#include "platform/data_files.h"
#include "platform/platform.h"
#include "screens/texts.h"

// Toolkit callbacks: each forwards to the one application object.

static void display() {
  sys.display();
  glutSwapBuffers();
}

static void resize(int w, int h) {
  sys.resize(w, h);
}

static void keyboard(unsigned char key, int x, int y) {
  sys.keyboard(key, x, y);
}

static void sp_keyboard(int key, int x, int y) {
  sys.sp_keyboard(key, x, y);
}

static void mouse(int button, int state, int x, int y) {
  sys.mouse(button, state, x, y);
}

static void mousemove(int _x, int _y) {
  sys.mouse_move(_x, _y);
}

// Gamepads press the same keys and button as the callbacks above, read once per tick just
// before it; their presses arrive at the window's centre.
static void send_gamepad_presses() {
  static input::Gamepads pads;
  pads.tick({keyboard, sp_keyboard, mouse}, sys.width / 2, sys.height / 2);
}

// The game clock: one tick, one redisplay, then the next tick 100 ms on. A stop the system
// asked for ends the game here, outside the signal handler. While the game is paused the clock
// keeps its beat but skips the tick and the frame, so none are owed when it goes on.
static void timer(int value) {
  if (stop_requested()) std::exit(0);  // as the quit key ends it
  if (!game_paused()) {
    send_gamepad_presses();
    sys.timer(value);
    glutPostRedisplay();
  }
  glutTimerFunc(100, timer, 0);
}

#ifndef VORNA_VERSION
#define VORNA_VERSION "unknown"
#endif

static const char kHelp[] =
    "Usage: vorna [X toolkit options such as -display NAME]\n"
    "A first-person walk through random 3D mazes.\n"
    "\n"
    "Keys: s starts, the arrow keys step and turn, a left click marks the wall ahead,\n"
    "b looks from above (500 life points), r or Esc restarts after a game over, q quits.\n"
    "\n"
    "  --help     show this help and exit\n"
    "  --version  show the version and exit\n";

// The two options a desktop expects; everything else is the toolkit's.
static bool answered_option(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0) {
      std::fputs(kHelp, stdout);
      return true;
    }
    if (std::strcmp(argv[i], "--version") == 0) {
      std::fputs("vorna " VORNA_VERSION "\n", stdout);
      return true;
    }
  }
  return false;
}

int main(int argc, char** argv) {
  if (answered_option(argc, argv)) return 0;

  if (!window_system_ready(argc, argv)) return 1;
  catch_stop_requests();

  glutInitWindowPosition(1, 1);
  glutInitWindowSize(500, 500);
  glutInit(&argc, argv);
  set_toolkit_options();
  glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
  glutCreateWindow("vorna");
  release_display_probe();
  set_window_title(texts::window_title);

  glutDisplayFunc(display);
  glutReshapeFunc(resize);
  glutKeyboardFunc(keyboard);
  glutSpecialFunc(sp_keyboard);
  glutMouseFunc(mouse);
  glutPassiveMotionFunc(mousemove);

  glutTimerFunc(100, timer, 0);
  choose_maze_file_dir(user_state_dir());
  sys.init();
  glutMainLoop();
  sys.end();
  return 0;
}
