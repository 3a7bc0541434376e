// Preloaded into a GL program: at its first buffer swap, writes CLOCK_MONOTONIC (ns) to the file
// named by FIRST_SWAP_FILE and ends the process. The swap is caught where freeglut hands the
// frame to GLX, so any GLUT program is timed at the same point.
#include <GL/glx.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

extern "C" void glXSwapBuffers(Display*, GLXDrawable) {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  if (const char* path = std::getenv("FIRST_SWAP_FILE")) {
    if (FILE* out = std::fopen(path, "w")) {
      std::fprintf(out, "%lld\n", static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
      std::fclose(out);
    }
  }
  _exit(0);  // nothing after the first frame is measured
}
