#include <GL/freeglut.h>

#include <cstdio>

#include "app/gamesystem.h"
#include "app/platform.h"

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

// The game clock: one tick, one redisplay, then the next tick 100 ms on.
static void timer(int value) {
  sys.timer(value);
  glutPostRedisplay();
  glutTimerFunc(100, timer, 0);
}

int main(int argc, char** argv) {
  // Checked before the toolkit, which would otherwise fail with its own terse message.
  if (!display_available(argc, argv)) {
    std::fputs("vorna: no X display found; the game needs a graphical display (set DISPLAY)\n",
               stderr);
    return 1;
  }

  glutInitWindowPosition(1, 1);
  glutInitWindowSize(500, 500);
  glutInit(&argc, argv);
  // Closing the window ends the process through exit(), so exit-time destructors run.
  glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_EXIT);
  glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
  glutCreateWindow("vorna");
  release_display_probe();
  set_window_title("ザルヴォス３Ｄ～ミルテカ～");

  glutDisplayFunc(display);
  glutReshapeFunc(resize);
  glutKeyboardFunc(keyboard);
  glutSpecialFunc(sp_keyboard);
  glutMouseFunc(mouse);
  glutPassiveMotionFunc(mousemove);

  glutTimerFunc(100, timer, 0);
  sys.init();
  glutMainLoop();
  sys.end();
  return 0;
}
