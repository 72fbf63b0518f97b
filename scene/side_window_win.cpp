#include "scene/side_window_win.h"

// The help window is not built yet.
void showSideWindow() {}
