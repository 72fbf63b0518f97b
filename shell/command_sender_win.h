#pragma once
#include "shell/roles.h"

// Passes "/close", "/disable", "/enable" or "/uninstall" to the control module.
void runCommandSender(Role role);
