#pragma once

#include "player/format/swf_actions.h"
#include "player/playback/script_target.h"

// Runs one frame script on its target. Timeline control is followed:
// stop, play, the gotos (frame number or label, on this timeline or a
// target), next and previous frame, and the targets set by path. Other
// actions are skipped.
void runActions(ScriptTarget& self, const ActionScript& script);
