#pragma once

#include "player/playback/movie_player.h"
#include "player/render/draw_list.h"
#include "player/render/frame_renderer.h"

// The shapes and masks of the player's current frame: its timelines' display
// lists walked back to front, stage twips mapped by stageToDevice.
DrawList collectDrawList(const MoviePlayer& player, const Matrix& stageToDevice);

// Draws the player's current frame on the surface, the whole stage shown.
void drawCurrentFrame(FrameRenderer& renderer, const MoviePlayer& player, Surface& surface);
