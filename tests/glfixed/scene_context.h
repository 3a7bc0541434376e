#pragma once

// The GL context a scene program draws into: one per build of the program.
namespace scenes {

// "system" or "es": the folder the build's pictures go to.
const char* context_name();

// Makes a context with a width x height colour and depth buffer current.
void open_context(int width, int height);

// Destroys the context and every GL object in it, leaving none current; false unless the GL layer
// then says it cannot draw. new_context makes another current and has the layer remake its own
// objects there; false when it cannot. The system's GL keeps its window: both do nothing.
bool drop_context();
bool new_context();

// Fixed-function drawing calls made and draw calls sent to the GPU since the last reset; false
// where nobody counts them (the system's GL).
bool draw_counts(unsigned long* calls_in, unsigned long* draws_out);
void reset_draw_counts();

}  // namespace scenes
