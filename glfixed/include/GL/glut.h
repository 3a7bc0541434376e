// GLUT under its classic name: the same shapes.
#include <GL/freeglut.h>
