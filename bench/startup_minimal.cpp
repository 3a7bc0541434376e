// The yardstick for start-up: the least a freeglut program does before its first frame, a
// 500 x 500 double-buffered window cleared to white.
#include <GL/freeglut.h>

static void display() {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glutSwapBuffers();
}

int main(int argc, char** argv) {
  glutInitWindowPosition(1, 1);
  glutInitWindowSize(500, 500);
  glutInit(&argc, argv);
  glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
  glutCreateWindow("minimal");
  glClearColor(1.0f, 1.0f, 1.0f, 0.0f);
  glutDisplayFunc(display);
  glutMainLoop();
  return 0;
}
