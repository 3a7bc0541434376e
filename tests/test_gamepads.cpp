// The gamepad mapping: pad states in, tick after tick, and the presses they make out; and the
// SDL start-up the Linux pads share with the sound.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "app/sdl_subsystems.h"
#include "input/gamepads.h"
#include "support/presses.h"

namespace {

// A pad holding the controls named in `held` (U D L R: the D-pad, A Y, S: Start, B: Back).
Gamepad_state pad(int id, const std::string& held = "", float stick_x = 0, float stick_y = 0) {
  auto has = [&](char c) { return held.find(c) != std::string::npos; };
  return {id,       has('U'), has('D'), has('L'), has('R'), has('A'),
          has('Y'), has('S'), has('B'), stick_x,  stick_y};
}

TEST(Gamepads, StatesTickByTickMakeThePressesOfTheOneTable) {
  const struct {
    std::vector<Gamepad_state> pads;
    const char* presses;
    const char* what;
  } ticks[] = {
      {{}, "", "no pad: nothing"},
      {{pad(1, "U")}, "^", "a new pad holding up: up at once"},
      {{pad(1, "U")}, "^", "a held direction repeats every tick"},
      {{pad(1, "A")}, "c", "A on its way down: the left click"},
      {{pad(1, "A")}, "", "A held: nothing more"},
      {{pad(1)}, "", "released: nothing"},
      {{pad(1, "A")}, "c", "down again: another click"},
      {{pad(1, "Y")}, "b", "Y: the view from above"},
      {{pad(1, "S")}, "sr", "Start: s for the title, then r for the game-over page"},
      {{pad(1, "B")}, "q", "Back: quit"},
      {{pad(1, "UAYSB")}, "^cbsr", "everything at once, in the table's order; Back still held"},
      {{pad(1, "", 0.0f, -0.51f)}, "^", "the stick just past half its travel up"},
      {{pad(1, "", 0.0f, -0.5f)}, "", "at half: not yet"},
      {{pad(1, "", 0.0f, 1.0f)}, "v", "stick down"},
      {{pad(1, "", -1.0f, 0.0f)}, "<", "stick left"},
      {{pad(1, "", 0.7f, 0.0f)}, ">", "stick right"},
      {{pad(1, "", -0.6f, 0.8f)}, "v", "a diagonal: the dominant axis"},
      {{pad(1, "", -0.8f, 0.6f)}, "<", "the other way round"},
      {{pad(1, "", 0.9f, 0.3f)}, ">", "the other axis short of half"},
      {{pad(1, "L", 0.0f, -1.0f)}, "<", "the D-pad over the stick"},
      {{pad(1, "UR")}, "^", "two arrows after left: the step"},
      {{pad(1, "R")}, ">", "right alone"},
      {{pad(1, "UR")}, ">", "up joins: right, held before, stays"},
      {{pad(1, "", 0.75f, -0.75f)}, ">", "an exact diagonal of the stick keeps it too"},
      {{pad(1, "U")}, "^", "right let go: up"},
      {{pad(1, "UD")}, "", "opposite arrows cancel"},
      {{pad(1, "", NAN, NAN)}, "", "a stick reporting nonsense: nothing"},
      {{pad(1, "U"), pad(2, "A")}, "^c", "two pads: both, in their order"},
      {{pad(2, "A"), pad(1, "U")}, "^", "pad 2 still holds A; the order may change"},
      {{pad(1, "U")}, "^", "pad 2 pulled out"},
      {{pad(1, "U"), pad(2, "A")}, "^c", "pad 2 back: a new pad, its A a new press"},
      {{pad(7, "A")}, "c", "both gone, another in: taken up at once"},
      {{}, "", "unplugged mid-hold: nothing more"},
  };
  input::Gamepads pads;
  for (const auto& t : ticks)
    EXPECT_EQ(padtest::written(pads.presses(t.pads)), t.presses) << t.what;
}

// The callbacks' own path: keys and arrows at the given point, a click as down then up there.
std::vector<std::string> g_calls;
void keyboard(unsigned char key, int x, int y) {
  g_calls.push_back("key " + std::string(1, key) + " " + std::to_string(x) + "," +
                    std::to_string(y));
}
void special(int key, int x, int y) {
  g_calls.push_back("special " + std::to_string(key) + " " + std::to_string(x) + "," +
                    std::to_string(y));
}
void mouse(int button, int state, int x, int y) {
  g_calls.push_back("mouse " + std::to_string(button) + " " + std::to_string(state) + " " +
                    std::to_string(x) + "," + std::to_string(y));
}

TEST(Gamepads, PressesReachTheCallbacksAtTheGivenPoint) {
  input::send(
      {{input::Press::special, GLUT_KEY_LEFT}, {input::Press::click, 0}, {input::Press::key, 'b'}},
      {keyboard, special, mouse}, 250, 240);
  const std::vector<std::string> expected = {
      "special " + std::to_string(GLUT_KEY_LEFT) + " 250,240",
      "mouse " + std::to_string(GLUT_LEFT_BUTTON) + " " + std::to_string(GLUT_DOWN) + " 250,240",
      "mouse " + std::to_string(GLUT_LEFT_BUTTON) + " " + std::to_string(GLUT_UP) + " 250,240",
      "key b 250,240"};
  EXPECT_EQ(g_calls, expected);
}

}  // namespace

// SDL is shared: the sound's audio (started on its loader thread) and the pads' controllers (on
// the main thread) start at the same moment without harm, and either may stop first without
// taking the other down; SDL itself ends with the last.
TEST(SdlSubsystems, AudioAndControllersStartTogetherAndStopInEitherOrder) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  const Uint32 both = SDL_INIT_AUDIO | SDL_INIT_GAMECONTROLLER;
  for (const Uint32 first : {SDL_INIT_AUDIO, SDL_INIT_GAMECONTROLLER}) {
    std::thread loader([] {
      EXPECT_TRUE(start_sdl_subsystem(SDL_INIT_AUDIO));
      SDL_TLSCleanup();
    });
    EXPECT_TRUE(start_sdl_subsystem(SDL_INIT_GAMECONTROLLER));
    loader.join();
    EXPECT_EQ(SDL_WasInit(both), both);
    stop_sdl_subsystem(first);
    EXPECT_EQ(SDL_WasInit(both), both & ~first);
    EXPECT_NE(SDL_WasInit(SDL_INIT_EVENTS), 0u) << "the events both use went with " << first;
    stop_sdl_subsystem(both & ~first);
    EXPECT_EQ(SDL_WasInit(0), 0u);
  }
}
