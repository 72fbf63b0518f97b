#pragma once
#include "shell/guard_channel_protocol.h"

// What this session's screen shows, for the guard, which runs on a desktop
// of its own: the processes with a visible, not minimised top-level window
// and the process of the foreground window, as a question of its channel.
GuardQuestion screenSight();
