// The folder functions of a platform whose files all live in the working folder (the page's
// in-memory one, a headless program's): no binary's folder to find data beside, no per-user
// folder, and no private temporary folder, as the working folder always takes the maze file.
#include <string>

#include "platform/platform.h"

std::string executable_dir() {
  return "";
}

std::string user_state_dir() {
  return "";
}

std::string make_private_temp_dir() {
  return "";
}
