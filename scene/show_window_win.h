#pragma once

// Plays one scene from its scripts (commonScript may be null).
void playScene(const wchar_t* script, const wchar_t* commonScript, bool manual);

// Whether the show window and its player control can be created: the window
// is created and ends while it starts, unseen, loading and sending nothing.
bool canCreateSceneWindow();
