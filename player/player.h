#pragma once

// Playing a decoded movie as tools, tests and the control do: MoviePlayer
// for its frames, MovieSound into a SoundMixer for its sound, and
// drawCurrentFrame with a FrameRenderer onto a Surface.
#include "player/movie.h"
#include "player/playback/frame_draw_list.h"
#include "player/playback/movie_player.h"
#include "player/playback/movie_sound.h"
