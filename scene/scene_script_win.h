#pragma once
#include "scene/scene_script.h"

// A scene script as the scene player uses it: scripts from the process-wide
// content archive, choices from the system's random source, values narrowed
// to the ANSI code page.
SceneScript processSceneScript();
