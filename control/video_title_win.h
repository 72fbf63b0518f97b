#pragma once

// Whether any top-level window's title names a video (isVideoTitle), its
// ANSI title lower-cased by the system.
bool isVideoPlaying();
