#pragma once
#include "settings/settings.h"
#include "app/roles.h"

// Passes "/close", "/disable", "/enable" or "/uninstall" to the control
// module, asking for the password and proving administrator rights where the
// command needs them; users without the rights hand the request to "qza.exe".
void runCommandSender(Role role, const Settings& settings, bool (*isUserAnAdmin)());
