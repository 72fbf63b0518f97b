#pragma once

// True when scenes can be played: the player's version is high enough and
// its control can be created. Otherwise shows the install dialog and gives false.
bool checkFlashPlayer();
