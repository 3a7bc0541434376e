// freeglut's shapes (its own geometry and teapot code, built over glfixed) and the key and
// mouse names the game's screens use. No windows, events or timers: those belong to whatever
// hosts the GL context.
#ifndef __FREEGLUT_H__
#define __FREEGLUT_H__
#define __FREEGLUT_STD_H__

#include <GL/gl.h>
#include <GL/glu.h>

#define FREEGLUT 1
#define GLUT_API_VERSION 4
#define FGAPI
#define FGAPIENTRY

#define GLUT_KEY_LEFT 0x0064
#define GLUT_KEY_UP 0x0065
#define GLUT_KEY_RIGHT 0x0066
#define GLUT_KEY_DOWN 0x0067
#define GLUT_LEFT_BUTTON 0x0000
#define GLUT_MIDDLE_BUTTON 0x0001
#define GLUT_RIGHT_BUTTON 0x0002
#define GLUT_DOWN 0x0000
#define GLUT_UP 0x0001

#ifdef __cplusplus
extern "C" {
#endif

FGAPI void FGAPIENTRY glutWireCube(double size);
FGAPI void FGAPIENTRY glutSolidCube(double size);
FGAPI void FGAPIENTRY glutWireSphere(double radius, GLint slices, GLint stacks);
FGAPI void FGAPIENTRY glutSolidSphere(double radius, GLint slices, GLint stacks);
FGAPI void FGAPIENTRY glutWireCone(double base, double height, GLint slices, GLint stacks);
FGAPI void FGAPIENTRY glutSolidCone(double base, double height, GLint slices, GLint stacks);
FGAPI void FGAPIENTRY glutWireTorus(double innerRadius, double outerRadius, GLint sides,
                                    GLint rings);
FGAPI void FGAPIENTRY glutSolidTorus(double innerRadius, double outerRadius, GLint sides,
                                     GLint rings);
FGAPI void FGAPIENTRY glutWireDodecahedron(void);
FGAPI void FGAPIENTRY glutSolidDodecahedron(void);
FGAPI void FGAPIENTRY glutWireOctahedron(void);
FGAPI void FGAPIENTRY glutSolidOctahedron(void);
FGAPI void FGAPIENTRY glutWireTetrahedron(void);
FGAPI void FGAPIENTRY glutSolidTetrahedron(void);
FGAPI void FGAPIENTRY glutWireIcosahedron(void);
FGAPI void FGAPIENTRY glutSolidIcosahedron(void);
FGAPI void FGAPIENTRY glutWireRhombicDodecahedron(void);
FGAPI void FGAPIENTRY glutSolidRhombicDodecahedron(void);
FGAPI void FGAPIENTRY glutWireSierpinskiSponge(int num_levels, double offset[3], double scale);
FGAPI void FGAPIENTRY glutSolidSierpinskiSponge(int num_levels, double offset[3], double scale);
FGAPI void FGAPIENTRY glutWireCylinder(double radius, double height, GLint slices, GLint stacks);
FGAPI void FGAPIENTRY glutSolidCylinder(double radius, double height, GLint slices,
                                        GLint stacks);
FGAPI void FGAPIENTRY glutWireTeapot(double size);
FGAPI void FGAPIENTRY glutSolidTeapot(double size);
FGAPI void FGAPIENTRY glutWireTeacup(double size);
FGAPI void FGAPIENTRY glutSolidTeacup(double size);
FGAPI void FGAPIENTRY glutWireTeaspoon(double size);
FGAPI void FGAPIENTRY glutSolidTeaspoon(double size);

#ifdef __cplusplus
}
#endif

#endif
