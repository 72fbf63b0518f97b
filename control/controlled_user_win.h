#pragma once
#include <string>

#include "settings/settings.h"

// The logon name of the user running this process; empty when it cannot be read.
std::u16string currentUserName();

// isControlledUser for the user running this process.
bool isControlledUser(const Settings& settings);
