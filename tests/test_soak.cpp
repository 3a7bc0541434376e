// A long game played in-process with random keys, clicks, overheads, walks to the items and
// the exit, deaths and restarts, through the application object as the toolkit callbacks call
// it, one frame per tick. Memory must stay flat and no file descriptor may be left open, also
// while the wave effects are missing, cut short or not waves at all.
// SOAK_TICKS sets the length (default 5000, 2500 under AddressSanitizer; `make soak` plays
// 100,000).
#include <gtest/gtest.h>
#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "platform/data_file_list.h"
#include "sound/sound_effect.h"
#include "support/bytes.h"
#include "support/descriptors.h"
#include "support/play_driver.h"

using namespace playtest;
namespace fs = std::filesystem;

namespace {

const auto& kWaves = data_files::kEffects;

// "VmHWM" (peak resident set) or "VmRSS" of this process, in kB.
long status_kb(const char* field) {
  std::ifstream in("/proc/self/status");
  for (std::string line; std::getline(in, line);)
    if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + std::strlen(field) + 1);
  return -1;
}

// The working directory's wave files for one run: the real ones, none, or broken ones.
enum class Waves { real, missing, header_only, cut_in_half, text, short_junk };
const char* name(Waves w) {
  const char* names[] = {"real", "missing", "header only", "cut in half", "text", "7 bytes"};
  return names[static_cast<int>(w)];
}

void lay_waves(Waves kind) {
  for (const char* wav : kWaves) {
    const fs::path real = fs::path(VORNA_RUN_DIR) / wav;
    fs::remove(wav);
    bytes::Bytes b;
    if (kind == Waves::header_only || kind == Waves::cut_in_half) {
      b = bytes::load(real);
      b.resize(kind == Waves::header_only ? 44 : b.size() / 2);
    } else if (kind == Waves::text) {
      for (int i = 0; i < 20; ++i) bytes::put(b, "this is not a wave file\n");
    } else if (kind == Waves::short_junk) {
      bytes::put(b, "garbage");
    }
    if (kind == Waves::real) {
      fs::copy_file(real, wav);
    } else if (kind != Waves::missing) {
      bytes::save(wav, b);
    }
  }
}

long g_effects = 0;  // effect plays the game asked for
void count_effect(const char*) {
  ++g_effects;
}

struct Stats {
  long ticks = 0, deaths = 0, restarts = 0, stages = 0, pickups = 0, clicks = 0, overheads = 0;
  std::set<int> sizes;
};

// Plays like a restless player: moods of wandering, walking to an item or the exit, and
// diving (overhead views until refused, then steps) that end in deaths.
class Player {
 public:
  explicit Player(unsigned seed) : rng_(seed) {}

  // Walks to the nearest item or the exit until the mood runs out.
  void seek(int ticks) {
    mood_ = Mood::seek;
    mood_ticks_ = ticks;
  }

  // Overhead views until refused, then steps and time until the death.
  void dive() {
    mood_ = Mood::dive;
    mood_ticks_ = 1;
  }

