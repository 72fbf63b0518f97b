#pragma once

// The version of the movie player available to the scenes: the highest of a
// registered player control and the suite's own player (tikkoplay.dll, which
// stays loaded so that its control class exists). Computed once.
int flashVersion();
