#include "screens/play_state.h"

#include <GL/freeglut.h>

#include <cstdlib>

#include "app/gamesystem.h"
#include "objects/field_object.h"
#include "platform/data_file_list.h"
#include "screens/gameover_state.h"
#include "screens/status.h"
#include "sound/sound_effect.h"

namespace {

constexpr int STEP_TICKS = 4;
constexpr int STEP_COST = 10;
constexpr int OVERVIEW_COST = 500;
constexpr double OVERVIEW_RISE = 5.0;
constexpr double EYE_HEIGHT = 1.0;
constexpr int FULL_HP = 10000;

bool is_arrow(int key) {
  return key >= GLUT_KEY_LEFT && key <= GLUT_KEY_DOWN;
}

}  // namespace

// Only the field is really set up here; statetransfer_init gives the rest their values.
Play_State::Play_State()
    : cur_key(0),
      next_key(0),
      anim_count(0),
      overview(false),
      overview_angle(0.0),
      hp(0),
      view_angle(1.0),
      direction(1) {}

void Play_State::statetransfer_init(Gamesystem*) {
  hp = FULL_HP;
  death_sounded = false;
  stage_init(0);
}

bool Play_State::is_dead() const {
  return hp <= 0;
}

// The death sound plays once, the moment the life first runs out, whatever took it.
void Play_State::note_life() {
  if (!is_dead() || death_sounded) return;
  death_sounded = true;
  play_sound_effect(data_files::kDeathEffect);
}

void Play_State::stage_init(int) {
  static int vornasize = 13;
  static const GLfloat fog_color[4] = {0.2f, 0.2f, 0.5f, 1.0f};

  field.field_init(vornasize, vornasize);

  // Fog comes back at every stage: the teapot switches it off.
  glEnable(GL_FOG);
  glFogi(GL_FOG_MODE, GL_EXP);
  glFogfv(GL_FOG_COLOR, fog_color);
  glFogf(GL_FOG_DENSITY, 0.125f);

  field.player_pos = VECTORD{0.0, EYE_HEIGHT, 5.0};
  direction = 1;
  view_angle = static_cast<double>(direction);
  cur_key = 0;
  next_key = 0;
  anim_count = 0;
  overview = false;

  vornasize += 10;
  if (vornasize > MAX_VORNASIZE) vornasize = MAX_VORNASIZE;
}

void Play_State::sp_keyboard(int key, int, int) {
  // A dead player only sees the game-over page: nothing moves until the restart.
  if (is_dead()) return;

  if (overview) {
    switch (key) {
      case GLUT_KEY_LEFT:
        overview_angle -= 10.0;
        break;
      case GLUT_KEY_RIGHT:
        overview_angle += 10.0;
        break;
      case GLUT_KEY_UP:
      case GLUT_KEY_DOWN:
        field.player_pos.y = EYE_HEIGHT;
        overview = false;
        break;
      default:
        break;
    }
    return;
  }

  if (anim_count != 0) {
    // Auto-repeats of the running move are dropped; a different arrow replaces the queued one.
    if (is_arrow(key) && key != cur_key) next_key = key;
    return;
  }

  switch (key) {
    case GLUT_KEY_UP:
      step(true);
      break;
    case GLUT_KEY_DOWN:
      step(false);
      break;
    case GLUT_KEY_RIGHT:
      direction = (direction + 1) % 4;
      anim_count = STEP_TICKS;
      break;
    case GLUT_KEY_LEFT:
      direction = (direction + 3) % 4;
      anim_count = STEP_TICKS;
      break;
    default:
      break;
  }
  // Even a blocked step counts as the last key: its repeats are then dropped like any other.
  cur_key = key;
}

// A cell step ahead or back, animated unless a wall blocks it. Only a step ahead can end the
// stage: into the exit cell, it starts the next one at once.
void Play_State::step(bool ahead) {
  const VECTORD target =
      ahead ? field.player_pos + dir[direction] : field.player_pos - dir[direction];
  if (!field.move_enable(target)) return;
  if (ahead && field.is_goal(target)) {
    stage_init(0);
    return;
  }
  anim_count = STEP_TICKS;
  hp -= STEP_COST;
  note_life();
}

