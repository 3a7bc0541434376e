// Per-vertex work as fixed-function GL does it: transformation, lighting in eye space and the fog
// distance, and the calls that set the current normal, colour, light, material and fog.
#include <cmath>
#include <cstring>

#include "internal.h"

namespace glfixed {
namespace {

// Lighting as fixed-function GL does it per vertex, in eye space: the scene ambient on the
// material's ambient, then light 0 (black ambient, white diffuse, no attenuation, no spot).
// The material's specular colour is never changed from black, so there is no specular term.
void light(const float eye[4], const float n_obj[3], float out[4]) {
  State& s = st();
  const Material& m = s.lighting.material;
  for (int k = 0; k < 3; ++k) out[k] = m.ambient[k] * 0.2f;
  if (s.enables.light0) {
    const float* nm = normal_matrix();
    const float n[3] = {nm[0] * n_obj[0] + nm[3] * n_obj[1] + nm[6] * n_obj[2],
                        nm[1] * n_obj[0] + nm[4] * n_obj[1] + nm[7] * n_obj[2],
                        nm[2] * n_obj[0] + nm[5] * n_obj[1] + nm[8] * n_obj[2]};
    const float* p = s.lighting.light_position;
    float l[3];
    if (p[3] != 0.0f) {
      for (int k = 0; k < 3; ++k) l[k] = p[k] * eye[3] - eye[k] * p[3];
    } else {
      for (int k = 0; k < 3; ++k) l[k] = p[k];
    }
    const float len2 = l[0] * l[0] + l[1] * l[1] + l[2] * l[2];
    const float inv = len2 > 0.0f ? 1.0f / std::sqrt(len2) : 0.0f;
    const float ndotl = (n[0] * l[0] + n[1] * l[1] + n[2] * l[2]) * inv;
    if (ndotl > 0.0f)
      for (int k = 0; k < 3; ++k) out[k] += ndotl * m.diffuse[k];
  }
  out[3] = m.diffuse[3];
  for (int k = 0; k < 4; ++k) out[k] = clamp01(out[k]);
}

}  // namespace

void window_position(const float pos[4], float win[2]) {
  const Viewport_map map(st().viewport);
  const float w = pos[3] != 0.0f ? pos[3] : 1.0f;
  for (int k = 0; k < 2; ++k) win[k] = pos[k] / w * map.scale[k] + map.translate[k];
}

Processed process(float x, float y, float z, const float* normal) {
  State& s = st();
  const float* mv = top(GL_MODELVIEW).m;
  const float* c = mvp();
  float eye[4];
  for (int k = 0; k < 4; ++k) eye[k] = mv[k] * x + mv[4 + k] * y + mv[8 + k] * z + mv[12 + k];
  Processed p;
  for (int k = 0; k < 4; ++k) p.v.pos[k] = c[k] * x + c[4 + k] * y + c[8 + k] * z + c[12 + k];
  if (s.enables.lighting)
    light(eye, normal, p.v.color);
  else
    for (int k = 0; k < 4; ++k) p.v.color[k] = clamp01(s.color[k]);
  p.v.fog = s.enables.fog ? s.fog_density * std::fabs(eye[2]) : 0.0f;
  window_position(p.v.pos, p.win);
  return p;
}

}  // namespace glfixed

using namespace glfixed;

extern "C" {

void glNormal3d(GLdouble nx, GLdouble ny, GLdouble nz) {
  State& s = st();
  s.normal[0] = static_cast<float>(nx);
  s.normal[1] = static_cast<float>(ny);
  s.normal[2] = static_cast<float>(nz);
}

void glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a) {
  float* c = st().color;
  c[0] = r;
  c[1] = g;
  c[2] = b;
  c[3] = a;
}

void glColor3f(GLfloat r, GLfloat g, GLfloat b) {
  glColor4f(r, g, b, 1.0f);
}

void glLightfv(GLenum light, GLenum pname, const GLfloat* params) {
  if (refused_inside_begin()) return;
  if (light != GL_LIGHT0 || pname != GL_POSITION) {
    set_error(GL_INVALID_ENUM);
    return;
  }
  // Stored in eye coordinates, through the model-view matrix current now.
  const float* m = top(GL_MODELVIEW).m;
  float* p = st().lighting.light_position;
  for (int k = 0; k < 4; ++k)
    p[k] = m[k] * params[0] + m[4 + k] * params[1] + m[8 + k] * params[2] + m[12 + k] * params[3];
}

void glMaterialfv(GLenum face, GLenum pname, const GLfloat* params) {
  if (face != GL_FRONT && face != GL_BACK && face != GL_FRONT_AND_BACK) {
    set_error(GL_INVALID_ENUM);
    return;
  }
  Material& m = st().lighting.material;
  const bool ambient = pname == GL_AMBIENT || pname == GL_AMBIENT_AND_DIFFUSE;
  const bool diffuse = pname == GL_DIFFUSE || pname == GL_AMBIENT_AND_DIFFUSE;
  if (!ambient && !diffuse) {
    set_error(GL_INVALID_ENUM);
    return;
  }
  // Two-sided lighting is off: back faces are lit with the front material.
  if (face == GL_BACK) return;
  if (ambient) std::memcpy(m.ambient, params, sizeof m.ambient);
  if (diffuse) std::memcpy(m.diffuse, params, sizeof m.diffuse);
}

void glFogf(GLenum pname, GLfloat param) {
  if (refused_inside_begin()) return;
  State& s = st();
  switch (pname) {
    case GL_FOG_MODE:
      if (static_cast<GLenum>(param) != GL_EXP) set_error(GL_INVALID_ENUM);
      break;
    case GL_FOG_DENSITY:
      if (param < 0.0f)
        set_error(GL_INVALID_VALUE);
      else
        s.fog_density = param;
      break;
    default:
      set_error(GL_INVALID_ENUM);
      break;
  }
}

void glFogi(GLenum pname, GLint param) {
  if (refused_inside_begin()) return;
  glFogf(pname, static_cast<GLfloat>(param));
}

void glFogfv(GLenum pname, const GLfloat* params) {
  if (refused_inside_begin()) return;
  if (pname == GL_FOG_COLOR) {
    for (int k = 0; k < 4; ++k) st().fog_color[k] = clamp01(params[k]);
    return;
  }
  glFogf(pname, params[0]);
}

}  // extern "C"
