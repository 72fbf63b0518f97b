#pragma once

// Plays one scene from its scripts (commonScript may be null).
void playScene(const wchar_t* script, const wchar_t* commonScript, bool manual);