void Play_State::timer(int, Gamesystem*) {
  if (anim_count != 0) {
    switch (cur_key) {
      case GLUT_KEY_UP:
        field.player_pos += dir[direction] / 4.0;
        break;
      case GLUT_KEY_DOWN:
        field.player_pos -= dir[direction] / 4.0;
        break;
      case GLUT_KEY_RIGHT:
        view_angle += 0.25;
        if (view_angle > 4.0) view_angle -= 4.0;
        break;
      case GLUT_KEY_LEFT:
        view_angle -= 0.25;
        break;
      default:
        break;
    }
    --anim_count;
    // The queued key starts in the tick that ends this move, so chained moves have no gap.
    if (anim_count == 0 && next_key != 0) {
      cur_key = next_key;
      next_key = 0;
      sp_keyboard(cur_key, 0, 0);
    }
  } else {
    // Also brings an angle that left turns took below zero back into 0..3.
    view_angle = static_cast<double>(direction);
  }

  for (field_object* obj : field.enemy_list) obj->move(field);
  for (field_object* obj : field.item_list) obj->move(field);
  // Nothing is picked up after death: a dead player cannot walk back to life.
  for (auto it = field.item_list.begin(); !is_dead() && it != field.item_list.end();) {
    field_object* item = *it;
    if (item->stumb(field.player_pos)) {
      item->action(&hp);
      delete item;
      it = field.item_list.erase(it);
    } else {
      ++it;
    }
  }

  hp -= 1;
  note_life();
}

void Play_State::keyboard(unsigned char key, int, int, Gamesystem* sys) {
  switch (key) {
    case 'Q':
    case 'q':
      std::exit(0);
    case 'r':
    case 27:
      if (is_dead()) {
        // The restart's own set-up is at once replaced by the one of statetransfer_init.
        stage_init(1);
        make_current(state_transfer(PLAY), sys);
      }
      break;
    case 'b':
      // Leaves at least one point: the overhead view never kills.
      if (hp > OVERVIEW_COST) {
        hp -= OVERVIEW_COST;
        field.player_pos.y += OVERVIEW_RISE;
        if (!overview) overview_angle = view_angle * 90.0;
        overview = true;
      }
      break;
    default:
      break;
  }
}

void Play_State::mouse(int button, int state, int, int, Gamesystem*) {
  if (button != GLUT_LEFT_BUTTON || state != GLUT_DOWN || is_dead()) return;
  const VECTORD target = field.player_pos + dir[direction];
  if (!field.move_enable(target)) {
    // On the face of the wall ahead, at eye level even in the overhead view.
    VECTORD mark = field.player_pos + dir[direction] / 2.0;
    mark.y = 1.0;
    field.markings.push_back(mark);
  }
}

void Play_State::mouse_move(int, int, Gamesystem*) {}

void Play_State::display(Gamesystem* sys) {
  if (is_dead()) {
    draw_gameover(sys);
    return;
  }
  begin_frame();
  field.field_draw();
  finish_frame(sys);
}

void Play_State::begin_frame() {
  static const GLfloat lightpos[4] = {3.0f, 40.0f, 5.0f, 1.0f};

  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  // Set before the view transform: the light moves with the eye.
  glLightfv(GL_LIGHT0, GL_POSITION, lightpos);
  if (overview) {
    glRotated(overview_angle, 0.0, 1.0, 0.0);
  } else {
    glRotated(view_angle * 90.0, 0.0, 1.0, 0.0);
  }
  glTranslated(-field.player_pos.x, -field.player_pos.y, -field.player_pos.z);
}

void Play_State::finish_frame(Gamesystem* sys) {
  for (field_object* obj : field.enemy_list) obj->draw();
  for (field_object* obj : field.item_list) obj->draw();

  draw_info(sys, hp);
}
