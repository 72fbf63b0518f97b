#include "scene/player_check_win.h"

#include "scene/install_dialog_win.h"
#include "scene/player_version.h"
#include "scene/player_version_win.h"
#include "scene/show_window_win.h"

bool checkFlashPlayer() {
    if (hasPlayer(kRequiredPlayerVersion) && canCreateSceneWindow()) return true;
    FlashInstallDialog dialog;
    dialog.runModal();
    return false;
}
