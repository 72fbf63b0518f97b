#include "control/control_module_win.h"

// The control window is not built yet: the module ends at once.
void runControlModule() {}