  // This tick's input events, then the tick and the frame.
  void tick(Stats& s) {
    Play_State* ps = play();
    // A dive lasts until the death it leads to.
    if (--mood_ticks_ <= 0 && (mood_ != Mood::dive || ps->hp <= 0)) {
      const int roll = pick(100);
      mood_ = roll < 30 ? Mood::wander : roll < 75 ? Mood::seek : Mood::dive;
      // Deaths and restarts first, up to the largest maze: memory is then measured over
      // every size the game will use.
      if (maze_size(ps) < Play_State::MAX_VORNASIZE) mood_ = Mood::dive;
      mood_ticks_ = 100 + pick(300);
    }
    const int size = maze_size(ps);
    if (ps->hp <= 0) {
      if (chance(0.01)) sys.sp_keyboard(GLUT_KEY_LEFT + pick(4), 0, 0);  // moves unseen
      if (chance(0.08)) {
        sys.keyboard(chance(0.5) ? 'r' : 27, 0, 0);
        ++s.restarts;
      }
    } else {
      if (chance(0.03)) {
        sys.mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 250, 250);
        sys.mouse(GLUT_LEFT_BUTTON, GLUT_UP, 250, 250);
        ++s.clicks;
      }
      if (chance(0.02)) sys.mouse_move(pick(500), pick(500));
      if (chance(0.01)) sys.keyboard("xRB s1"[pick(6)], 0, 0);  // keys the play screen ignores
      if (mood_ == Mood::wander) {
        if (chance(0.4)) sys.sp_keyboard(GLUT_KEY_LEFT + pick(4), 0, 0);
        if (chance(0.01)) overhead(s);
      } else if (mood_ == Mood::seek) {
        walk_to_target(ps);
      } else {
        if (ps->hp > 500) {
          overhead(s);
        } else if (ps->hp > 30) {  // the last points drain by time: the death sounds
          sys.sp_keyboard(chance(0.6) ? GLUT_KEY_UP : GLUT_KEY_LEFT + pick(4), 0, 0);
        }
      }
    }
    const int alive = ps->hp > 0;
    const size_t items = ps->field.item_list.size();
    sys.timer(0);
    sys.display();
    glutSwapBuffers();
    s.pickups += static_cast<long>(items > ps->field.item_list.size());
    s.deaths += alive && ps->hp <= 0;
    if (maze_size(ps) != size) {
      s.sizes.insert(maze_size(ps));
      ++s.stages;
    }
    ++s.ticks;
  }

 private:
  enum class Mood { wander, seek, dive };

  int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
  bool chance(double p) { return std::bernoulli_distribution(p)(rng_); }

  void overhead(Stats& s) {
    sys.keyboard('b', 0, 0);
    ++s.overheads;
  }

  // One key towards the life ball, the teapot, or else the exit, along a shortest path.
  void walk_to_target(Play_State* ps) {
    if (ps->overview) {
      sys.sp_keyboard(GLUT_KEY_UP, 0, 0);  // back down to eye level
      return;
    }
    if (ps->anim_count != 0) return;
    const auto& g = ps->field.grid;
    const Cell here{static_cast<int>(ps->field.player_pos.z / 5.0 + 0.5),
                    static_cast<int>(ps->field.player_pos.x / 5.0 + 0.5)};
    std::vector<Cell> targets;
    for (const field_object* o : ps->field.item_list)
      targets.emplace_back(static_cast<int>(o->pos.z / 5.0 + 0.5),
                           static_cast<int>(o->pos.x / 5.0 + 0.5));
    for (size_t r = 0; r < g.size(); ++r)
      if (!g[r].empty() && g[r].back() == '_') targets.emplace_back(r, g[r].size() - 1);
    const std::vector<Cell> path = shortest_path_to(g, here, [&](Cell c) {
      return std::find(targets.begin(), targets.end(), c) != targets.end();
    });
    if (path.size() < 2) {
      sys.sp_keyboard(GLUT_KEY_LEFT + pick(4), 0, 0);
      return;
    }
    sys.sp_keyboard(key_towards(ps, heading(here, path[1])), 0, 0);
  }

  std::mt19937 rng_;
  Mood mood_ = Mood::wander;
  int mood_ticks_ = 0;
};

// The play state, with a real audio output that discards what it mixes: effects and music
// really load and play.
Play_State* play_with_sound() {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  return play();
}

long soak_ticks() {
  const char* env = std::getenv("SOAK_TICKS");
  const long n = env != nullptr ? std::atol(env) : 0;
#ifdef __SANITIZE_ADDRESS__
  const long fallback = 2500;  // about ten times slower under AddressSanitizer
#else
  const long fallback = 5000;
#endif
  return n > 0 ? n : fallback;
}

