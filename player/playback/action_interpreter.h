#pragma once

#include "player/format/swf_actions.h"
#include "player/playback/script_target.h"

#include <cstddef>

// Runs one frame script on its target. Timeline control is followed:
// stop, play, the gotos (frame number or label, on this timeline or a
// target), next and previous frame, and the targets set by path. Other
// actions are skipped. The script runs while steps are left of the tick's:
// each action takes one, and so does each step of a target path and each
// comparison of a label looked up, each more for every 16 characters of a name.
void runActions(ScriptTarget& self, const ActionScript& script, size_t& steps);
