// The memcheck XML report parser: which errors pass through our code.
#include <gtest/gtest.h>

#include "memcheck/memcheck_xml.h"

namespace {

const char kTrace[] =
    "<?xml version=\"1.0\"?>\n<valgrindoutput>\n"
    "<error><kind>Leak_DefinitelyLost</kind><xwhat><text>16 bytes lost</text></xwhat>"
    "<stack><frame><obj>/usr/libexec/valgrind/vgpreload_memcheck-amd64-linux.so</obj>"
    "<fn>operator new(unsigned long)</fn></frame>"
    "<frame><obj>/game/vorna</obj><fn>Vorna_Field::field_init(int, int)</fn></frame>"
    "</stack></error>\n"
    "<error><kind>Leak_DefinitelyLost</kind><xwhat><text>88 bytes lost</text></xwhat>"
    "<stack><frame><obj>/usr/libexec/valgrind/vgpreload_memcheck-amd64-linux.so</obj>"
    "<fn>malloc</fn></frame><frame><obj>/usr/lib/libfoo.so</obj><fn>foo_init</fn></frame>"
    "<frame><obj>/game/vorna</obj><fn>audio::open()</fn></frame></stack></error>\n"
    "<error><kind>Leak_DefinitelyLost</kind><xwhat><text>9 bytes lost</text></xwhat>"
    "<stack><frame><obj>/usr/libexec/valgrind/vgpreload_memcheck-amd64-linux.so</obj>"
    "<fn>malloc</fn></frame><frame><obj>/usr/lib/x86_64-linux-gnu/libc.so.6</obj>"
    "<fn>strdup</fn></frame><frame><obj>/game/vorna</obj><fn>main</fn></frame>"
    "</stack></error>\n"
    "<error><kind>UninitCondition</kind><what>Conditional jump depends on &lt;uninit&gt;</what>"
    "<stack><frame><obj>/usr/lib/libGL.so</obj><fn>glDrawArrays</fn></frame>"
    "<frame><obj>/game/vorna</obj><fn>Vorna_Field::field_draw()</fn></frame></stack></error>\n"
    "<error><kind>InvalidRead</kind><what>Invalid read of size 8</what>"
    "<stack><frame><obj>/lib/ld-linux-x86-64.so.2</obj><fn>strncmp</fn></frame></stack>"
    "</error>\n"
    "<suppcounts><pair><count>3</count><name>a</name></pair>"
    "<pair><count>4</count><name>b</name></pair></suppcounts>\n</valgrindoutput>\n";

TEST(Memcheck, ReportSortsOurErrorsFromTheLibraries) {
  const memcheck::Report r = memcheck::parse(kTrace);
  ASSERT_TRUE(r.complete);
  ASSERT_EQ(r.errors.size(), 5u);
  EXPECT_EQ(r.suppressed, 7);
  EXPECT_EQ(r.errors[3].what, "Conditional jump depends on <uninit>");
  EXPECT_EQ(r.errors[0].stacks.at(0).at(1).fn, "Vorna_Field::field_init(int, int)");
  // Our new; a library's malloc reached from our call; libc's strdup for us; an uninitialised
  // value used inside GL on our behalf; the loader alone.
  const bool expected[] = {true, false, true, true, false};
  for (size_t i = 0; i < r.errors.size(); ++i)
    EXPECT_EQ(memcheck::is_ours(r.errors[i], "/game/vorna"), expected[i]) << i;
  EXPECT_FALSE(memcheck::parse("<valgrindoutput><error>").complete);
}

}  // namespace