TEST(Soak, MemoryAndDescriptorsStayFlatThroughALongRandomGame) {
  for (const char* data : {"shnm16.f1b", "bgm.mid"}) {
    fs::remove(data);
    fs::copy_file(fs::path(VORNA_RUN_DIR) / data, data);
  }
  Play_State* ps = play_with_sound();
  sys.kanji.load("shnm16.f1b");
  sys.bgm.Init(2, "bgm.mid");
  sys.bgm.Play();
  lay_waves(Waves::real);
  play_sound_effect("die.wav");  // the effect channel's one-time set-up before counting
  set_sound_effect_listener(count_effect);

  const long total = soak_ticks();
  const Waves runs[] = {Waves::real,        Waves::missing, Waves::header_only,
                        Waves::cut_in_half, Waves::text,    Waves::real};
  const long per_run = total / static_cast<long>(std::size(runs));
  Player player(20261209u);
  Stats stats;
  long hwm_at_1000 = -1, rss_at_1000 = -1, heap_at_1000 = -1, baseline_tick = -1;
  long at_largest = 0;  // the last tick before the largest maze
  std::vector<long> peaks;
  long hwm_first_1000 = -1;
  const auto started = std::chrono::steady_clock::now();

  sys.current_state = State::State_list[MENU];
  sys.keyboard('s', 0, 0);
  ASSERT_EQ(sys.current_state, ps);
  stats.sizes.insert(maze_size(ps));
  // A pick-up first, whatever the length: the life ball lies a few rooms from the entrance,
  // and the dives that follow leave little time for one.
  player.seek(1000);
  for (int i = 0; i < 1000 && stats.pickups == 0; ++i) player.tick(stats);
  const int fds_at_start = descriptors::open_count();
  for (const Waves kind : runs) {
    lay_waves(kind);
    const int fds_before = descriptors::open_count();
    const Stats at_start = stats;
    const long effects_before = g_effects;
    // Each run starts with a dive, whose death asks for "die.wav", and goes on until the game
    // has asked for an effect, within bounds.
    player.dive();
    for (long i = 0; i < per_run || (g_effects == effects_before && i < 5 * per_run); ++i) {
      player.tick(stats);
      // The baseline: after the first 1,000 ticks, 500 ticks into the largest maze, and after
      // the first tenth of a long run. The first frames of each view and state fill the
      // renderer's caches once (measured: all of the growth of a 60,000-tick run came before
      // tick 10,000, none after); what must stay flat is what comes after that.
      if (maze_size(ps) < Play_State::MAX_VORNASIZE) at_largest = stats.ticks;
      if (stats.ticks % (total / 10 + 1) == 0) peaks.push_back(status_kb("VmHWM"));
      if (stats.ticks == 1000) hwm_first_1000 = status_kb("VmHWM");
      if (hwm_at_1000 < 0 && stats.ticks >= std::max({1000L, at_largest + 500, total / 10})) {
        baseline_tick = stats.ticks;
        hwm_at_1000 = status_kb("VmHWM");
        heap_at_1000 = static_cast<long>(mallinfo2().uordblks / 1024);
        rss_at_1000 = status_kb("VmRSS");
      }
    }
    const int fds_after = descriptors::open_count();
    const long effects = g_effects - effects_before;
    std::printf(
        "run with waves %-11s: %ld ticks, %ld deaths, %ld pick-ups, %ld effects, fds %d -> %d\n",
        name(kind), stats.ticks - at_start.ticks, stats.deaths - at_start.deaths,
        stats.pickups - at_start.pickups, effects, fds_before, fds_after);
    EXPECT_EQ(fds_after, fds_before) << "waves " << name(kind);
    EXPECT_GE(effects, 1) << "no effect played with waves " << name(kind);
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  const long hwm_end = status_kb("VmHWM"), rss_end = status_kb("VmRSS");
  std::string peak_line;
  for (long kb : peaks) peak_line += " " + std::to_string(kb);
  std::printf(
      "      peak RSS after the first 1,000 ticks %ld kB; at every tenth of the run (kB):%s\n",
      hwm_first_1000, peak_line.c_str());
  std::string sizes;
  for (int s : stats.sizes) sizes += " " + std::to_string(s);
  std::printf(
      "soak: %ld ticks and frames in %.0f s (%.2f ms each)\n"
      "      %ld deaths, %ld restarts, %ld new stages, %ld pick-ups, %ld clicks, %ld overheads\n"
      "      maze sizes:%s\n"
      "      peak RSS after %ld ticks %ld kB, at the end %ld kB, growth %ld kB\n"
      "      RSS after %ld ticks %ld kB, at the end %ld kB\n"
      "      malloc heap in use then %ld kB, at the end %ld kB\n"
      "      open fds at the start %d, at the end %d\n",
      stats.ticks, seconds, 1000.0 * seconds / static_cast<double>(stats.ticks), stats.deaths,
      stats.restarts, stats.stages, stats.pickups, stats.clicks, stats.overheads, sizes.c_str(),
      baseline_tick, hwm_at_1000, hwm_end, hwm_end - hwm_at_1000, baseline_tick, rss_at_1000,
      rss_end, heap_at_1000, static_cast<long>(mallinfo2().uordblks / 1024), fds_at_start,
      descriptors::open_count());
  EXPECT_EQ(descriptors::open_count(), fds_at_start);
  set_sound_effect_listener(nullptr);
  ASSERT_GT(hwm_at_1000, 0) << "the largest maze was never reached";
  EXPECT_LT(hwm_end - hwm_at_1000, 2048) << "peak RSS grew by 2 MB or more";
  // The run really was varied: deaths and restarts, pick-ups, several maze sizes.
  EXPECT_GE(stats.deaths, 2);
  EXPECT_GE(stats.sizes.size(), 3u);
  EXPECT_GE(stats.pickups, 1);
}

// Effect files of a few bytes with no known format, played many times.
TEST(Soak, ShortJunkEffectFilesLeaveNoDescriptorOpen) {
  play_with_sound();
  lay_waves(Waves::short_junk);
  const int before = descriptors::open_count();
  for (int i = 0; i < 100; ++i) play_sound_effect(kWaves[i % 3]);
  EXPECT_EQ(descriptors::open_count(), before);
  lay_waves(Waves::real);
}

}  // namespace
