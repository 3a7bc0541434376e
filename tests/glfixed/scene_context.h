#pragma once

// The GL context a scene program draws into: one per build of the program.
namespace scenes {

// "system" or "es": the folder the build's pictures go to.
const char* context_name();

// Makes a context with a width x height colour and depth buffer current.
void open_context(int width, int height);

// Fixed-function drawing calls made and draw calls sent to the GPU since the last reset; false
// where nobody counts them (the system's GL).
bool draw_counts(unsigned long* calls_in, unsigned long* draws_out);
void reset_draw_counts();

}  // namespace scenes
