// The real binary played under valgrind memcheck: title, a stage, steps and turns, a click on a
// wall, the overhead view, a death, a restart and q. Fails on any memcheck error that passes
// through our code and on any definitely-lost block that our code allocated.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "memcheck/memcheck_xml.h"
#include "support/game_process.h"

namespace {

using gltest::Frame;
using Clock = std::chrono::steady_clock;

TEST(Memcheck, PlaythroughOfTheRealGameIsClean) {
  const std::string dir = e2e::make_workdir("valgrind");
  const std::string xml = dir + "/memcheck.xml";
  const auto started = Clock::now();
  e2e::Game game(dir, {"SDL_AUDIODRIVER=dummy", "LIBGL_ALWAYS_SOFTWARE=1", "LP_NUM_THREADS=0"},
                 {"valgrind", "--tool=memcheck", "--leak-check=full", "--show-leak-kinds=definite",
                  "--errors-for-leak-kinds=definite",
                  // Mesa unloads its driver at exit: keep its names for the leak stacks.
                  "--keep-debuginfo=yes", "--child-silent-after-fork=yes", "--num-callers=40",
                  "--suppressions=" VORNA_SOURCE_DIR "/tests/valgrind.supp", "--xml=yes",
                  "--xml-file=" + xml});
  ASSERT_NE(game.window(300.0), 0UL) << game.err();

  // Under valgrind a frame takes about a second.
  Frame last;
  auto wait_for = [&](double seconds, auto pred) {
    return e2e::wait_for_frame(game, pred, seconds, 500, &last);
  };
  // Step into the first room, turn to its north wall and mark it, turn back.
  ASSERT_NO_FATAL_FAILURE(e2e::play_opening(game, 300.0, 500, &last));
  game.key("Right");

  // The overhead view until it is refused: at most 500 life points are left, whatever the
  // walk picked up. Above the maze nothing can be picked up; time drains the rest.
  for (int i = 0; i < 36; ++i) game.key("b");
  EXPECT_TRUE(wait_for(120, [](const Frame& f) { return e2e::bar_pixels(f) <= 25; }))
      << e2e::bar_pixels(last);
  // The bar is also gone, on a white sky, while a few points are left: the page's text tells.
  ASSERT_TRUE(wait_for(900, e2e::game_over_page)) << "no death; bar " << e2e::bar_pixels(last);
  const double death_at = std::chrono::duration<double>(Clock::now() - started).count();

  game.key("r");
  EXPECT_TRUE(wait_for(300, [](const Frame& f) {
    return e2e::in_3d_view(f) && e2e::bar_pixels(f) >= 495;
  })) << "no restart";
  game.key("q");
  ASSERT_EQ(game.wait_exit(600), 0) << game.err();
  const double total = std::chrono::duration<double>(Clock::now() - started).count();
  std::printf("valgrind run: death after %.0f s, exit after %.0f s\n", death_at, total);

  const memcheck::Report report = memcheck::parse_file(xml);
  ASSERT_TRUE(report.complete) << "no complete report in " << xml;
  std::printf("memcheck: %zu errors shown, %d suppressed\n", report.errors.size(),
              report.suppressed);
  int ours = 0;
  for (const memcheck::Error& e : report.errors) {
    const bool mine = memcheck::is_ours(e, VORNA_BIN);
    ours += mine;
    std::printf("%s%s", mine ? "OURS " : "library ", memcheck::describe(e).c_str());
  }
  EXPECT_EQ(ours, 0) << "memcheck errors in our code, see above";
}

}  // namespace
