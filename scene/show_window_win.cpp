#include "scene/show_window_win.h"

// The show window is not built yet: a scene ends at once.
void playScene(const wchar_t*, const wchar_t*, bool) {}
