#include "scene/player_check_win.h"

// The check and its installation dialog come with the scene player's Flash
// support; until then there is nothing to check.
void checkPlayerOnce(HWND) {}
