#pragma once

class Gamesystem;

// The red life bar along the bottom edge; 10000 life points fill the window width.
void draw_info(Gamesystem* sys, int hp);
