#pragma once

// Whether a movie player of at least that version is available to the
// scenes: the suite's own (tikkoplay.dll, which stays loaded so that its
// control class exists) or, only when that one is older or missing, a
// registered player control. Looking up the registered controls costs the
// scene's first frame several milliseconds.
bool hasPlayer(int atLeastVersion);
