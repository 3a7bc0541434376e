// OpenGL 1.1 as the game uses it, implemented by glfixed over OpenGL ES 2.0.
// Only the calls below exist: anything else fails to compile or link, never draws nothing.
// The entry points are renamed to glfixed_* so they never collide with the ES library the
// layer itself calls; the game's code keeps the standard names.
#ifndef __gl_h_
#define __gl_h_
#define __GL_H__

#include <stddef.h>

#define GL_VERSION_1_1 1

#ifndef GLAPI
#define GLAPI extern
#endif
#ifndef GLAPIENTRY
#define GLAPIENTRY
#endif
#ifndef APIENTRY
#define APIENTRY GLAPIENTRY
#endif

typedef unsigned int GLenum;
typedef unsigned char GLboolean;
typedef unsigned int GLbitfield;
typedef void GLvoid;
typedef signed char GLbyte;
typedef short GLshort;
typedef int GLint;
typedef unsigned char GLubyte;
typedef unsigned short GLushort;
typedef unsigned int GLuint;
typedef int GLsizei;
typedef float GLfloat;
typedef float GLclampf;
typedef double GLdouble;
typedef double GLclampd;

#define GL_FALSE 0
#define GL_TRUE 1

#define GL_BYTE 0x1400
#define GL_UNSIGNED_BYTE 0x1401
#define GL_SHORT 0x1402
#define GL_UNSIGNED_SHORT 0x1403
#define GL_INT 0x1404
#define GL_UNSIGNED_INT 0x1405
#define GL_FLOAT 0x1406
#define GL_DOUBLE 0x140A

#define GL_POINTS 0x0000
#define GL_LINES 0x0001
#define GL_LINE_LOOP 0x0002
#define GL_LINE_STRIP 0x0003
#define GL_TRIANGLES 0x0004
#define GL_TRIANGLE_STRIP 0x0005
#define GL_TRIANGLE_FAN 0x0006
#define GL_QUADS 0x0007
#define GL_QUAD_STRIP 0x0008
#define GL_POLYGON 0x0009

#define GL_MATRIX_MODE 0x0BA0
#define GL_MODELVIEW 0x1700
#define GL_PROJECTION 0x1701
#define GL_TEXTURE 0x1702
#define GL_MODELVIEW_MATRIX 0x0BA6
#define GL_PROJECTION_MATRIX 0x0BA7
#define GL_TEXTURE_MATRIX 0x0BA8
#define GL_VIEWPORT 0x0BA2
#define GL_CURRENT_COLOR 0x0B00
#define GL_CURRENT_NORMAL 0x0B02

#define GL_DEPTH_TEST 0x0B71
#define GL_FOG 0x0B60
#define GL_LIGHTING 0x0B50
#define GL_LIGHT0 0x4000
#define GL_VERTEX_ARRAY 0x8074
#define GL_NORMAL_ARRAY 0x8075
#define GL_TEXTURE_COORD_ARRAY 0x8078

#define GL_FRONT 0x0404
#define GL_BACK 0x0405
#define GL_FRONT_AND_BACK 0x0408
#define GL_AMBIENT 0x1200
#define GL_DIFFUSE 0x1201
#define GL_POSITION 0x1203
#define GL_AMBIENT_AND_DIFFUSE 0x1602

#define GL_FOG_DENSITY 0x0B62
#define GL_FOG_MODE 0x0B65
#define GL_FOG_COLOR 0x0B66
#define GL_EXP 0x0800

#define GL_LIGHTING_BIT 0x00000040
#define GL_ENABLE_BIT 0x00002000
#define GL_DEPTH_BUFFER_BIT 0x00000100
#define GL_COLOR_BUFFER_BIT 0x00004000

#define GL_UNPACK_ALIGNMENT 0x0CF5
#define GL_PACK_ALIGNMENT 0x0D05
#define GL_RGB 0x1907
#define GL_RGBA 0x1908

#define GL_NO_ERROR 0
#define GL_INVALID_ENUM 0x0500
#define GL_INVALID_VALUE 0x0501
#define GL_INVALID_OPERATION 0x0502
#define GL_STACK_OVERFLOW 0x0503
#define GL_STACK_UNDERFLOW 0x0504

#define GL_VENDOR 0x1F00
#define GL_RENDERER 0x1F01
#define GL_VERSION 0x1F02

#define glMatrixMode glfixed_MatrixMode
#define glLoadIdentity glfixed_LoadIdentity
#define glLoadMatrixf glfixed_LoadMatrixf
#define glPushMatrix glfixed_PushMatrix
#define glPopMatrix glfixed_PopMatrix
#define glTranslated glfixed_Translated
#define glRotated glfixed_Rotated
#define glOrtho glfixed_Ortho
#define glGetDoublev glfixed_GetDoublev
#define glGetFloatv glfixed_GetFloatv
#define glGetIntegerv glfixed_GetIntegerv
#define glBegin glfixed_Begin
#define glEnd glfixed_End
#define glVertex3d glfixed_Vertex3d
#define glNormal3d glfixed_Normal3d
#define glColor3f glfixed_Color3f
#define glColor4f glfixed_Color4f
#define glLineWidth glfixed_LineWidth
#define glLightfv glfixed_Lightfv
#define glMaterialfv glfixed_Materialfv
#define glFogi glfixed_Fogi
#define glFogf glfixed_Fogf
#define glFogfv glfixed_Fogfv
#define glEnable glfixed_Enable
#define glDisable glfixed_Disable
#define glEnableClientState glfixed_EnableClientState
#define glDisableClientState glfixed_DisableClientState
#define glPushAttrib glfixed_PushAttrib
#define glPopAttrib glfixed_PopAttrib
#define glRasterPos2i glfixed_RasterPos2i
#define glBitmap glfixed_Bitmap
#define glPixelStorei glfixed_PixelStorei
#define glClear glfixed_Clear
#define glClearColor glfixed_ClearColor
#define glViewport glfixed_Viewport
#define glReadPixels glfixed_ReadPixels
#define glVertexPointer glfixed_VertexPointer
#define glNormalPointer glfixed_NormalPointer
#define glTexCoordPointer glfixed_TexCoordPointer
#define glDrawArrays glfixed_DrawArrays
#define glDrawElements glfixed_DrawElements
#define glFinish glfixed_Finish
#define glFlush glfixed_Flush
#define glGetError glfixed_GetError
#define glGetString glfixed_GetString

