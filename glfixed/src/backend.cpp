#include "backend.h"

#include <GLES2/gl2.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstring>

namespace glfixed {
namespace es {
namespace {

// Fragment shaders take high precision where the GPU has it (ES 2.0 leaves it optional, and
// some phone GPUs lack it), else medium: enough for colours, fog and the atlas's 512 texels.
#define GLFIXED_FRAGMENT_PRECISION                                                       \
  "#ifdef GL_FRAGMENT_PRECISION_HIGH\nprecision highp float;\n#else\nprecision mediump " \
  "float;\n#endif\n"

// Fog as fixed-function GL applies it per fragment: exp of the interpolated distance.
const char* const kVertexShader = R"(
attribute vec4 a_pos;
attribute vec4 a_color;
attribute float a_fog;
attribute vec2 a_uv;
uniform vec2 u_atlas;
varying vec4 v_color;
varying float v_fog;
varying vec2 v_uv;
void main() {
  gl_Position = a_pos;
  v_color = a_color;
  v_fog = a_fog;
  v_uv = a_uv * u_atlas;
}
)";

const char* const kTriangleShader = GLFIXED_FRAGMENT_PRECISION R"(
uniform vec4 u_fog_color;
varying vec4 v_color;
varying float v_fog;
void main() {
  float f = clamp(exp(-v_fog), 0.0, 1.0);
  gl_FragColor = vec4(mix(u_fog_color.rgb, v_color.rgb, f), v_color.a);
}
)";

const char* const kBitmapShader = GLFIXED_FRAGMENT_PRECISION R"(
uniform vec4 u_fog_color;
uniform sampler2D u_atlas_tex;
varying vec4 v_color;
varying float v_fog;
varying vec2 v_uv;
void main() {
  if (texture2D(u_atlas_tex, v_uv).r < 0.5) discard;
  float f = clamp(exp(-v_fog), 0.0, 1.0);
  gl_FragColor = vec4(mix(u_fog_color.rgb, v_color.rgb, f), v_color.a);
}
)";

struct Program {
  GLuint id = 0;
  GLint pos = -1, color = -1, fog = -1, uv = -1;
  GLint fog_color = -1, atlas = -1, atlas_tex = -1;
};

// A shader, or 0 (its log printed) when it does not compile: in a lost context nothing does.
GLuint compile(GLenum type, const char* source) {
  const GLuint s = glCreateShader(type);
  glShaderSource(s, 1, &source, nullptr);
  glCompileShader(s);
  GLint ok = 0;
  glGetShaderiv(s, GL_COMPILE_STATUS, &ok);
  if (ok) return s;
  char log[1024] = "";
  glGetShaderInfoLog(s, sizeof log, nullptr, log);
  if (log[0] != '\0') std::fprintf(stderr, "glfixed: shader does not compile: %s\n", log);
  glDeleteShader(s);
  return 0;
}

// False when the program cannot be made.
bool link(const char* fragment, Program* p) {
  const GLuint vertex = compile(GL_VERTEX_SHADER, kVertexShader);
  const GLuint pixel = compile(GL_FRAGMENT_SHADER, fragment);
  GLint ok = 0;
  if (vertex != 0 && pixel != 0) {
    p->id = glCreateProgram();
    glAttachShader(p->id, vertex);
    glAttachShader(p->id, pixel);
    glLinkProgram(p->id);
    glGetProgramiv(p->id, GL_LINK_STATUS, &ok);
    if (!ok) {
      std::fputs("glfixed: shader program does not link\n", stderr);
      glDeleteProgram(p->id);
    }
  }
  glDeleteShader(vertex);  // they go with the program
  glDeleteShader(pixel);
  if (!ok) return false;
  p->pos = glGetAttribLocation(p->id, "a_pos");
  p->color = glGetAttribLocation(p->id, "a_color");
  p->fog = glGetAttribLocation(p->id, "a_fog");
  p->uv = glGetAttribLocation(p->id, "a_uv");
  p->fog_color = glGetUniformLocation(p->id, "u_fog_color");
  p->atlas = glGetUniformLocation(p->id, "u_atlas");
  p->atlas_tex = glGetUniformLocation(p->id, "u_atlas_tex");
  return true;
}

// Every ES object of the layer, and what it last set in the context.
struct Backend {
  Program triangles, bitmaps;
  GLuint buffer = 0;
  GLuint atlas = 0;
  const Program* bound = nullptr;
  Draw_state applied;
  bool state_known = false;
  int span = 1;

  // Makes the objects in the current context; false when it cannot.
  bool make() {
    if (!link(kTriangleShader, &triangles) || !link(kBitmapShader, &bitmaps)) return false;
    glGenBuffers(1, &buffer);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glGenTextures(1, &atlas);
    glBindTexture(GL_TEXTURE_2D, atlas);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_LUMINANCE, kAtlasSize, kAtlasSize, 0, GL_LUMINANCE,
                 GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    GLint dims[2] = {0, 0};
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, dims);
    while (span * 2 <= std::min(dims[0], dims[1])) span *= 2;
    return true;
  }

  void apply(const Draw_state& s) {
    if (state_known && s == applied) return;
    if (!state_known || s.depth_test != applied.depth_test) {
      if (s.depth_test)
        glEnable(GL_DEPTH_TEST);
      else
        glDisable(GL_DEPTH_TEST);
    }
    if (!state_known || std::memcmp(s.viewport, applied.viewport, sizeof s.viewport) != 0)
      glViewport(s.viewport[0], s.viewport[1], s.viewport[2], s.viewport[3]);
    applied = s;
    state_known = true;
    bound = nullptr;  // the fog colour goes with the program
  }

  void use(const Program& p, const Draw_state& s) {
    apply(s);
    if (bound == &p) return;
    glUseProgram(p.id);
    glUniform4fv(p.fog_color, 1, s.fog_color);
    bound = &p;
  }
};

