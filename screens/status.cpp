#include "screens/status.h"

// PLACEHOLDER
void draw_info(Gamesystem*, int) {}