#ifdef __cplusplus
extern "C" {
#endif

GLAPI void GLAPIENTRY glMatrixMode(GLenum mode);
GLAPI void GLAPIENTRY glLoadIdentity(void);
GLAPI void GLAPIENTRY glLoadMatrixf(const GLfloat* m);
GLAPI void GLAPIENTRY glPushMatrix(void);
GLAPI void GLAPIENTRY glPopMatrix(void);
GLAPI void GLAPIENTRY glTranslated(GLdouble x, GLdouble y, GLdouble z);
GLAPI void GLAPIENTRY glRotated(GLdouble angle, GLdouble x, GLdouble y, GLdouble z);
GLAPI void GLAPIENTRY glOrtho(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top,
                              GLdouble near_val, GLdouble far_val);
GLAPI void GLAPIENTRY glGetDoublev(GLenum pname, GLdouble* params);
GLAPI void GLAPIENTRY glGetFloatv(GLenum pname, GLfloat* params);
GLAPI void GLAPIENTRY glGetIntegerv(GLenum pname, GLint* params);

GLAPI void GLAPIENTRY glBegin(GLenum mode);
GLAPI void GLAPIENTRY glEnd(void);
GLAPI void GLAPIENTRY glVertex3d(GLdouble x, GLdouble y, GLdouble z);
GLAPI void GLAPIENTRY glNormal3d(GLdouble nx, GLdouble ny, GLdouble nz);
GLAPI void GLAPIENTRY glColor3f(GLfloat red, GLfloat green, GLfloat blue);
GLAPI void GLAPIENTRY glColor4f(GLfloat red, GLfloat green, GLfloat blue, GLfloat alpha);
GLAPI void GLAPIENTRY glLineWidth(GLfloat width);

GLAPI void GLAPIENTRY glLightfv(GLenum light, GLenum pname, const GLfloat* params);
GLAPI void GLAPIENTRY glMaterialfv(GLenum face, GLenum pname, const GLfloat* params);
GLAPI void GLAPIENTRY glFogi(GLenum pname, GLint param);
GLAPI void GLAPIENTRY glFogf(GLenum pname, GLfloat param);
GLAPI void GLAPIENTRY glFogfv(GLenum pname, const GLfloat* params);

GLAPI void GLAPIENTRY glEnable(GLenum cap);
GLAPI void GLAPIENTRY glDisable(GLenum cap);
GLAPI void GLAPIENTRY glEnableClientState(GLenum array);
GLAPI void GLAPIENTRY glDisableClientState(GLenum array);
GLAPI void GLAPIENTRY glPushAttrib(GLbitfield mask);
GLAPI void GLAPIENTRY glPopAttrib(void);

GLAPI void GLAPIENTRY glRasterPos2i(GLint x, GLint y);
GLAPI void GLAPIENTRY glBitmap(GLsizei width, GLsizei height, GLfloat xorig, GLfloat yorig,
                               GLfloat xmove, GLfloat ymove, const GLubyte* bitmap);
GLAPI void GLAPIENTRY glPixelStorei(GLenum pname, GLint param);

GLAPI void GLAPIENTRY glClear(GLbitfield mask);
GLAPI void GLAPIENTRY glClearColor(GLclampf red, GLclampf green, GLclampf blue, GLclampf alpha);
GLAPI void GLAPIENTRY glViewport(GLint x, GLint y, GLsizei width, GLsizei height);
GLAPI void GLAPIENTRY glReadPixels(GLint x, GLint y, GLsizei width, GLsizei height, GLenum format,
                                   GLenum type, GLvoid* pixels);
GLAPI void GLAPIENTRY glFinish(void);
GLAPI void GLAPIENTRY glFlush(void);
GLAPI GLenum GLAPIENTRY glGetError(void);
GLAPI const GLubyte* GLAPIENTRY glGetString(GLenum name);

GLAPI void GLAPIENTRY glVertexPointer(GLint size, GLenum type, GLsizei stride, const GLvoid* ptr);
GLAPI void GLAPIENTRY glNormalPointer(GLenum type, GLsizei stride, const GLvoid* ptr);
GLAPI void GLAPIENTRY glTexCoordPointer(GLint size, GLenum type, GLsizei stride,
                                       const GLvoid* ptr);
GLAPI void GLAPIENTRY glDrawArrays(GLenum mode, GLint first, GLsizei count);
GLAPI void GLAPIENTRY glDrawElements(GLenum mode, GLsizei count, GLenum type,
                                     const GLvoid* indices);

#ifdef __cplusplus
}
#endif

#endif