Backend g_backend;
enum class Status { untried, ready, failed } g_status = Status::untried;

void make() {
  g_status = g_backend.make() ? Status::ready : Status::failed;
  if (g_status == Status::failed)
    std::fputs("glfixed: no GL objects in this context: nothing is drawn\n", stderr);
}

// The objects, made on first use; null while they cannot be, until a remake succeeds.
Backend* live() {
  if (g_status == Status::untried) make();
  return g_status == Status::ready ? &g_backend : nullptr;
}

void attrib(GLint location, int size, std::size_t stride, std::size_t offset) {
  if (location < 0) return;
  glEnableVertexAttribArray(static_cast<GLuint>(location));
  glVertexAttribPointer(static_cast<GLuint>(location), size, GL_FLOAT, GL_FALSE,
                        static_cast<GLsizei>(stride), reinterpret_cast<const void*>(offset));
}

}  // namespace

bool Draw_state::operator==(const Draw_state& o) const {
  return depth_test == o.depth_test && std::memcmp(fog_color, o.fog_color, sizeof fog_color) == 0 &&
         std::memcmp(viewport, o.viewport, sizeof viewport) == 0;
}

bool ready() {
  return live() != nullptr;
}

bool remake() {
  g_backend = Backend();  // the old names went with the old context: nothing to delete
  make();
  return g_status == Status::ready;
}

int window_span() {
  const Backend* b = live();
  return b ? b->span : 1;
}

void draw_triangles(const Vertex* v, int count, const Draw_state& state) {
  if (!live()) return;
  Backend& b = g_backend;
  b.use(b.triangles, state);
  glBindBuffer(GL_ARRAY_BUFFER, b.buffer);
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(sizeof(Vertex)) * count, v, GL_STREAM_DRAW);
  attrib(b.triangles.pos, 4, sizeof(Vertex), offsetof(Vertex, pos));
  attrib(b.triangles.color, 4, sizeof(Vertex), offsetof(Vertex, color));
  attrib(b.triangles.fog, 1, sizeof(Vertex), offsetof(Vertex, fog));
  glDrawArrays(GL_TRIANGLES, 0, count);
}

void draw_bitmaps(const Bitmap_vertex* v, int count, const Draw_state& state) {
  if (!live()) return;
  Backend& b = g_backend;
  const bool first = b.bound != &b.bitmaps;
  b.use(b.bitmaps, state);
  if (first) {
    glUniform1i(b.bitmaps.atlas_tex, 0);
    glUniform2f(b.bitmaps.atlas, 1.0f / kAtlasSize, 1.0f / kAtlasSize);
  }
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, b.atlas);
  glBindBuffer(GL_ARRAY_BUFFER, b.buffer);
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(sizeof(Bitmap_vertex)) * count, v,
               GL_STREAM_DRAW);
  attrib(b.bitmaps.pos, 4, sizeof(Bitmap_vertex), offsetof(Bitmap_vertex, pos));
  attrib(b.bitmaps.color, 4, sizeof(Bitmap_vertex), offsetof(Bitmap_vertex, color));
  attrib(b.bitmaps.fog, 1, sizeof(Bitmap_vertex), offsetof(Bitmap_vertex, fog));
  attrib(b.bitmaps.uv, 2, sizeof(Bitmap_vertex), offsetof(Bitmap_vertex, uv));
  glDrawArrays(GL_TRIANGLES, 0, count);
  // The triangle program has no a_uv: leave no array enabled that it does not feed.
  if (b.bitmaps.uv >= 0) glDisableVertexAttribArray(static_cast<GLuint>(b.bitmaps.uv));
}

void atlas_upload(int x, int y, int width, int height, const std::uint8_t* texels) {
  if (!live()) return;
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, g_backend.atlas);
  glTexSubImage2D(GL_TEXTURE_2D, 0, x, y, width, height, GL_LUMINANCE, GL_UNSIGNED_BYTE, texels);
}

void clear(unsigned mask, const float color[4]) {
  if (!live()) return;
  glClearColor(color[0], color[1], color[2], color[3]);
  GLbitfield es_mask = 0;
  if (mask & 0x4000u) es_mask |= GL_COLOR_BUFFER_BIT;
  if (mask & 0x0100u) es_mask |= GL_DEPTH_BUFFER_BIT;
  glClear(es_mask);
}

void read_rgba(int x, int y, int width, int height, std::uint8_t* rgba) {
  if (!live()) return;
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(x, y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
}

void finish() {
  glFinish();
}

void flush() {
  glFlush();
}

const unsigned char* get_string(unsigned name) {
  return glGetString(name);
}

}  // namespace es
}  // namespace glfixed
