#pragma once
#include <string_view>

#include "settings/settings.h"

// Whether the suite acts for this user: everyone, or only the listed names
// (exact, case-sensitive) when selectedUsersOnly is set.
bool isControlledUser(const Settings& settings, std::u16string_view userName);
