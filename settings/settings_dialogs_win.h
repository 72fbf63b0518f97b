#pragma once

// Opens a settings dialog: 0 combined, 1 Nessel, 2 Hopsa, 3 Tolder.
void openSettings(int dialogType);
